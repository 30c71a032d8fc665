#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace tovan {

// Asks where to save `csv` (a save dialog with `caption`) and writes it there; a file that
// cannot be written is told in a message box with the reason. False when nothing was written.
bool exportCsv(QWidget* parent, const QString& caption, const QByteArray& csv);

} // namespace tovan
