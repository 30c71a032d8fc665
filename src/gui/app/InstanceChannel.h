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
    // /tmp/tovan-<uid> when there is none.
    static QString socketPath();

    // Hands `paths` (made absolute) to a running workbench. False when none answered.
    static bool handToRunning(const QStringList& paths, int timeoutMs = 2000);

    // Starts listening; a socket left behind by a workbench that is gone is replaced.
    bool listen();

Q_SIGNALS:
    void filesHandedOver(const QStringList& paths);

private:
    void takeConnection();

    QLocalServer* m_server = nullptr;
};

} // namespace tovan
