// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// Files a user may pick by accident that the loader must refuse, made in a folder of the test's
// own, each with the run-time error number and the reason it must give.
namespace hostilefiles {

struct Case
{
    QString name;
    QString path;
    int number = 0;
    QString reason; // a part of the description that names the reason
};

// Every kind: missing, no access, a folder, special files, empty, not a picture, unsupported,
// damaged, cut short at several points (8-, 16-, 24-bit and RLE bitmaps, PNG, JPEG, GIF), chunk
// and header lies, too large. The no-permission file is left out when running as root, whom
// permissions do not stop.
QList<Case> make(const QString &dir);

// The image in that format, as Qt writes it.
QByteArray encoded(const QImage &image, const char *format);

// Small valid pictures built by hand where Qt has no writer.
QByteArray smallGif(); // 16 x 16

// A PNG chunk: length (or the given lie), type, data and checksum.
QByteArray pngChunk(const char *type, const QByteArray &data, qint64 statedLength = -1);
// A PNG signature and header of the given size and depth (8 or 16 bits, RGB).
QByteArray pngHeader(quint32 width, quint32 height, int bitDepth = 8);
// A JPEG that holds only its structure: start, frame header of that size (3 components, 1 x 1
// sampling, progressive or not), `scans` scans, end.
QByteArray jpegSkeleton(int width, int height, bool progressive, int scans = 1);
// A bitmap of that size whose 8-bit RLE data ends at once: every pixel is left to the reader.
QByteArray emptyRle8Bitmap(int width, int height);

} // namespace hostilefiles
