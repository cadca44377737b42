// SPDX-License-Identifier: MIT

#include "helpserver.h"

#include "helpwindow.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <sys/socket.h>
#include <unistd.h>

namespace helpviewer {

HelpServer::HelpServer(HelpWindow &window, QString serverName)
    : m_window(window), m_serverName(std::move(serverName)), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!peerIsThisUser(*socket)) {
                // Any user can reach a name in the abstract namespace; only our own are heard.
                socket->abort();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { take(socket); });
            take(socket);
        }
    });
}

bool HelpServer::listen()
{
    return m_server->listen(m_serverName);
}

void HelpServer::take(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > MaxRequestBytes) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine())
        return;
    QByteArray line = socket->readLine();
    line.chop(1);
    socket->disconnectFromServer();
    show(QString::fromUtf8(line));
}

void HelpServer::show(const QString &path)
{
    // The file already shown stays as it is, scrolled where the reader left it.
    if (path != m_window.shownFile())
        m_window.showFile(path);
    m_window.bringToFront();
    emit requestHandled(path);
}

bool peerIsThisUser(const QLocalSocket &socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == getuid();
}

} // namespace helpviewer
