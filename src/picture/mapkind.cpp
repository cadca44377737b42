// SPDX-License-Identifier: MIT

#include "mapkind.h"

#include "colour.h"
#include "pictureio.h"
#include "stereopictures.h"

#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace picture {

namespace {

bool sixteenBitFormat(QImage::Format format)
{
    return format == QImage::Format_Grayscale16 || format == QImage::Format_RGBX64
           || format == QImage::Format_RGBA64 || format == QImage::Format_RGBA64_Premultiplied;
}

bool offLevel(QRgb c)
{
    for (const Colour level : QBColorTable) {
        if (std::abs(qRed(c) - redOf(level)) <= OffLevelDistance
            && std::abs(qGreen(c) - greenOf(level)) <= OffLevelDistance
            && std::abs(qBlue(c) - blueOf(level)) <= OffLevelDistance)
            return false;
    }
    return true;
}

bool greyish(QRgb c)
{
    return std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)})
           <= GreySpread;
}

} // namespace

MapVerdict recogniseMap(const QImage &picture)
{
    MapVerdict verdict;
    if (picture.isNull())
        return verdict;
    const int w = picture.width();
    const int h = picture.height();
    const qint64 pixels = qint64(w) * h;
    // Row by row as 32-bit pixels: a large picture of fewer bits is never widened whole.
    const bool wide = picture.format() == QImage::Format_RGB32;
    QImage converted;
    auto rowOf = [&](int y) {
        if (wide)
            return reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        converted = picture.copy(0, y, w, 1).convertToFormat(QImage::Format_RGB32);
        return reinterpret_cast<const QRgb *>(converted.constScanLine(0));
    };
    constexpr int ColourCap = 4096;

    // A grey picture: its off-level greys, wherever they are.
    qint64 greyPixels = 0;
    for (int y = 0; y < h; ++y) {
        const QRgb *line = rowOf(y);
        for (int x = 0; x < w; ++x)
            greyPixels += greyish(line[x]);
    }
    const bool grey = double(greyPixels) >= GreyShare * double(pixels);
    QSet<QRgb> colours;
    qint64 counted = 0;
    if (grey) {
        for (int y = 0; y < h; ++y) {
            const QRgb *line = rowOf(y);
            for (int x = 0; x < w; ++x) {
                const int g = qGray(line[x]);
                if (offLevel(qRgb(g, g, g))) {
                    ++counted;
                    colours.insert(QRgb(g));
                }
            }
        }
    } else {
        // A colour picture: its pixels off-level together with their four neighbours, row by
        // row, keeping three rows of flags.
        std::vector<std::vector<quint8>> off(3, std::vector<quint8>(std::size_t(w)));
        std::vector<std::vector<QRgb>> colour(2, std::vector<QRgb>(std::size_t(w)));
        // Row y's flags and colours.
        auto flagRow = [&](int y, std::vector<quint8> &flags, std::vector<QRgb> &colours) {
            const QRgb *line = rowOf(y);
            for (int x = 0; x < w; ++x) {
                flags[std::size_t(x)] = offLevel(line[x]);
                colours[std::size_t(x)] = line[x];
            }
        };
        flagRow(0, off[1], colour[0]);
        for (int y = 0; y < h; ++y) {
            // off[0]: row y - 1, off[1]: row y, off[2]: row y + 1.
            if (y + 1 < h)
                flagRow(y + 1, off[2], colour[1]);
            const std::vector<QRgb> &line = colour[0];
            for (int x = 0; x < w; ++x) {
                const auto i = std::size_t(x);
                if (!off[1][i])
                    continue;
                if ((x > 0 && !off[1][i - 1]) || (x + 1 < w && !off[1][i + 1])
                    || (y > 0 && !off[0][i]) || (y + 1 < h && !off[2][i]))
                    continue;
                ++counted;
                if (colours.size() < ColourCap)
                    colours.insert(line[std::size_t(x)] & 0xffffffu);
            }
            std::swap(off[0], off[1]);
            std::swap(off[1], off[2]);
            std::swap(colour[0], colour[1]);
        }
    }
    verdict.offLevelShare = double(counted) / double(pixels);
    verdict.offLevelColours = int(colours.size());

    const bool sixteen = sixteenBitFormat(picture.format());
    const double least = grey ? OffLevelGreyShare : OffLevelColourShare;
    if (!sixteen
        && (verdict.offLevelShare < least || verdict.offLevelColours <= OffLevelColours))
        return verdict;
    if (grey) {
        verdict.kind = sixteen ? MapKind::SixteenBit : MapKind::Grey;
        return verdict;
    }
    verdict.scale = colourScaleOf(picture);
    verdict.kind = verdict.scale ? MapKind::ColourScale
                                 : (sixteen ? MapKind::SixteenBit : MapKind::Colour);
    return verdict;
}

QImage depthPictureOf(QImage picture, const MapVerdict &verdict)
{
    if (verdict.kind == MapKind::ColourScale && verdict.scale)
        return readAlongScale(std::move(picture), *verdict.scale);
    return picture;
}

LevelsSettings conversionDefaults()
{
    LevelsSettings settings;
    settings.nearGrey = {Bound::Kind::Auto, 0};
    settings.farGrey = {Bound::Kind::Auto, 0};
    return settings;
}

MapOfPicture mapOfPicture(QImage picture, bool asIs)
{
    MapOfPicture made;
    made.verdict = recogniseMap(picture);
    if (asIs || !made.verdict.isDepthPicture()) {
        made.map = depthMapOf(picture);
        return made;
    }
    made.map = levelsOf(depthPictureOf(std::move(picture), made.verdict), conversionDefaults());
    made.converted = true;
    return made;
}

MapOfPicture mapOfFile(const QString &path, bool asIs)
{
    return guarded([&] { return mapOfPicture(loadPicture(path), asIs); });
}

MapOfPicture mapOfBytes(const QByteArray &bytes, bool asIs)
{
    return guarded([&] { return mapOfPicture(decodePicture(bytes), asIs); });
}

} // namespace picture
