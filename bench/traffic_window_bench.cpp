// AddLine throughput of the traffic window widget, shown (offscreen unless told otherwise) and
// repainting, into a full 1000-line window. Frames arrive one per event-loop pass (each
// hand-over from a reader thread) or in bursts; every paint of the text area is counted.
//
//   bench_traffic_window [seconds per run]
#include "bench/traffic_entries.h"
#include "gui/textwnd/ColorEditWnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QPaintEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Counts the paints of the text area and the shortest gap between two of them. The blinking
// caret uncovers a two-pixel strip a few times a second; those strips are counted apart.
class PaintCounter : public QObject {
public:
    int paints = 0;
    int caretStrips = 0;
    qint64 shortestGapNs = -1;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (static_cast<QPaintEvent*>(event)->rect().width() <= 2) {
                ++caretStrips;
                return false;
            }
            if (paints > 0) {
                const qint64 gap = m_clock.nsecsElapsed();
                shortestGapNs = shortestGapNs < 0 ? gap : std::min(shortestGapNs, gap);
            }
            ++paints;
            m_clock.start();
        }
        return false;
    }

private:
    QElapsedTimer m_clock;
};

void run(tovan::ColorEditWnd& window, const std::vector<std::string>& entries, int burst,
         double seconds) {
    PaintCounter counter;
    window.viewport()->installEventFilter(&counter);
    long long added = 0;
    QEventLoop loop;
    QElapsedTimer clock;
    QTimer feeder;
    feeder.setInterval(0);
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        for (int i = 0; i < burst; ++i, ++added)
            window.AddLine(entries[static_cast<std::size_t>(added) & 4095], RX_COLOUR);
        if (clock.elapsed() >= seconds * 1000)
            loop.quit();
    });
    clock.start();
    feeder.start();
    loop.exec();
    const double elapsed = clock.nsecsElapsed() / 1e9;
    window.viewport()->removeEventFilter(&counter);
    std::printf("widget, %3d frame(s) per event-loop pass: %8.0f entries/s, %5.1f paints/s "
                "(shortest gap %.1f ms), %4.1f caret strips/s, %d lines held\n",
                burst, added / elapsed, counter.paints / elapsed, counter.shortestGapNs / 1e6,
                counter.caretStrips / elapsed, window.model().lineCount());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const auto entries = trafficEntries(4096);

    tovan::ColorEditWnd window(nullptr, 1100, 4);
    window.AddCharSpacing(1);
    window.SetReadOnly(true);
    window.resize(900, 700);
    for (int i = 0; i < 1000; ++i)
        window.AddLine(entries[static_cast<std::size_t>(i)], RX_COLOUR);
    window.show();
    window.activateWindow();
    window.setFocus();
    QEventLoop settle; // let the first expose paint pass before counting
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();

    std::printf("screen refresh %.0f Hz, %d lines visible\n", window.screen()->refreshRate(),
                window.view().visibleLinesFull());
    const int only = argc > 2 ? std::atoi(argv[2]) : 0;
    for (int burst : {1, 10, 100})
        if (only == 0 || only == burst)
            run(window, entries, burst, seconds);
    QElapsedTimer paintClock;
    paintClock.start();
    const int repaints = 200;
    for (int i = 0; i < repaints; ++i)
        window.viewport()->repaint();
    std::printf("one paint of the whole text area: %.2f ms\n",
                paintClock.nsecsElapsed() / 1e6 / repaints);

    return 0;
}
