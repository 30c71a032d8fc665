#pragma once

#include <QStringList>

namespace tovan {

// The four documents opened or saved last, newest first, kept in the user's settings under
// "TOVAN Command Center V1.1", group "Recent File List", values "File1" to "File4".
class RecentFileList {
public:
    static constexpr int SIZE = 4;

    RecentFileList();

    const QStringList& paths() const { return m_paths; }
    // Puts `path` first (once) and saves the list.
    void add(const QString& path);
    // Drops `path` (a file that could not be opened) and saves the list.
    void remove(const QString& path);

private:
    void save() const;

    QStringList m_paths;
};

} // namespace tovan
