// SPDX-License-Identifier: MIT

#pragma once

#include "filewriter.h"
#include "image.h"
#include "pictureencoder.h"
#include "pictureerror.h"

#include <QByteArray>
#include "image.h"
#include <QSize>
#include <QString>

#include <optional>

namespace picture {

// The largest file loadPicture reads. The whole file is read into memory before it is decoded.
inline constexpr qint64 MaxPictureFileBytes = 50'000'000;
// The largest picture it decodes: at most this many pixels each way, and no more pixel memory than
// such a picture takes at 32 bits a pixel. Larger ones are refused from their header, before any
// pixel memory is allocated.
inline constexpr int MaxPictureSide = 8000;
inline constexpr qint64 MaxPictureBytes = qint64(MaxPictureSide) * MaxPictureSide * 4;
// The desktop program holds a picture beside its windows (about 50 MB with a file dialog shown)
// and stays within 300 MB by decoding no picture that needs more than this: 7500 x 7500 pixels at
// 32 bits a pixel, 8000 x 8000 at 8. The limit checkPictureSize applies, set once at start-up;
// MaxPictureBytes until then.
inline constexpr qint64 DesktopPictureBytes = qint64(7500) * 7500 * 4;
void setPictureBytesLimit(qint64 bytes);
qint64 pictureBytesLimit();

// Reads a picture file: BMP, PNG, GIF and JPEG, each walked before its reader sees it. The format
// is the one the file's first bytes announce, and only that format's reader is asked; any other
// format is refused. Only a regular file is opened; a pipe, socket, device or folder is refused
// without being opened, so nothing here can block. Throws PictureError with the true reason when
// the file cannot be read as a picture, is cut short or damaged, or is too large. An empty path
// gives the empty picture.
// `part`, when valid, is all the caller will use of the picture: only its top-left `part` is
// returned, and a reader that can decode part of a picture decodes only that.
Image loadPicture(const QString &path, QSize part = {});

// A regular file's bytes, read whole: a pipe, socket, device or folder is refused without being
// waited on, and so is an empty file or one larger than `limit`. Throws PictureError.
QByteArray readRegularFile(const QString &path, qint64 limit = MaxPictureFileBytes);

// The decoding half of loadPicture, on a file's bytes: the same checks, the same readers, the same
// errors. The result is the same for the same bytes and holds no pixel that they do not define.
Image decodePicture(const QByteArray &bytes, QSize part = {});

// The format a file name asks for by its extension (.bmp or .png, in any case), if either.
// The size a picture file's header states, for the formats loadPicture reads; invalid where the
// bytes state none that can be trusted.
QSize statedSize(const QByteArray &bytes);

std::optional<FileFormat> formatOfName(const QString &path);

// The resolution written into saved pictures, 96 dpi, whatever the screen's: the same picture
// makes the same file on every machine.
inline constexpr int SavedDotsPerMeter = 3780;

// A printer's resolution, asked for a print: dots per inch as dots per metre, the unit both PNG's
// pHYs chunk and a bitmap's header keep.
inline constexpr int MinPrintDpi = 72;
inline constexpr int MaxPrintDpi = 4800;
inline constexpr int DefaultPrintDpi = 300;
int dotsPerMeterOfDpi(int dpi);

// The picture's rows for encodeRows, as opaque 32-bit pixels.
PictureRows rowsOf(const Image &image);

// The bytes of the picture as encodeRows writes it.
QByteArray encodePicture(const Image &image, FileFormat format,
                         int dotsPerMeter = SavedDotsPerMeter);

// The picture encoded straight into its file, through FileWriter.
void savePicture(const Image &image, const QString &path, FileFormat format,
                 int dotsPerMeter = SavedDotsPerMeter);

// encodeRows into a file through FileWriter, committed once the last byte is written.
void saveRows(const PictureRows &rows, const QString &path, FileFormat format, int dotsPerMeter);

} // namespace picture
