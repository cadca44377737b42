// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace ui {

// The largest file LoadPicture reads. The whole file is read into memory before it is decoded.
inline constexpr qint64 MaxPictureFileBytes = 50'000'000;
// The largest picture it decodes: at most this many pixels each way, and no more pixel memory than
// such a picture takes at 32 bits a pixel. Larger ones are refused from their header, before any
// pixel memory is allocated.
inline constexpr int MaxPictureSide = 8000;
inline constexpr qint64 MaxPictureBytes = qint64(MaxPictureSide) * MaxPictureSide * 4;

// Reads a picture file: Windows bitmaps, and whatever else Qt's readers know. Only a regular file
// is opened; a pipe, socket, device or folder is refused without being opened, so nothing here can
// block. Raises RuntimeError (number and a description that names the true reason) when the file
// cannot be read as a picture, is cut short or damaged, or is too large. An empty path gives the
// empty picture.
// `part`, when valid, is all the caller will use of the picture: only its top-left `part` is
// returned, and a reader that can decode part of a picture decodes only that.
QImage LoadPicture(const QString &path = {}, QSize part = {});

// The decoding half of LoadPicture, on a file's bytes: the same checks, the same readers, the same
// errors. The result is the same for the same bytes and holds no pixel that they do not define.
QImage decodePicture(const QByteArray &bytes, QSize part = {});

// Writes the image as a Windows bitmap file under exactly that name. The old file at that path, if
// any, is replaced only once the new one is completely written. Raises RuntimeError on failure;
// a full disk is reported as such, whatever the failing call.
void SavePicture(const QImage &image, const QString &path);

// The resolution written into saved pictures, 96 dpi, whatever the screen's: the same picture
// makes the same file on every machine.
inline constexpr int SavedDotsPerMeter = 3780;

} // namespace ui
