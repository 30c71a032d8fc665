#include "gui/shared/CsvExport.h"

#include "gui/shared/DialogService.h"

#include <QFile>

namespace tovan {

bool exportCsv(QWidget* parent, const QString& caption, const QByteArray& csv) {
    const QString path = dialogs().saveFileName(parent, caption, QStringLiteral("csv"),
                                                QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(csv) == csv.size() &&
        file.flush())
        return true;
    dialogs().messageBox(parent,
                         QStringLiteral("Unable to write %1: %2").arg(path, file.errorString()),
                         caption, DialogService::Icon::Error, DialogService::Buttons::Ok);
    return false;
}

} // namespace tovan
