#include "gui/app/AboutText.h"

#include "gui/shared/DialogService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

namespace tovan {

namespace {

QString place(const QString& found, const QStringList& lookedAt, const char* without) {
    if (!found.isEmpty())
        return found;
    return QStringLiteral("none found (looked for %1); %2")
        .arg(lookedAt.join(QStringLiteral(", ")), QString::fromLatin1(without));
}

QString qtVersionText() {
    const QString running = QString::fromLatin1(qVersion());
    const QString built = QStringLiteral(QT_VERSION_STR);
    return running == built ? QStringLiteral("Qt %1").arg(running)
                            : QStringLiteral("Qt %1 (built with %2)").arg(running, built);
}

} // namespace

QString aboutText(const DataPlaces& places) {
    return QStringLiteral(
               "TOVAN Commander %1\n"
               "A workbench for short-range radio modules on serial ports.\n"
               "%2\n\n"
               "Licence: GNU General Public License, version 3 or any later version "
               "(GPL-3.0-or-later). This program is free software: you may redistribute and "
               "change it under the terms of that licence. It comes with ABSOLUTELY NO "
               "WARRANTY.\n\n"
               "Manufacturer table: %3\n"
               "Examples: %4")
        .arg(QStringLiteral(TOVAN_VERSION), qtVersionText(),
             place(places.table, places.tablePlaces, "meters show without manufacturer names"),
             place(places.examples, places.examplesPlaces,
                   "the sample command lists are not installed"));
}

void showAbout(QWidget* parent) {
    const DataPlaces places =
        findDataPlaces(QCoreApplication::applicationDirPath(), QDir::currentPath());
    dialogs().messageBox(parent, aboutText(places), QStringLiteral("About TOVAN Commander"),
                         DialogService::Icon::Information, DialogService::Buttons::Ok);
}

} // namespace tovan
