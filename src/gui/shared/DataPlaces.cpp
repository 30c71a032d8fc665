#include "gui/shared/DataPlaces.h"

#include "core/wmbus/ManufacturerTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tovan {

namespace {

QString shown(const std::string& path) {
    return QDir::cleanPath(QFile::decodeName(QByteArray::fromStdString(path)));
}

} // namespace

DataPlaces findDataPlaces(const QString& programFolder, const QString& workingFolder) {
    DataPlaces places;
    const std::string ownTable =
        QFile::encodeName(QDir(workingFolder).filePath(QStringLiteral("mbus.cfg"))).toStdString();
    const auto shipped =
        ManufacturerTable::shippedTablePaths(QFile::encodeName(programFolder).toStdString());
    places.tablePlaces << shown(ownTable);
    for (const std::string& path : shipped)
        places.tablePlaces << shown(path);
    const std::string table = ManufacturerTable(ownTable, shipped).tablePath();
    if (!table.empty())
        places.table = shown(table);

    places.examplesPlaces << QDir::cleanPath(programFolder + QStringLiteral("/examples"))
                          << QDir::cleanPath(programFolder +
                                             QStringLiteral("/../share/tovan/examples"));
    for (const QString& folder : places.examplesPlaces)
        if (QFileInfo(folder).isDir()) {
            places.examples = folder;
            break;
        }
    return places;
}

} // namespace tovan
