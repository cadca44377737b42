// SPDX-License-Identifier: MIT

#pragma once

#include "stereogramformat.h"

#include <QImage>
#include <QSize>

#include <vector>

namespace picture {

// What a picture box keeps of a picture it is given: the part that fits `area`, at the top left,
// as opaque 32-bit pixels.
QImage keptPart(const QImage &picture, QSize area);

// Draws a kept part over `target` at the top left, one pixel to one pixel.
void drawKeptPart(QImage &target, const QImage &kept);

// What "ファイル読み込み" and then "編集終了" leave in the depth store for a loaded picture: the
// picture at the top left of the black canvas, clipped, drawn as the canvas's surface draws it.
QImage depthMapOf(const QImage &picture);

// The stereogram for print: each dot a scale x scale block, with the converging aid above it if
// asked for.
QImage printable(const QImage &stereogram, int scale, bool guides);

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
    explicit PackedPicture(const QImage &image);

    QImage unpack() const;
    qsizetype bytes() const;

private:
    struct Run
    {
        QRgb colour;
        quint32 length;
    };
    QSize m_size;
    QImage::Format m_format = QImage::Format_RGB32;
    std::vector<Run> m_runs;
    QImage m_plain;
};

} // namespace picture
