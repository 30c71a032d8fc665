// Shows a traffic window filled the way a console fills it: the banner, then transmitted,
// received and decoded entries, newest on top.
//
//   tovan-coloredit-demo [--screenshot FILE.png] [--flood] [--editable]
//
// --screenshot saves the window as a PNG once it is shown and quits; --flood keeps adding
// received frames as fast as the event loop allows; --editable lets you type.
#include "shared/AppTexts.h"
#include "textwnd/ColorEditCommands.h"
#include "textwnd/ColorEditWnd.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

constexpr tovan::Colour RX = 0x0025C8;
constexpr tovan::Colour TX = 0x008B00;
constexpr tovan::Colour DECODED = 0xCD0000;
constexpr tovan::Colour BANNER = 0x0000FF;

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
    window.AddLine("\nTOVAN wireless\nTOVAN Commander V1.2\n \n", BANNER);
}

void addSampleTraffic(tovan::ColorEditWnd& window) {
    const std::string telegram =
        "1E 44 2D 2C 78 56 34 12 01 07 7A 55 00 00 00 0C 13 67 45 23 01 02 FD 17 00 00 E8";
    for (int i = 0; i < 6; ++i) {
        const std::string time = clock(5 + 2 * i);
        window.AddLine("\r\n" + time + "  TX:\r\n FF 0B 01 00 F5", TX);
        window.AddLine("\r\n" + telegram + "\r\n", RX);
        window.AddLine("\r\nManufacturer: KAM  ID: 12345678  Type: Water  RSSI: -" +
                           std::to_string(61 + i) + " dBm",
                       DECODED);
        window.AddLine("\r\n" + clock(6 + 2 * i) + "  RX:", RX);
    }
    window.AddLine("\n" + clock(30) + "  RX:\n FE 03 01 02 00", RX);
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
        window.AddLine("\n" + clock(frame++) + "  RX:\n FE 05 01 02 03 04 05", RX);
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
