#pragma once

#include "gui/tree/CControlTreeView.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/RecordingEndpoint.h"
#include "tests/support/ScratchDir.h"

#include <QLineEdit>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>
#include <string>

// A shown command tree with the root "VX31", its messages going to a recording console.
class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Writes a list (header and `records`) and loads it into the view, every folder expanded.
    void load(const std::string& records);

    QTreeWidgetItem* find(const char* label) const;
    void select(const char* label) { view.setCurrentItem(find(label)); }
    // The item's entry as text, its zero bytes shown as "\0".
    std::string entry(const QTreeWidgetItem* item) const;
    // The items below the root, one line each: indentation by depth, the label, and "/" for a
    // folder or " = " and the entry for a command.
    std::string dump() const;
    static std::string dump(const tovan::CControlTreeView& tree);

    // Drags `source` over `target` and drops it there through the view's drag and drop
    // events. Whether the target was highlighted on the way is kept in `highlighted`.
    void dragAndDrop(QTreeWidgetItem* source, QTreeWidgetItem* target);
    bool highlighted = false;

    // The label editor that is open, if any.
    QLineEdit* editor() const;
    // Types `label` into the open label editor and presses Return (or Escape to cancel).
    void finishEdit(const QString& label, bool cancel = false);

    tovan::test::RecordingDialogs dialogs;
    tovan::test::RecordingEndpoint console;
    tovan::test::ScratchDir dir;
    tovan::CControlTreeView view;
};
