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

} // namespace picture
