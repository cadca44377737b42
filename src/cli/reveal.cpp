#include "reveal.h"

#include "pictures.h"

#include "stereo/dotcolour.h"
#include "stereo/stereogramgenerator.h"
#include "ui/colour.h"

#include <array>
#include <bit>
#include <vector>

namespace cli {

namespace {

constexpr int Levels = 16;

// The grey values of a stereogram in one tint, or where no tint fits.
struct Greys
{
    std::vector<quint8> values;
    int iroIndex = -1;
    QPoint misfit;
};

Greys greysOf(const QImage &image)
{
    // A tint fits a dot when its component is the fixed one and the other two are equal.
    auto fits = [](QRgb p, int iro) {
        const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
        return c[iro] == stereo::FixedComponent && c[(iro + 1) % 3] == c[(iro + 2) % 3];
    };
    Greys greys;
    unsigned tints = 0b111;
    for (int y = 0; y < image.height() && tints != 0; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            for (int iro = 0; iro < 3; ++iro)
                if (!fits(line[x], iro))
                    tints &= ~(1u << iro);
            if (tints == 0) {
                greys.misfit = QPoint(x, y);
                break;
            }
        }
    }
    if (tints == 0)
        return greys;
    // Only a picture of grey 250 alone fits more than one tint; blue is the default.
    greys.iroIndex = (tints & 0b100) ? 2 : std::countr_zero(tints);
    const int other = (greys.iroIndex + 1) % 3;
    greys.values.resize(size_t(image.width()) * size_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            greys.values[size_t(y) * size_t(image.width()) + size_t(x)] =
                quint8(other == 0 ? qRed(p) : other == 1 ? qGreen(p) : qBlue(p));
        }
    }
    return greys;
}

} // namespace

Revealed reveal(const QImage &stereogram)
{
    Revealed result;
    if (stereogram.size() != StereogramSize) {
        result.fault = Revealed::Fault::Size;
        return result;
    }
    const QImage image = stereogram.convertToFormat(QImage::Format_RGB32);
    const Greys greys = greysOf(image);
    if (greys.iroIndex < 0) {
        result.fault = Revealed::Fault::NotADotColour;
        result.where = greys.misfit;
        return result;
    }
    result.iroIndex = greys.iroIndex;

    const int width = image.width();
    const int mappedEnd = std::min(width, stereo::MappedEnd);
    result.depthMap = QImage(DepthMapSize, QImage::Format_RGB32);
    result.depthMap.fill(ui::toQRgb(ui::QBColor(0)));

    // Which levels fit each mapped dot of a row, and how far each goes on fitting to the right.
    std::vector<quint16> fitting(static_cast<size_t>(width));
    std::vector<std::array<quint16, Levels>> reach(static_cast<size_t>(width) + 1);
    int carried = 0;
    for (int y = 0; y < image.height(); ++y) {
        const quint8 *grey = greys.values.data() + size_t(y) * size_t(width);
        for (int x = mappedEnd; x < width; ++x) {
            if (grey[x] != grey[x - stereo::BaseSeparation]) {
                result.fault = Revealed::Fault::BrokenLink;
                result.where = QPoint(x, y);
                return result;
            }
        }
        for (int x = stereo::StripWidth; x < mappedEnd; ++x) {
            quint16 mask = 0;
            for (int level = 0; level < Levels; ++level)
                if (grey[x] == grey[x - stereo::BaseSeparation + level])
                    mask |= quint16(1u << level);
            if (mask == 0) {
                result.fault = Revealed::Fault::BrokenLink;
                result.where = QPoint(x, y);
                return result;
            }
            fitting[size_t(x)] = mask;
        }
        reach[size_t(mappedEnd)].fill(0);
        for (int x = mappedEnd - 1; x >= stereo::StripWidth; --x)
            for (int level = 0; level < Levels; ++level)
                reach[size_t(x)][size_t(level)] =
                    (fitting[size_t(x)] >> level & 1u)
                        ? quint16(reach[size_t(x) + 1][size_t(level)] + 1)
                        : quint16(0);

        auto *out = reinterpret_cast<QRgb *>(result.depthMap.scanLine(y));
        for (int x = stereo::StripWidth; x < mappedEnd; ++x) {
            const quint16 mask = fitting[size_t(x)];
            if (!(mask >> carried & 1u)) {
                int best = -1;
                for (int level = 0; level < Levels; ++level)
                    if ((mask >> level & 1u)
                        && (best < 0 || reach[size_t(x)][size_t(level)]
                                            > reach[size_t(x)][size_t(best)]))
                        best = level;
                carried = best;
            }
            const int column = x - stereo::StripWidth;
            if (column < DepthMapSize.width()) {
                if (std::popcount(mask) > 1)
                    ++result.ambiguous;
                out[column] = ui::toQRgb(ui::QBColor(carried));
            }
        }
    }
    return result;
}

} // namespace cli
