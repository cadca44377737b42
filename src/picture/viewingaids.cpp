// SPDX-License-Identifier: MIT

#include "viewingaids.h"

#include "colour.h"
#include "pictureerror.h"
#include "stereogramformat.h"

namespace picture {

static QImage anaglyphUnguarded(const QImage &stereogram)
{
    const int width = stereogram.width() - BaseSeparation;
    if (width <= 0)
        return {};
    const QImage source = stereogram.convertToFormat(QImage::Format_RGB32);
    QImage out(width, source.height(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int right = qGray(in[x + BaseSeparation]);
            line[x] = qRgb(qGray(in[x]), right, right);
        }
    }
    return out;
}

QImage anaglyph(const QImage &stereogram)
{
    return guarded([&] { return anaglyphUnguarded(stereogram); });
}

QImage crossEyedDepthMap(const QImage &depthMap)
{
    QImage out = depthMap.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb pixel = line[x] & 0xffffffu;
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

QImage markAmbiguous(const QImage &depthMap, const std::vector<bool> &ambiguous)
{
    QImage out = depthMap.convertToFormat(QImage::Format_RGB32);
    const size_t width = size_t(out.width());
    if (ambiguous.size() != width * size_t(out.height()))
        return out;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (size_t x = 0; x < width; ++x)
            if (ambiguous[size_t(y) * width + x])
                line[x] = AmbiguousMark;
    }
    return out;
}

QImage greyLevels(const QImage &depthMap)
{
    QImage grey = depthMap.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            for (int level = 0; level < 16; ++level) {
                if ((row[x] & 0xffffffu) == (toQRgb(QBColor(level)) & 0xffffffu)) {
                    row[x] = qRgb(17 * level, 17 * level, 17 * level);
                    break;
                }
            }
        }
    }
    return grey;
}

} // namespace picture
