#pragma once

#include "gui/shared/DataPlaces.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace tovan {

// Help > About's text: the version, Qt's version, the licence and the data places.
QString aboutText(const DataPlaces& places);

// Help > About: the box with that text for the running program.
void showAbout(QWidget* parent);

} // namespace tovan
