#include "core/hub/ConsoleMessage.h"
#include "gui/tree/TreeCommands.h"
#include "gui/tree/TreeImages.h"
#include "tests/gui/tree/TreeViewFixture.h"

#include <QAction>
#include <QTest>

using namespace tovan;
using namespace tovan::treecmd;
using Answer = DialogService::Answer;

namespace {

const char* const NESTED = "#\n\"Setup\"\n{\n  #\n  \"Reset\"\n  FE 00 01\n"
                           "  #\n  \"Sub\"\n  {\n    #\n    \"Deep\"\n    FE 02\n"
                           "#\n}\n#\n\"Other\"\n{\n  #\n  \"Ping\"\n  FE 01\n";

void setData(CControlTreeView& view, const std::string& text) {
    view.setSelectedData(static_cast<std::uint32_t>(text.size()),
                         reinterpret_cast<const std::uint8_t*>(text.data()));
}

} // namespace

TEST_F(TreeViewTest, NewItemsGoIntoTheSelectedFolderOrBesideTheSelectedCommand) {
    load(NESTED);
    select("Reset");
    view.runCommand(ID_NEW_COMMAND);
    QTreeWidgetItem* added = view.selectedItem();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->parent(), find("Setup"));
    EXPECT_EQ(added->text(0), "New item");
    EXPECT_EQ(entry(added), "00 00\\0");
    EXPECT_EQ(console.messages(CD_LOAD_COMMAND).back().bytes.size(), 6u);
    EXPECT_TRUE(view.isModified());
    finishEdit("Added");

    select("Sub");
    view.runCommand(ID_NEW_FOLDER);
    EXPECT_EQ(view.selectedItem()->parent(), find("Sub"));
    EXPECT_EQ(view.selectedItem()->text(0), "New folder");
    EXPECT_EQ(ControlTreeItems::image(view.selectedItem()), IMAGE_FOLDER);
    EXPECT_EQ(ControlTreeItems::selectedImage(view.selectedItem()), IMAGE_OPEN_FOLDER);
    finishEdit("Inner");

    view.setCurrentItem(nullptr);
    view.runCommand(ID_NEW_COMMAND);
    EXPECT_EQ(view.selectedItem()->parent(), view.rootItem());
}

TEST_F(TreeViewTest, RenameEndsWithAStorableLabelOrKeepsTheOldOneWhenCancelled) {
    load(NESTED);
    select("Ping");
    view.setModified(false);
    view.runCommand(ID_RENAME);
    EXPECT_TRUE(view.isModified());
    finishEdit("Other name", true);
    EXPECT_EQ(view.selectedItem()->text(0), "Ping");

    // What a list file cannot hold shows as '?' at once, one per character.
    view.runCommand(ID_RENAME);
    finishEdit(QString::fromUtf8("Grüße \xF0\x9F\x98\x80\tend"));
    EXPECT_EQ(view.selectedItem()->text(0), QString::fromUtf8("Grüße ??end"));

    view.runCommand(ID_RENAME);
    finishEdit("");
    EXPECT_EQ(view.selectedItem()->text(0), "");
}

TEST_F(TreeViewTest, RemoveAsksAndDeletesTheSubtreeOnYesOnly) {
    load(NESTED);
    const std::size_t entries = view.store().size();
    select("Setup");
    dialogs.answers = {Answer::No};
    QTest::keyClick(&view, Qt::Key_Delete);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Delete item ?\n\n\"Setup\" and the 3 item(s) in it");
    EXPECT_EQ(dialogs.shown[0].caption, "Confirm action");
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Question);
    EXPECT_EQ(dialogs.shown[0].buttons, DialogService::Buttons::YesNo);
    EXPECT_EQ(view.store().size(), entries);

    dialogs.answers = {Answer::Yes};
    view.runCommand(ID_REMOVE);
    EXPECT_EQ(dump(), "Other/\n  Ping = FE 01\n");
    EXPECT_EQ(view.store().size(), entries - 4);
}

TEST_F(TreeViewTest, RemovingTheRootLeavesAFreshRootWithTheSameLabel) {
    load(NESTED);
    view.setCurrentItem(view.rootItem());
    view.runCommand(ID_REMOVE);
    ASSERT_EQ(view.topLevelItemCount(), 1);
    EXPECT_EQ(view.rootItem()->text(0), "VX31");
    EXPECT_EQ(view.rootItem()->childCount(), 0);
    EXPECT_EQ(CControlTreeView::itemId(view.rootItem()), 0u);
    EXPECT_EQ(view.store().size(), 1u);
}

