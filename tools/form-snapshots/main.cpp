// Renders the composer forms, the COM settings dialog and a command tree into PNG files, so
// their look can be checked without a console around them: form-snapshots <directory>.
#include "core/tree/CommandListHeader.h"
#include "gui/composer/CVM77PacketViewDlg.h"
#include "gui/composer/CVX3xPacketViewDlg.h"
#include "gui/serial/CComSettingsDlg.h"
#include "gui/tree/CControlTreeView.h"
#include "gui/tree/TreeImages.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>

namespace {

bool save(QWidget& widget, const QDir& dir, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const QString path = dir.filePath(name);
    const bool ok = widget.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

// A second-family tree with a few folders and commands, one folder selected.
bool fillTree(tovan::CControlTreeView& tree) {
    const QTemporaryDir scratch;
    const std::string path = scratch.filePath(QStringLiteral("sample.tcs")).toStdString();
    if (!scratch.isValid() || !tovan::writeListHeader(path, "VM77"))
        return false;
    std::ofstream(path, std::ios::binary | std::ios::app)
        << "#\n\"Meters\"\n{\n  #\n  \"Read serial number\"\n  FF 0A 00 F5\n"
           "  #\n  \"Set mode T1\"\n  FF 09 01 01 F6\n#\n}\n"
           "#\n\"Setup\"\n{\n  #\n  \"Radio\"\n  {\n    #\n    \"Channel 3\"\n    FF 04 01 03 F9\n"
           "  #\n  }\n  #\n  \"Reset\"\n  FF 05 00 FA\n#\n}\n"
           "#\n\"Ping\"\nFF 01 00 FE\n";
    tree.setImageList(tovan::treeImageList(tovan::ModuleFamily::VM77));
    tree.setRootItem(QStringLiteral("VM77-M"));
    if (!tree.reloadList(path))
        return false;
    tree.expandAll();
    tree.setCurrentItem(
        tree.findItems(QStringLiteral("Radio"), Qt::MatchExactly | Qt::MatchRecursive).value(0));
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: form-snapshots <directory>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists()) {
        std::fprintf(stderr, "form-snapshots: no directory %s\n", argv[1]);
        return 2;
    }

    tovan::CVX3xPacketViewDlg vx31;
    vx31.resize(760, vx31.height());
    vx31.SetPortOpen(true);
    vx31.LoadFrameText("FE 02 00 01 11 22 30");

    tovan::CVM77PacketViewDlg vm77;
    vm77.LoadFrameText("FF 01 02 11 22 CF");

    tovan::PortSettings settings = tovan::PortSettings::forFamily(tovan::ModuleFamily::VM77);
    tovan::CComSettingsDlg dialog(tovan::ComSettingsForm::fromSettings(settings));

    tovan::CControlTreeView tree;
    tree.resize(220, 240);

    bool ok = fillTree(tree) && save(tree, dir, QStringLiteral("command-tree.png"));
    ok = save(vx31, dir, QStringLiteral("composer-vx31.png")) && ok;
    ok = save(vm77, dir, QStringLiteral("composer-vm77.png")) && ok;
    ok = save(dialog, dir, QStringLiteral("com-settings.png")) && ok;
    return ok ? 0 : 1;
}
