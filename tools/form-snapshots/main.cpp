// Renders the composer forms and the COM settings dialog into PNG files, so their look can be
// checked without a console around them: form-snapshots <directory>.
#include "composer/CVM77PacketViewDlg.h"
#include "composer/CVX3xPacketViewDlg.h"
#include "serial/CComSettingsDlg.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

bool save(QWidget& widget, const QDir& dir, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const QString path = dir.filePath(name);
    const bool ok = widget.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
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

    bool ok = save(vx31, dir, QStringLiteral("composer-vx31.png"));
    ok = save(vm77, dir, QStringLiteral("composer-vm77.png")) && ok;
    ok = save(dialog, dir, QStringLiteral("com-settings.png")) && ok;
    return ok ? 0 : 1;
}
