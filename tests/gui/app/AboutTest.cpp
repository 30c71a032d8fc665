// Help > About: what the workbench says of itself, and where it found its data files.
#include "gui/app/AboutText.h"
#include "gui/app/AppCommands.h"
#include "gui/app/CMainFrame.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/ScratchDir.h"

#include <QAction>
#include <QDir>

#include <gtest/gtest.h>

using namespace tovan;
using namespace tovan::test;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TEST(About, NamesTheTableADecodeReadsAndTheInstalledExamples) {
    ScratchDir prefix;
    ScratchDir work;
    QDir().mkpath(q(prefix.path("bin")));
    QDir().mkpath(q(prefix.path("share/tovan/examples")));
    prefix.write("share/tovan/mbus.cfg", "ABB\tABB AB\r\n");

    DataPlaces places = findDataPlaces(q(prefix.path("bin")), q(work.path()));
    EXPECT_EQ(places.table, q(prefix.path("share/tovan/mbus.cfg")));
    EXPECT_EQ(places.examples, q(prefix.path("share/tovan/examples")));
    QString text = aboutText(places);
    EXPECT_TRUE(text.contains("Manufacturer table: " + q(prefix.path("share/tovan/mbus.cfg"))));
    EXPECT_TRUE(text.contains("Examples: " + q(prefix.path("share/tovan/examples"))))
        << text.toStdString();

    // A table in the working folder is the one the decoder reads, so About names it.
    work.write("mbus.cfg", "ABB\tMy own\r\n");
    EXPECT_EQ(findDataPlaces(q(prefix.path("bin")), q(work.path())).table,
              q(work.path("mbus.cfg")));

    // Nothing found: About says so and where it looked, in the decoder's order.
    ScratchDir bare;
    places = findDataPlaces(q(bare.path("bin")), q(bare.path()));
    EXPECT_TRUE(places.table.isEmpty());
    EXPECT_TRUE(places.examples.isEmpty());
    text = aboutText(places);
    EXPECT_TRUE(text.contains("Manufacturer table: none found (looked for " +
                              q(bare.path("mbus.cfg")) + ", " + q(bare.path("bin/mbus.cfg")) +
                              ", " + q(bare.path("share/tovan/mbus.cfg")) + ")"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Examples: none found (looked for " + q(bare.path("bin/examples")) +
                              ", " + q(bare.path("share/tovan/examples")) + ")"))
        << text.toStdString();
}

TEST(About, HelpAboutShowsTheVersionQtAndTheLicence) {
    RecordingDialogs dialogs;
    CMainFrame frame;
    frame.commandAction(appcmd::ID_APP_ABOUT)->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const RecordingDialogs::Shown& box = dialogs.shown[0];
    EXPECT_EQ(box.caption, "About TOVAN Commander");
    EXPECT_TRUE(box.text.startsWith("TOVAN Commander " TOVAN_VERSION "\n"))
        << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("Qt ") + qVersion())) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains("GPL-3.0-or-later")) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains("\nManufacturer table: ")) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains("\nExamples: ")) << box.text.toStdString();
}
