#include "gui/serial/RemotePortMemory.h"

#include "core/serial/RemoteAddress.h"

#include <QSettings>

#include <algorithm>

namespace tovan {
namespace {

const QString ORGANIZATION = QStringLiteral("TOVAN Command Center V1.1");
const QString APPLICATION = QStringLiteral("TOVAN Commander");
const QString GROUP = QStringLiteral("Remote Ports");

} // namespace

RemotePortMemory::RemotePortMemory()
    : m_store(std::make_unique<QSettings>(ORGANIZATION, APPLICATION)) {}

RemotePortMemory::RemotePortMemory(const QString& path)
    : m_store(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

RemotePortMemory::~RemotePortMemory() = default;

QList<RemotePortMemory::Entry> RemotePortMemory::read() const {
    QList<Entry> entries;
    const int count = m_store->beginReadArray(GROUP);
    for (int i = 0; i < count && entries.size() < SIZE; ++i) {
        m_store->setArrayIndex(i);
        const QString name = m_store->value(QStringLiteral("name")).toString();
        const auto pause = m_store->value(QStringLiteral("pause")).toUInt();
        if (RemoteAddress::isRemote(name.toStdString()))
            entries.append({name, pause});
    }
    m_store->endArray();
    return entries;
}

QStringList RemotePortMemory::names() const {
    QStringList names;
    for (const Entry& entry : read())
        names << entry.name;
    return names;
}

std::uint32_t RemotePortMemory::pauseOf(const QString& name) const {
    for (const Entry& entry : read())
        if (entry.name == name)
            return entry.pauseMs;
    return 0;
}

void RemotePortMemory::remember(const QString& name, std::uint32_t pauseMs) {
    if (!RemoteAddress::isRemote(name.toStdString()))
        return;
    QList<Entry> entries = read();
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const Entry& entry) { return entry.name == name; }),
                  entries.end());
    entries.prepend({name, pauseMs});
    while (entries.size() > SIZE)
        entries.removeLast();
    m_store->remove(GROUP);
    m_store->beginWriteArray(GROUP, static_cast<int>(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        m_store->setArrayIndex(i);
        m_store->setValue(QStringLiteral("name"), entries[i].name);
        m_store->setValue(QStringLiteral("pause"), entries[i].pauseMs);
    }
    m_store->endArray();
    m_store->sync();
}

} // namespace tovan
