// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>

namespace picture {

// File names are the system's bytes. A name that is not valid UTF-8 (an archive made on another
// system, say) still has to be opened and written by exactly its bytes, so each byte that is not
// part of a valid UTF-8 sequence is carried in the QString as a lone surrogate U+DC80 to U+DCFF,
// which no valid name can hold. Both directions are exact inverses.
QString fileNameFromBytes(const QByteArray &bytes);
QByteArray fileNameBytes(const QString &name);

// The name as it can be shown: each byte that is not valid UTF-8 as \xNN.
QString shownFileName(const QString &name);

// Whether the name holds such bytes, or the replacement character a dialog puts in their place:
// a name that cannot be shown as it is.
bool hasUnreadableBytes(const QString &name);

// The file a name stands for, so that two names of one file compare equal through links and
// relative paths alike: the target with every link resolved where the name exists (a link to
// nowhere included), else the real folder and the name. Both programs refuse to write a file
// over one they read by it.
QString fileKey(const QString &path);

} // namespace picture
