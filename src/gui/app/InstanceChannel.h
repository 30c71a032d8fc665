#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

namespace tovan {

// Lets a workbench started to open files (from the desktop) hand them to the workbench this
// user already runs, as a desktop's file manager expects of a document program: one file never
// opens twice, and the files land in the window the user already works in.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit InstanceChannel(QObject* parent = nullptr);

    // The socket the running workbench listens on: in the user's runtime folder, or in
    // /tmp/tovan-<uid> when there is none; empty when that folder is not this user's alone.
    static QString socketPath();
    // Makes `folder` (mode 0700) when missing; true when it is a folder of this user's that
    // nobody else may enter, not a link.
    static bool isPrivateFolder(const QString& folder);

    // Hands `paths` (made absolute) to a running workbench. False when none answered.
    static bool handToRunning(const QStringList& paths, int timeoutMs = 2000);

    // Starts listening; a socket left behind by a workbench that is gone is replaced, one
    // whose workbench still runs is left alone (false).
    bool listen();

Q_SIGNALS:
    void filesHandedOver(const QStringList& paths);

private:
    static bool isAnswering(const QString& path, int timeoutMs);
    void takeConnection();

    QLocalServer* m_server = nullptr;
};

} // namespace tovan
