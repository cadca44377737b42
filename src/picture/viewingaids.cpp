// SPDX-License-Identifier: MIT

#include "viewingaids.h"

#include "colour.h"
#include "pictureerror.h"
#include "stereogramformat.h"

namespace picture {

static Image anaglyphUnguarded(const Image &stereogram)
{
    const int width = stereogram.width() - BaseSeparation;
    if (width <= 0)
        return {};
    const Image source = stereogram.convertToFormat(Image::Format::Rgb32);
    Image out(width, source.height(), Image::Format::Rgb32);
    if (out.isNull())
        return out;
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const Rgb *>(source.constScanLine(y));
        auto *line = reinterpret_cast<Rgb *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int right = rgbGrey(in[x + BaseSeparation]);
            line[x] = rgbOf(rgbGrey(in[x]), right, right);
        }
    }
    return out;
}

Image anaglyph(const Image &stereogram)
{
    return guarded([&] { return anaglyphUnguarded(stereogram); });
}

Image crossEyedDepthMap(const Image &depthMap)
{
    Image out = depthMap.convertToFormat(Image::Format::Rgb32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<Rgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const Rgb pixel = line[x] & 0xffffffu;
            for (int level = 0; level < 16; ++level) {
                if ((toQRgb(QBColor(level)) & 0xffffffu) == pixel) {
                    line[x] = toQRgb(QBColor(15 - level));
                    break;
                }
            }
        }
    }
    return out;
}

Image markAmbiguous(const Image &depthMap, const std::vector<bool> &ambiguous)
{
    Image out = depthMap.convertToFormat(Image::Format::Rgb32);
    const size_t width = size_t(out.width());
    if (ambiguous.size() != width * size_t(out.height()))
        return out;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<Rgb *>(out.scanLine(y));
        for (size_t x = 0; x < width; ++x)
            if (ambiguous[size_t(y) * width + x])
                line[x] = AmbiguousMark;
    }
    return out;
}

Image greyLevels(const Image &depthMap)
{
    Image grey = depthMap.convertToFormat(Image::Format::Rgb32);
    for (int y = 0; y < grey.height(); ++y) {
        auto *row = reinterpret_cast<Rgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            for (int level = 0; level < 16; ++level) {
                if ((row[x] & 0xffffffu) == (toQRgb(QBColor(level)) & 0xffffffu)) {
                    row[x] = rgbOf(17 * level, 17 * level, 17 * level);
                    break;
                }
            }
        }
    }
    return grey;
}

} // namespace picture
