// SPDX-License-Identifier: MIT

#include "helpserver.h"

#include "helpwindow.h"

#include "ui/helpchannel.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace helpviewer {

HelpServer::HelpServer(HelpWindow &window, QString serverName)
    : m_window(window), m_serverName(std::move(serverName)), m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!peerIsThisUser(*socket)) {
                // Only our own are heard, wherever the socket lies.
                socket->abort();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { take(socket); });
            take(socket);
        }
    });
}

// A socket file of ours that nobody answers on: what a viewer that crashed leaves behind.
static bool isStaleSocket(const QString &path)
{
    struct stat st{};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISSOCK(st.st_mode)
        || st.st_uid != ::geteuid())
        return false;
    QLocalSocket probe;
    probe.connectToServer(path);
    probe.waitForConnected(1000);
    return probe.error() == QLocalSocket::ConnectionRefusedError;
}

bool HelpServer::listen()
{
    if (m_serverName.isEmpty())
        return false;
    // Two viewers started at once must not both clear the same stale socket and listen.
    QLockFile lock(m_serverName + u".lock"_s);
    if (!lock.tryLock(2000))
        return false;
    if (m_server->listen(m_serverName))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError
        || !isStaleSocket(m_serverName))
        return false;
    QLocalServer::removeServer(m_serverName);
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
    return ui::peerUid(socket) == std::optional<unsigned>(::geteuid());
}

} // namespace helpviewer
