#pragma once

#include "core/frames/ModuleFamily.h"

#include <QList>
#include <QPixmap>

namespace tovan {

// Positions in the tree's image list that the items use.
constexpr int IMAGE_COMMAND = 0;
constexpr int IMAGE_FOLDER = 2;
constexpr int IMAGE_OPEN_FOLDER = 3; // a selected folder, and the root

// Size of every picture of the list.
constexpr int TREE_IMAGE_WIDTH = 14;
constexpr int TREE_IMAGE_HEIGHT = 12;

// The image list a console gives its tree: 14 x 12 pictures drawn on white, white made
// transparent. Four pictures for the first family, five for the second (the extra ones are not
// used by the tree).
QList<QPixmap> treeImageList(ModuleFamily family);

} // namespace tovan
