// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QList>
#include "image.h"

#include <QtGlobal>

#include <functional>
#include <utility>

namespace picture {

enum class FileFormat { Bmp, Png };

// A picture handed over a row at a time, so that one far larger than any kept in memory (a
// stereogram enlarged for print) can be written without being made whole. `row(y, scratch)` gives
// the `width` opaque pixels of row y: a pointer into a picture the source keeps, or `scratch`
// (room for `width` pixels) filled. Rows are asked for in any order, and a row may be asked for
// more than once.
struct PictureRows
{
    int width = 0;
    int height = 0;
    std::function<const Rgb *(int y, Rgb *scratch)> row;
};

// Where encoded bytes go, in order. It throws to stop the encoding.
using ByteSink = std::function<void(const char *data, qint64 size)>;

// Refuses a picture of no pixels (PictureError WriteFailed): no file holds one.
void refuseEmptyRows(const PictureRows &rows);

// The exact size of the bitmap encodeRows writes for a picture of this size.
qint64 bitmapBytes(int width, int height);

// Encodes the rows as an opaque 24-bit Windows bitmap (rows bottom-up), or as a PNG: a palette PNG
// when the picture has at most 256 colours (every stereogram and depth map), numbered in the order
// they first appear, or a grey PNG when those happen to be the greys 0, 1, 2 … in that order; a
// 24-bit PNG otherwise, at zlib's fastest level. The file says `dotsPerMeter` for its resolution.
// The bytes go to `sink` in pieces of a bounded size, so no more than a few rows are held at once.
// Throws PictureError (WriteFailed) for a picture of no pixels or if libpng fails, and whatever the
// sink throws.
void encodeRows(const PictureRows &rows, FileFormat format, int dotsPerMeter,
                const ByteSink &sink);

// What a PNG may hold beyond what encodeRows chooses by itself.
struct PngOptions
{
    // tEXt chunks, keyword and Latin-1 text, after the resolution.
    QList<std::pair<QByteArray, QByteArray>> text;
    // A palette known beforehand, in index order: the rows are not looked over first (each is
    // asked for once, top to bottom) and written as indices into it, 1 bit a pixel for two
    // colours, 8 otherwise; never as greys. Every pixel must be one of these colours, and some
    // byte of a colour (blue, green or red) must tell all of them apart.
    QList<Rgb> palette;
    // 24 bits whatever the colours, the rows asked for once (without a palette given).
    bool trueColour = false;
    // For 24 bits: every row filtered by its left neighbour (PNG's "Sub"), not by libpng's
    // choice of the best filter per row, which takes far longer for random dots.
    bool subFilter = false;
};

// A PNG as encodeRows makes it, with these additions.
void encodePngRows(const PictureRows &rows, int dotsPerMeter, const PngOptions &options,
                   const ByteSink &sink);

// The rows as a lossless WebP file (RIFF header and VP8L chunk), made whole in memory as the
// encoder needs: the rows are written straight into its picture. Throws std::bad_alloc when the
// encoder runs out of memory, PictureError (WriteFailed) when it fails otherwise.
QByteArray encodeLosslessWebP(const PictureRows &rows);

} // namespace picture
