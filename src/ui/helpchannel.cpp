// SPDX-License-Identifier: MIT

#include "helpchannel.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QStandardPaths>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ui {

bool isPrivateFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat st{};
    // lstat: a link could lead anywhere, so it is not taken for the folder it names.
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0700;
}

QString helpViewerServerName()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!isPrivateFolder(folder))
        return {};
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    // WAYLAND_DISPLAY may be a path of its own; the socket stays directly in the folder.
    display.replace(u'/', u'_');
    const QString name = u"%1/zomvorn-help-%2%3"_s.arg(folder, QGuiApplication::platformName(),
                                                      display);
    // A name the system cannot bind would leave every viewer alone anyway.
    if (QFile::encodeName(name).size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        return {};
    return name;
}

std::optional<unsigned> peerUid(const QLocalSocket &socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0
        || size != sizeof peer)
        return std::nullopt;
    return unsigned(peer.uid);
}

HelpDelivery sendToHelpViewer(const QString &serverName, const QString &helpFile,
                              const PeerUid &uidOf)
{
    // The viewer waits for one line: the file, UTF-8.
    constexpr int TimeoutMs = 2000;
    if (serverName.isEmpty())
        return HelpDelivery::NoViewer;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(TimeoutMs))
        return HelpDelivery::NoViewer;
    if (uidOf(socket) != std::optional<unsigned>(::geteuid())) {
        socket.abort();
        return HelpDelivery::Refused;
    }
    const QString path = helpFile.isEmpty() ? helpFile : QFileInfo(helpFile).absoluteFilePath();
    socket.write(path.toUtf8() + '\n');
    const bool sent = socket.waitForBytesWritten(TimeoutMs);
    socket.disconnectFromServer();
    return sent ? HelpDelivery::Sent : HelpDelivery::NoViewer;
}

} // namespace ui
