// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

#include <functional>
#include <optional>

class QLocalSocket;

namespace ui {

// How the program reaches a running help viewer: a local socket in the user's private runtime
// folder, so that no other user can take its name, and a listener that is checked to run as this
// user before it is told anything.

// Whether `path` is a folder that only this user can enter: a real folder (not a link), owned by
// this user, mode 0700.
bool isPrivateFolder(const QString &path);

// Where a running help viewer listens: one socket per display in the user's runtime folder.
// Empty when that folder is missing or not private: then no viewer listens and each one started
// shows its file alone.
QString helpViewerServerName();

// The help viewer's first argument when it is to show its file without listening or handing it
// on: the name is someone else's.
inline QString helpViewerAloneOption() { return QStringLiteral("--alone"); }

// The user id of the process at the other end of a connected local socket; nothing when the
// system does not say.
std::optional<unsigned> peerUid(const QLocalSocket &socket);

// Tells whose end a socket is; peerUid, or a stand-in in tests.
using PeerUid = std::function<std::optional<unsigned>(const QLocalSocket &)>;

enum class HelpDelivery {
    Sent,    // a viewer of this user took the file
    NoViewer, // nobody listens under the name (or there is no name)
    Refused, // the listener runs as someone else and was told nothing
};

// Hands `helpFile` (made absolute) to the viewer listening under `serverName`, once the listener is
// known to run as this user. Takes a bounded time.
HelpDelivery sendToHelpViewer(const QString &serverName, const QString &helpFile,
                              const PeerUid &uidOf = peerUid);

} // namespace ui
