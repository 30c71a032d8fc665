#include "gui/app/RecentFileList.h"

#include <QSettings>

namespace tovan {
namespace {

const QString ORGANIZATION = QStringLiteral("TOVAN Command Center V1.1");
const QString APPLICATION = QStringLiteral("TOVAN Commander");
const QString GROUP = QStringLiteral("Recent File List");

} // namespace

RecentFileList::RecentFileList() {
    QSettings stored(ORGANIZATION, APPLICATION);
    stored.beginGroup(GROUP);
    for (int i = 1; i <= SIZE; ++i) {
        const QString path = stored.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty() && !m_paths.contains(path))
            m_paths << path;
    }
}

void RecentFileList::add(const QString& path) {
    m_paths.removeAll(path);
    m_paths.prepend(path);
    while (m_paths.size() > SIZE)
        m_paths.removeLast();
    save();
}

void RecentFileList::remove(const QString& path) {
    m_paths.removeAll(path);
    save();
}

void RecentFileList::save() const {
    QSettings stored(ORGANIZATION, APPLICATION);
    stored.beginGroup(GROUP);
    for (int i = 1; i <= SIZE; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_paths.size())
            stored.setValue(key, m_paths.at(i - 1));
        else
            stored.remove(key);
    }
}

} // namespace tovan
