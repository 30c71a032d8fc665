#include "gui/app/InstanceChannel.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tovan {

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

// A folder in /tmp may have been made by anyone: it is used only when it is a folder (not a
// link to one) that belongs to this user and nobody else may enter.
bool InstanceChannel::isPrivateFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return false;
    return (info.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

QString InstanceChannel::socketPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QStringLiteral("/tmp/tovan-%1").arg(::getuid());
        if (!isPrivateFolder(folder))
            return {};
    }
    return folder + QStringLiteral("/tovan-workbench.socket");
}

bool InstanceChannel::isAnswering(const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    return socket.waitForConnected(timeoutMs);
}

bool InstanceChannel::handToRunning(const QStringList& paths, int timeoutMs) {
    if (socketPath().isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    for (const QString& path : paths)
        message += QFileInfo(path).absoluteFilePath().toUtf8() + '\n';
    message += '\n'; // an empty line ends the list
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The running workbench answers once it has the list.
    return socket.waitForReadyRead(timeoutMs) && socket.readAll().startsWith("ok");
}

bool InstanceChannel::listen() {
    const QString path = socketPath();
    if (path.isEmpty())
        return false;
    // A workbench that is alive keeps its socket, even when it was too busy to answer a
    // hand-over; only a socket nobody listens on is a leftover to replace. This is asked
    // first: with access options set, Qt puts a new socket in place by renaming it over
    // whatever is there.
    if (QFileInfo::exists(path) && isAnswering(path, 500))
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::takeConnection);
    if (m_server->listen(path))
        return true;
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

void InstanceChannel::takeConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray all = socket->peek(socket->bytesAvailable());
            if (!all.endsWith("\n\n") && all != "\n")
                return; // the list is not complete yet
            socket->readAll();
            socket->write("ok\n");
            socket->flush();
            QStringList paths;
            for (const QByteArray& line : all.split('\n'))
                if (!line.isEmpty())
                    paths << QString::fromUtf8(line);
            Q_EMIT filesHandedOver(paths);
        });
    }
}

} // namespace tovan
