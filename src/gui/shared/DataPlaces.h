#pragma once

#include <QString>
#include <QStringList>

namespace tovan {

// Where the workbench's data files are, as the running program finds them.
struct DataPlaces {
    QString table;              // the manufacturer table a decode reads now; empty: none
    QStringList tablePlaces;    // where it is looked for, first match wins
    QString examples;           // the folder of the sample command lists; empty: none
    QStringList examplesPlaces; // where it is looked for, first match wins
};

// The data files of a program in `programFolder` started in `workingFolder`: the manufacturer
// table by the decoder's own rule (the working folder's "mbus.cfg", then the shipped one), the
// examples beside the program (a build) or in ../share/tovan/examples (an install).
DataPlaces findDataPlaces(const QString& programFolder, const QString& workingFolder);

} // namespace tovan
