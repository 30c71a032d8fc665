#include "gui/serial/PortComboBox.h"

#include "gui/serial/PortList.h"

#include <QLineEdit>

namespace tovan {

PortComboBox::PortComboBox(PortSource source, QWidget* parent)
    : QComboBox(parent), m_source(std::move(source)) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void PortComboBox::rebuildList() {
    const QString typed = currentText();
    clear();
    addItems(sortedPortNames(m_source ? m_source() : QStringList()));
    const int entry = findText(typed, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    setCurrentIndex(entry);
    if (entry < 0)
        setEditText(typed);
}

void PortComboBox::showPopup() {
    rebuildList();
    QComboBox::showPopup();
}

} // namespace tovan