TEST_F(TreeViewTest, PastesAreIndependentAndSurviveTheCopiedItem) {
    load(NESTED);
    select("Ping");
    view.runCommand(ID_COPY_COMMAND);
    view.runCommand(ID_PASTE_COMMAND);
    QTreeWidgetItem* first = view.selectedItem();
    view.runCommand(ID_PASTE_COMMAND);
    QTreeWidgetItem* second = view.selectedItem();
    ASSERT_NE(first, second);
    EXPECT_EQ(second->text(0), "Ping");
    EXPECT_EQ(console.messages(CD_LOAD_COMMAND).back().text(), "FE 01");

    view.setCurrentItem(first);
    setData(view, "FE 09");
    EXPECT_EQ(entry(second), "FE 01");

    // The copy was taken when Copy ran: deleting the original does not spoil a paste.
    select("Other");
    dialogs.answers = {Answer::Yes};
    view.runCommand(ID_REMOVE);
    view.runCommand(ID_PASTE_COMMAND);
    EXPECT_EQ(view.selectedItem()->text(0), "Ping");
    EXPECT_EQ(entry(view.selectedItem()), "FE 01");
}

TEST_F(TreeViewTest, OnlyChildlessItemsAreCopiedAndAnEmptyFolderPastesAsAFolder) {
    load(std::string(NESTED) + "#\n\"Empty\"\n{\n");
    view.setActiveView(true);
    select("Setup");
    view.runCommand(ID_COPY_COMMAND);
    EXPECT_FALSE(view.commandAction(ID_PASTE_COMMAND)->isEnabled());

    select("Empty");
    view.runCommand(ID_COPY_COMMAND);
    EXPECT_TRUE(view.commandAction(ID_PASTE_COMMAND)->isEnabled());
    view.setCurrentItem(view.rootItem());
    view.runCommand(ID_PASTE_COMMAND);
    QTreeWidgetItem* pasted = view.selectedItem();
    EXPECT_EQ(pasted->text(0), "Empty");
    EXPECT_EQ(ControlTreeItems::image(pasted), IMAGE_COMMAND);
    EXPECT_EQ(view.store().entryLength(CControlTreeView::itemId(pasted)), 0u);
    EXPECT_TRUE(console.messages(CD_LOAD_COMMAND).back().bytes.empty());
}

TEST_F(TreeViewTest, RefusedDropsChangeNothing) {
    load(NESTED);
    const std::string before = dump();
    const std::pair<const char*, const char*> refused[] = {
        {"Setup", "Setup"}, // onto itself
        {"Setup", "Sub"},   // into its own subtree
        {"Sub", "Setup"},   // onto its parent
        {"Sub", "Ping"},    // onto a command
    };
    for (const auto& [source, target] : refused) {
        dragAndDrop(find(source), find(target));
        EXPECT_EQ(dump(), before) << source << " onto " << target;
        EXPECT_FALSE(view.isDragging());
        EXPECT_EQ(view.dropHighlightItem(), nullptr);
    }
    dragAndDrop(view.rootItem(), find("Other"));
    EXPECT_EQ(view.topLevelItemCount(), 1);
    EXPECT_EQ(dump(), before);
}

TEST_F(TreeViewTest, DraggedFolderMovesWithItsWholeSubtree) {
    load(NESTED);
    const std::size_t entries = view.store().size();
    const std::uint32_t deepId = CControlTreeView::itemId(find("Deep"));
    view.setModified(false);
    dragAndDrop(find("Setup"), find("Other"));
    EXPECT_TRUE(highlighted);
    EXPECT_EQ(view.dropHighlightItem(), nullptr);
    EXPECT_EQ(dump(), "Other/\n"
                      "  Ping = FE 01\n"
                      "  Setup/\n"
                      "    Reset = FE 00 01\n"
                      "    Sub/\n"
                      "      Deep = FE 02\n");
    EXPECT_EQ(view.store().size(), entries);
    EXPECT_EQ(CControlTreeView::itemId(find("Deep")), deepId);
    EXPECT_EQ(view.selectedItem(), find("Setup"));
    EXPECT_TRUE(view.isModified());
}
