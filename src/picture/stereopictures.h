// SPDX-License-Identifier: MIT

#pragma once

#include "stereogramformat.h"

#include "pictureio.h"

#include "image.h"
#include <QSize>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace picture {

// What a picture box keeps of a picture it is given: the part that fits `area`, at the top left,
// as opaque 32-bit pixels.
Image keptPart(const Image &picture, QSize area);

// Draws a kept part over `target` (an RGB32 picture) at the top left, one pixel to one pixel.
void drawKeptPart(Image &target, const Image &kept);

// What "ファイル読み込み" and then "編集終了" leave in the depth store for a loaded picture: the
// picture at the top left of the black canvas, clipped, drawn as the canvas's surface draws it.
Image depthMapOf(const Image &picture);

// The stereogram for print: each dot a scale x scale block, with the converging aid above it if
// asked for.
Image printable(const Image &stereogram, int scale, bool guides);

// printable's rows, made as they are asked for from the stereogram: an enlarged picture is never
// held whole. Throws std::bad_alloc when not even the stereogram with its aid fits in memory.
PictureRows printableRows(const Image &stereogram, int scale, bool guides);

// The largest scale printable is asked for.
inline constexpr int MaxPrintScale = 16;

// What printable made, read back: the stereogram, its scale and whether the aid is above it.
struct Unprinted
{
    Image stereogram;
    int scale = 1;
    bool guides = false;
};

// The 453 x 333 stereogram inside a picture that printable made of one, at scale 1 to
// MaxPrintScale with or without the aid: the scale from the width, the aid from the height, and
// only when every block is one colour and the aid's band is exactly the one printable draws.
std::optional<Unprinted> unprinted(const Image &picture);

// Whether a picture of this size could be one that printable made (scale 1 included), the size
// unprinted asks for before it looks at a pixel.
bool isPrintedSize(QSize size);

// printableRows, encoded into the file a row at a time: the file "make --scale K [--guides]"
// writes, and the desktop program's enlarged export. Throws PictureError, or std::bad_alloc.
// `cancel`, once set, stops it before the next row: no file is left and it returns false.
// `progress` gets the rows handed to the encoder so far out of all it will ask for (a PNG's rows
// are read twice: once for its colours, once to write them).
bool writeStereogram(const Image &stereogram, int scale, bool guides, const QString &path,
                     FileFormat format, int dotsPerMeter = SavedDotsPerMeter,
                     const std::atomic<bool> *cancel = nullptr,
                     const std::function<void(int done, int total)> &progress = {});

// The converging aid: a white band this high above the picture, with two black dots one
// background separation apart, centred.
inline constexpr int GuideBandHeight = 20;
inline constexpr int GuideDotRadius = 3;
inline constexpr int GuideDotSpacing = 60;

// A depth map kept small while a batch waits for the generator: each row as runs of one colour,
// or the image itself when runs would take more room. Unpacks to the very same pixels.
class PackedPicture
{
public:
    PackedPicture() = default;
    explicit PackedPicture(const Image &image);

    Image unpack() const;
    qsizetype bytes() const;

private:
    struct Run
    {
        Rgb colour;
        quint32 length;
    };
    QSize m_size;
    Image::Format m_format = Image::Format::Rgb32;
    std::vector<Run> m_runs;
    Image m_plain;
};

} // namespace picture
