#include "core/hub/ConsoleMessage.h"
#include "core/tree/CommandListHeader.h"
#include "gui/tree/TreeCommands.h"
#include "tests/gui/tree/TreeViewFixture.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace tovan;
using namespace tovan::treecmd;

namespace {

// Setup holds Reset; Long is a command of 300 bytes.
std::string sampleList() {
    std::string longFrame;
    for (int i = 0; i < 300; ++i)
        longFrame += i == 0 ? "A5" : " A5";
    return "#\n\"Setup\"\n{\n  #\n  \"Reset\"\n  FE 00 01\n#\n}\n"
           "#\n\"Ping\"\nFE 01 02 03 FC\n#\n\"Long\"\n" +
           longFrame + "\n";
}

const std::vector<std::uint8_t>& lastBytes(const std::vector<test::RecordingEndpoint::Message>& m) {
    return m.back().bytes;
}

} // namespace

TEST_F(TreeViewTest, SelectionSendsTheWholeEntryAndNothingForAFolder) {
    load(sampleList());
    select("Reset");
    ASSERT_EQ(console.messages(CD_LOAD_COMMAND).size(), 1u);
    EXPECT_EQ(console.messages(CD_LOAD_COMMAND).back().text(), "FE 00 01");

    // Far beyond any fixed selection buffer: the console gets every byte.
    const std::string big(3000, 'B');
    view.setSelectedData(static_cast<std::uint32_t>(big.size()),
                         reinterpret_cast<const std::uint8_t*>(big.data()));
    EXPECT_TRUE(view.isModified());
    view.resendSelection();
    EXPECT_EQ(console.messages(CD_LOAD_COMMAND).back().text(), big);

    select("Setup");
    ASSERT_EQ(console.messages(CD_LOAD_COMMAND).size(), 3u);
    EXPECT_TRUE(lastBytes(console.messages(CD_LOAD_COMMAND)).empty());
    EXPECT_TRUE(console.messages(CD_SEND_SELECTED).empty());
}

TEST_F(TreeViewTest, DoubleClickSendsOnlyACommandsFrameBytes) {
    load(sampleList());
    auto doubleClick = [&](QPoint at) {
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };
    auto on = [&](const char* label) { return view.visualItemRect(find(label)).center(); };

    doubleClick(on("Ping"));
    ASSERT_EQ(console.messages(CD_SEND_SELECTED).size(), 1u);
    EXPECT_EQ(lastBytes(console.messages(CD_SEND_SELECTED)),
              (std::vector<std::uint8_t>{0xFE, 0x01, 0x02, 0x03, 0xFC}));

    doubleClick(on("Setup"));
    doubleClick(view.visualItemRect(view.rootItem()).center());
    doubleClick(QPoint(10, view.viewport()->height() - 5)); // below the last item
    EXPECT_EQ(console.messages(CD_SEND_SELECTED).size(), 1u);

    // 300 bytes arrive as 300, not as the 44 an 8-bit count would leave.
    doubleClick(on("Long"));
    ASSERT_EQ(console.messages(CD_SEND_SELECTED).size(), 2u);
    EXPECT_EQ(lastBytes(console.messages(CD_SEND_SELECTED)), std::vector<std::uint8_t>(300, 0xA5));
}

TEST_F(TreeViewTest, RightButtonSelectsTheItemUnderThePointerOrNothing) {
    load(sampleList());
    QTest::mousePress(view.viewport(), Qt::RightButton, Qt::NoModifier,
                      view.visualItemRect(find("Ping")).center());
    EXPECT_EQ(view.selectedItem(), find("Ping"));
    EXPECT_EQ(console.messages(CD_LOAD_COMMAND).size(), 1u);
    QTest::mouseRelease(view.viewport(), Qt::RightButton);

    QTest::mousePress(view.viewport(), Qt::RightButton, Qt::NoModifier,
                      QPoint(10, view.viewport()->height() - 5));
    EXPECT_EQ(view.selectedItem(), nullptr);
    QTest::mouseRelease(view.viewport(), Qt::RightButton);
}

