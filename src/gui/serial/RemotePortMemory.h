#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QSettings;

namespace tovan {

// The ports across the network (rfc2217://HOST:PORT, socket://HOST:PORT) the user has chosen
// before, newest first, each with the pause chosen for it: the port list offers them with the
// local ports. Kept in the program's settings file, group "Remote Ports".
class RemotePortMemory {
public:
    static constexpr int SIZE = 16;

    // The program's own settings file (where the recent files are kept).
    RemotePortMemory();
    // Another settings file.
    explicit RemotePortMemory(const QString& path);
    ~RemotePortMemory();
    RemotePortMemory(const RemotePortMemory&) = delete;
    RemotePortMemory& operator=(const RemotePortMemory&) = delete;

    QStringList names() const;
    // The pause chosen last for `name`; 0 when the name is not remembered.
    std::uint32_t pauseOf(const QString& name) const;
    // Puts `name` first; remote names only, at most SIZE of them.
    void remember(const QString& name, std::uint32_t pauseMs);

private:
    struct Entry {
        QString name;
        std::uint32_t pauseMs;
    };
    QList<Entry> read() const;

    std::unique_ptr<QSettings> m_store;
};

} // namespace tovan
