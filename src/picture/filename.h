// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

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

// Every format a file name can ask for, by its extension in any case: the one rule behind each
// writer's choice of format (formatOfName, animationFormatOfName and the large stereogram's
// fileFormatOfName take the formats they write of it).
enum class NamedFormat { Bmp, Png, Gif, Jpeg, WebP };
std::optional<NamedFormat> formatNamed(const QString &path);
// The extensions that ask for the format, without the dot: "jpg" and "jpeg" for JPEG.
QStringList suffixesOf(NamedFormat format);

} // namespace picture
