// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace cli {

// The editor's canvas and the main window's depth store.
inline constexpr QSize DepthMapSize{389, 333};
// The display window's picture: the stereogram as Save As writes it.
inline constexpr QSize StereogramSize{453, 333};

// What "ファイル読み込み" and then "編集終了" leave in the depth store for a loaded picture: the
// picture at the top left of the black canvas, clipped, drawn by the canvas's own surface.
QImage depthMapOf(const QImage &picture);

enum class PictureFormat { Bmp, Png };

// The format a file name asks for by its extension (.bmp or .png, in any case), if either.
std::optional<PictureFormat> formatOfName(const QString &path);

// Writes the picture as a 24-bit bitmap, as Save As does, or as a PNG. The file at that path is
// replaced only once the new one is complete. Returns the reason for a failure, or empty.
QString writePicture(const QImage &image, const QString &path, PictureFormat format);

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

} // namespace cli
