// Meter keys in the workbench: the key dialog checks what is typed and says what is wrong
// without repeating a key, writes a file only its owner may read, and every VM77 console
// decrypts with the keys saved; a console reads the key file as it opens, and a file others
// may read is refused, told once, and never rewritten by the dialog.
#include "gui/wmbus/MeterKeysDialog.h"

#include "core/console/ConsoleCommands.h"
#include "core/hub/ConsoleMessage.h"
#include "gui/app/CMainFrame.h"
#include "gui/console/CSplitterViewVM77.h"
#include "gui/textwnd/ColorEditWnd.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/ScratchDir.h"
#include "tools/modsim/TelegramSet.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tovan;
using namespace tovan::test;

namespace {

const std::string KEY = modsim::ENCRYPTED_METER_KEY;

// The configuration folder of one test, where the consoles and the dialog find the key file.
struct ConfigFolder {
    ConfigFolder() {
        ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        std::filesystem::create_directories(dir.path("tovan"));
    }
    std::string keyFile() const { return dir.path("tovan/meter-keys"); }
    ScratchDir dir;
};

// The simulated meter that encrypts, as its module passes the telegram on.
const std::vector<std::uint8_t>& encryptedTelegram() {
    for (const modsim::Telegram& telegram : modsim::telegramSet())
        if (telegram.description.find(modsim::ENCRYPTED_METER) != std::string::npos)
            return telegram.bytes;
    throw std::logic_error("the simulator has no encrypted meter");
}

// What the console's window shows after it received the encrypted meter's telegram.
std::string receiveEncrypted(CSplitterView& console) {
    if (!console.console().isCommandChecked(consolecmd::ID_PARSE_RX))
        console.commandAction(consolecmd::ID_PARSE_RX)->trigger();
    const auto& bytes = encryptedTelegram();
    console.console().deliver(CD_RX_FRAME, bytes.data(), bytes.size());
    std::string text;
    const LineStore& lines = console.outputWindow()->model().store();
    for (int i = 0; i < lines.lineCount(); ++i)
        text += lines.text(i) + '\n';
    return text;
}

// Runs `steps` on the key dialog the menu entry opens, then lets the dialog go.
bool withKeyDialog(CMainFrame& frame, const std::function<void(MeterKeysDialog&)>& steps) {
    bool seen = false;
    QTimer::singleShot(0, &frame, [&] {
        auto* dialog = qobject_cast<MeterKeysDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        steps(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    frame.commandAction(consolecmd::ID_METER_KEYS)->trigger();
    QApplication::processEvents(); // the timer, where no dialog was opened
    return seen;
}

void typeAndAdd(MeterKeysDialog& dialog, const QString& id, const QString& key) {
    dialog.meterIdField()->setText(id);
    dialog.keyField()->setText(key);
    QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
}

bool settingsOffer(CMainFrame& frame, const QString& entry) {
    for (QAction* menu : frame.menuBar()->actions())
        if (menu->text() == QLatin1String("&Settings"))
            for (QAction* action : menu->menu()->actions())
                if (action->text() == entry)
                    return true;
    return false;
}

} // namespace

TEST(MeterKeysDialog, ChecksWhatIsTypedAndSavesKeysThatEveryVm77ConsoleDecryptsWith) {
    ConfigFolder config;
    RecordingDialogs dialogs;
    CMainFrame frame;
    frame.show();
    auto* first = new CSplitterViewVM77;
    frame.addConsole(first);
    auto* second = new CSplitterViewVM77;
    frame.addConsole(second);
    EXPECT_TRUE(settingsOffer(frame, QStringLiteral("Meter keys...")));
    EXPECT_NE(receiveEncrypted(*first).find("no key for meter 71234567"), std::string::npos);

    const QString key = QString::fromStdString(KEY);
    const bool opened = withKeyDialog(frame, [&](MeterKeysDialog& dialog) {
        EXPECT_EQ(dialog.list()->topLevelItemCount(), 0);
        typeAndAdd(dialog, "7123456", key);
        typeAndAdd(dialog, "71234567", key.left(31));
        typeAndAdd(dialog, "71234567", key.left(31) + "G");
        EXPECT_EQ(dialog.list()->topLevelItemCount(), 0);
        typeAndAdd(dialog, "71234567", "4B 41 4D 2D 53 49 4D 2D 4B 45 59 2D 30 30 30 31");
        ASSERT_EQ(dialog.list()->topLevelItemCount(), 1);
        EXPECT_EQ(dialog.list()->topLevelItem(0)->text(0), "71234567");
        EXPECT_EQ(dialog.list()->topLevelItem(0)->text(1), "****************************3031");
        EXPECT_TRUE(dialog.keyField()->text().isEmpty());
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
    });
    ASSERT_TRUE(opened);
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[0].text, "The meter id must be 8 hex digits (0-9, A-F), as the "
                                     "console shows it after \"Identification:\".");
    EXPECT_EQ(dialogs.shown[1].text, "The key must be 32 hex digits (16 bytes); 31 were typed.");
    EXPECT_EQ(dialogs.shown[2].text,
              "The key must be 32 hex digits (0-9, A-F); the one typed holds other characters.");
    for (const auto& shown : dialogs.shown) {
        EXPECT_EQ(shown.caption, "Meter keys");
        EXPECT_FALSE(shown.text.contains("4B414D")) << "a key is never repeated";
    }

    struct stat info {};
    ASSERT_EQ(::stat(config.keyFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(config.dir.read("tovan/meter-keys").find("71234567 " + KEY + "\n"),
              std::string::npos);

    // Both consoles have the key now, and a console opened later reads it from the file.
    auto* later = new CSplitterViewVM77;
    frame.addConsole(later);
    for (CSplitterViewVM77* console : {first, second, later}) {
        const std::string window = receiveEncrypted(*console);
        EXPECT_NE(window.find("decrypted\nVolume 12.345 m3"), std::string::npos) << window;
        EXPECT_EQ(window.find("4B414D"), std::string::npos);
    }
    EXPECT_EQ(dialogs.shown.size(), 3u) << "nothing to tell about a file only its owner reads";
}

TEST(MeterKeysDialog, AKeyFileOthersMayReadIsToldOnceAndLeftAsItIs) {
    ConfigFolder config;
    const std::string text = "71234567 " + KEY + "\n";
    config.dir.write("tovan/meter-keys", text);
    ::chmod(config.keyFile().c_str(), 0644);
    RecordingDialogs dialogs;
    CMainFrame frame;
    auto* console = new CSplitterViewVM77;
    frame.addConsole(console);
    frame.addConsole(new CSplitterViewVM77);
    QApplication::processEvents(); // the consoles tell once they are on screen

    const std::string path = config.keyFile();
    const QString reason = QString::fromStdString(
        "the key file " + path +
        " can be read or written by others (mode 0644); its keys are not used until only you "
        "can: chmod 600 " +
        path);
    ASSERT_EQ(dialogs.shown.size(), 1u) << "told once, not by every console";
    EXPECT_EQ(dialogs.shown[0].text, "No meter keys were loaded: " + reason +
                                         ".\n\nThe console works without them; telegrams of "
                                         "meters that encrypt are not decrypted.");
    EXPECT_EQ(dialogs.shown[0].caption, "Meter keys");
    EXPECT_NE(receiveEncrypted(*console).find("no key for meter 71234567"), std::string::npos);

    // The dialog would write the file anew without the keys it could not read: it stays shut.
    EXPECT_FALSE(withKeyDialog(frame, [](MeterKeysDialog&) {}));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, "The meter keys cannot be edited: " + reason + ".");
    EXPECT_EQ(config.dir.read("tovan/meter-keys"), text);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}
