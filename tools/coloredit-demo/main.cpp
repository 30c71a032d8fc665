// Shows a traffic window filled the way a console fills it: the banner, then transmitted,
// received and decoded entries, newest on top.
//
//   tovan-coloredit-demo [--screenshot FILE.png] [--flood] [--editable]
//
// --screenshot saves the window as a PNG once it is shown and quits; --flood keeps adding
// received frames as fast as the event loop allows; --editable lets you type.
#include "core/console/TrafficText.h"
#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/TestTelegrams.h"
#include "gui/shared/AppTexts.h"
#include "gui/textwnd/ColorEditCommands.h"
#include "gui/textwnd/ColorEditWnd.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

using tovan::ModuleFamily;
namespace traffic = tovan::traffic;

std::string clock(int second) {
    char text[16];
    std::snprintf(text, sizeof text, "14:%02d:%02d", (second / 60) % 60, second % 60);
    return text;
}

// The same calls a console makes on its fresh traffic window.
void setUpLikeAConsole(tovan::ColorEditWnd& window, bool editable) {
    window.AddCharSpacing(1);
    window.SetSelectionBackColour(0x000000);
    window.SetReadOnly(!editable);
    window.SetSelection(0, 0, 10, 40);
    window.SetSelectionTextColour(0x0000FF);
    window.AddLine(traffic::BANNER, traffic::BANNER_COLOUR);
}

void show(tovan::ColorEditWnd& window, const traffic::Entry& entry) {
    for (const traffic::Part& part : entry.parts)
        window.AddLine(part.text, part.colour);
}

void addSampleTraffic(tovan::ColorEditWnd& window) {
    const tovan::CTelegramDecoder decoder;
    for (int i = 0; i < 6; ++i) {
        show(window, traffic::transmitted(ModuleFamily::VM77, clock(5 + 2 * i), "FF 0B 01 00 F5"));
        show(window,
             traffic::received(ModuleFamily::VM77, clock(6 + 2 * i),
                               tovan::testTelegram(i % tovan::TEST_TELEGRAM_COUNT), &decoder));
    }
    show(window, traffic::received(ModuleFamily::VX31, clock(30), "FE 03 01 02 00", nullptr));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption screenshot("screenshot", "Save the window as a PNG and quit.", "file");
    const QCommandLineOption flood("flood", "Keep adding received frames.");
    const QCommandLineOption editable("editable", "Let the window be edited.");
    parser.addOptions({screenshot, flood, editable});
    parser.process(app);
    if (parser.isSet(screenshot))
        QApplication::setCursorFlashTime(0); // a steady caret, so the picture shows it

    tovan::ColorEditWnd window(nullptr, tovan::coloredit::IDC_TRAFFIC_WINDOW, 4);
    window.setWindowTitle(QString::fromLatin1(tovan::texts::APP_TITLE));
    window.resize(640, 420);
    setUpLikeAConsole(window, parser.isSet(editable));
    addSampleTraffic(window);
    window.SetSelection(1, 5, 13, 7); // shows the selection colours
    window.show();
    window.activateWindow();
    window.setFocus();

    int frame = 0;
    QTimer floodTimer;
    QObject::connect(&floodTimer, &QTimer::timeout, [&] {
        show(window, traffic::received(ModuleFamily::VX31, clock(frame++), "FE 05 01 02 03 04 05",
                                       nullptr));
    });
    if (parser.isSet(flood))
        floodTimer.start(0);

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(600, [&] {
            const bool saved = window.grab().save(file, "PNG");
            std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "could not save",
                         qPrintable(file));
            app.exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