TEST_F(TreeViewTest, ContextMenuAndMenuBarEnableTheirEntries) {
    load(sampleList());
    auto entries = [&] {
        std::unique_ptr<QMenu> menu(view.createContextMenu());
        EXPECT_EQ(menu->objectName(), "137");
        QStringList shown;
        for (QAction* action : menu->actions())
            shown << (action->isSeparator() ? QStringLiteral("|")
                                            : action->text() + (action->isEnabled() ? "" : "-"));
        return shown;
    };
    EXPECT_EQ(entries(),
              (QStringList{"New folder", "New command", "Remove", "Rename", "Copy command-",
                           "&Paste command-", "&Cut tree Item", "|", "Insert list"}));
    select("Ping");
    view.runCommand(ID_COPY_COMMAND);
    EXPECT_EQ(entries().mid(4, 2), (QStringList{"Copy command", "&Paste command"}));

    // The menu bar shows the active console's tree commands: they work wherever the focus is in
    // the console. Cut is never available there.
    view.setActiveView(false);
    for (QAction* action : view.commandActions())
        EXPECT_EQ(action->isEnabled(), action->data().toInt() != ID_CUT_ITEM)
            << action->text().toStdString();
    EXPECT_EQ(view.commandAction(ID_NEW_FOLDER)->statusTip(),
              "Creates a new folder in current tree view");
    EXPECT_EQ(view.commandAction(ID_PASTE_COMMAND)->text(), "Paste command");
}

TEST_F(TreeViewTest, SaveAndReloadReproduceTheTree) {
    auto create = [&](int command, const QString& label) {
        view.runCommand(command);
        finishEdit(label);
    };
    create(ID_NEW_FOLDER, "Setup");
    create(ID_NEW_COMMAND, "Reset");
    const std::string frame = "FE 00 01 02 03 FC";
    view.setSelectedData(static_cast<std::uint32_t>(frame.size()),
                         reinterpret_cast<const std::uint8_t*>(frame.data()));
    create(ID_NEW_FOLDER, "Deep");
    create(ID_NEW_COMMAND, QString::fromUtf8("Zürich €"));
    view.setCurrentItem(view.rootItem());
    create(ID_NEW_COMMAND, "Ping");
    view.setCurrentItem(view.rootItem());
    create(ID_NEW_FOLDER, "empty");
    const std::string tree = "empty/\n"
                             "Ping = 00 00\\0\n"
                             "Setup/\n"
                             "  Deep/\n"
                             "    Z\xC3\xBCrich ? = 00 00\\0\n"
                             "  Reset = FE 00 01 02 03 FC\n";
    ASSERT_EQ(dump(), tree);

    QSignalSpy modified(&view, &CControlTreeView::modifiedChanged);
    ASSERT_TRUE(view.isModified());
    const std::string first = dir.path("first.tcs");
    ASSERT_TRUE(writeListHeader(first, "VX31"));
    ASSERT_TRUE(view.saveList(first));
    EXPECT_FALSE(view.isModified());
    ASSERT_EQ(modified.size(), 1);

    CControlTreeView other;
    other.setRootItem(QStringLiteral("VX31"));
    ASSERT_TRUE(other.reloadList(first));
    EXPECT_EQ(dump(other), tree);
    const std::string second = dir.path("second.tcs");
    ASSERT_TRUE(writeListHeader(second, "VX31"));
    ASSERT_TRUE(other.saveList(second));
    EXPECT_EQ(dir.read("second.tcs"), dir.read("first.tcs"));

    // Reloading into the same view starts over: same tree, the old entries gone.
    ASSERT_TRUE(view.reloadList(first));
    EXPECT_EQ(dump(), tree);
    EXPECT_EQ(view.store().size(), 7u);
}
