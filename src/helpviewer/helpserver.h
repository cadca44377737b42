// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace helpviewer {

class HelpWindow;

// Keeps the viewer single: it listens under the viewer's name, and each file that a later
// request hands over is shown in its window in place of the one shown, which comes to the front.
class HelpServer : public QObject
{
    Q_OBJECT

public:
    HelpServer(HelpWindow &window, QString serverName);

    // Listens under the name, taking over a socket file that a viewer of ours left behind when it
    // ended without closing. False when there is no name, or another process holds it.
    bool listen();

    // The longest request taken; longer ones are dropped unread.
    static constexpr qint64 MaxRequestBytes = 64 * 1024;

signals:
    // A request was handled: `path` is shown and the window raised.
    void requestHandled(const QString &path);

private:
    void take(QLocalSocket *socket);
    void show(const QString &path);

    HelpWindow &m_window;
    QString m_serverName;
    QLocalServer *m_server;
};

// Whether the process at the other end of a local socket runs as this user.
bool peerIsThisUser(const QLocalSocket &socket);

} // namespace helpviewer
