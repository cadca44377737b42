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

bool sixteenBitFormat(Image::Format format)
{
    return format == Image::Format::Grayscale16 || format == Image::Format::Rgbx64
           || format == Image::Format::Rgba64;
}

bool offLevel(Rgb c)
{
    for (const Colour level : QBColorTable) {
        if (std::abs(rgbRed(c) - redOf(level)) <= OffLevelDistance
            && std::abs(rgbGreen(c) - greenOf(level)) <= OffLevelDistance
            && std::abs(rgbBlue(c) - blueOf(level)) <= OffLevelDistance)
            return false;
    }
    return true;
}

bool greyish(Rgb c)
{
    const int most = std::max({rgbRed(c), rgbGreen(c), rgbBlue(c)});
    return most - std::min({rgbRed(c), rgbGreen(c), rgbBlue(c)}) <= GreySpread;
}

} // namespace

MapVerdict recogniseMap(const Image &picture)
{
    MapVerdict verdict;
    if (picture.isNull())
        return verdict;
    const int w = picture.width();
    const int h = picture.height();
    const qint64 pixels = qint64(w) * h;
    // Row by row as 32-bit pixels: a large picture of fewer bits is never widened whole.
    const bool wide = picture.format() == Image::Format::Rgb32;
    Image converted;
    auto rowOf = [&](int y) {
        if (wide)
            return reinterpret_cast<const Rgb *>(picture.constScanLine(y));
        converted = picture.copy(0, y, w, 1).convertToFormat(Image::Format::Rgb32);
        return reinterpret_cast<const Rgb *>(converted.constScanLine(0));
    };
    constexpr int ColourCap = 4096;

    // A grey picture: its off-level greys, wherever they are.
    qint64 greyPixels = 0;
    for (int y = 0; y < h; ++y) {
        const Rgb *line = rowOf(y);
        for (int x = 0; x < w; ++x)
            greyPixels += greyish(line[x]);
    }
    const bool grey = double(greyPixels) >= GreyShare * double(pixels);
    QSet<Rgb> colours;
    qint64 counted = 0;
    if (grey) {
        for (int y = 0; y < h; ++y) {
            const Rgb *line = rowOf(y);
            for (int x = 0; x < w; ++x) {
                const int g = rgbGrey(line[x]);
                if (offLevel(rgbOf(g, g, g))) {
                    ++counted;
                    colours.insert(Rgb(g));
                }
            }
        }
    } else {
        // A colour picture: its pixels off-level together with their four neighbours, row by
        // row, keeping three rows of flags.
        std::vector<std::vector<quint8>> off(3, std::vector<quint8>(std::size_t(w)));
        std::vector<std::vector<Rgb>> colour(2, std::vector<Rgb>(std::size_t(w)));
        // Row y's flags and colours.
        auto flagRow = [&](int y, std::vector<quint8> &flags, std::vector<Rgb> &colours) {
            const Rgb *line = rowOf(y);
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
            const std::vector<Rgb> &line = colour[0];
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

Image depthPictureOf(Image picture, const MapVerdict &verdict)
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

MapOfPicture mapOfPicture(Image picture, bool asIs)
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
