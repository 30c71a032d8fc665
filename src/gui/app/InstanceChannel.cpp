#include "gui/app/InstanceChannel.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace tovan {

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

QString InstanceChannel::socketPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStringLiteral("/tmp/tovan-%1").arg(::getuid());
    QDir().mkpath(folder);
    return folder + QStringLiteral("/tovan-workbench.socket");
}

bool InstanceChannel::handToRunning(const QStringList& paths, int timeoutMs) {
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
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::takeConnection);
    if (m_server->listen(socketPath()))
        return true;
    // Nobody answered on it (handToRunning failed first), so the socket is a leftover.
    QLocalServer::removeServer(socketPath());
    return m_server->listen(socketPath());
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
