// SPDX-License-Identifier: MIT

#include "reveal.h"

#include "stereopictures.h"

#include "colour.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <bit>
#include <vector>

namespace picture {

namespace {

constexpr int Levels = 16;

// The grey values of a stereogram in one tint, or where no tint fits.
struct Greys
{
    std::vector<quint8> values;
    int iroIndex = -1;
    QPoint misfit;
};

Greys greysOf(const Image &image)
{
    // A tint fits a dot when its component is the fixed one and the other two are equal.
    auto fits = [](Rgb p, int iro) {
        const int c[3] = {rgbRed(p), rgbGreen(p), rgbBlue(p)};
        return c[iro] == FixedComponentValue && c[(iro + 1) % 3] == c[(iro + 2) % 3];
    };
    Greys greys;
    unsigned tints = 0b111;
    for (int y = 0; y < image.height() && tints != 0; ++y) {
        const auto *line = reinterpret_cast<const Rgb *>(image.constScanLine(y));
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
        const auto *line = reinterpret_cast<const Rgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const Rgb p = line[x];
            greys.values[size_t(y) * size_t(image.width()) + size_t(x)] =
                quint8(other == 0 ? rgbRed(p) : other == 1 ? rgbGreen(p) : rgbBlue(p));
        }
    }
    return greys;
}

// A place in a row where the level changes from `left` to `right`, at the dot `at`. The dots from
// `from` to `to` - 1 fit both levels, so the change may lie anywhere from `from` to `to` with the
// stereogram the same; a certain change has from == to.
struct Boundary
{
    int row;
    int left;
    int right;
    int at;
    int from;
    int to;
};

// Where a boundary between two levels meets dots that repeat their neighbours, both levels fit
// the dots there, and the carried level puts the boundary late. Depth maps have smooth outlines:
// such a boundary is placed in line with the nearest certain boundaries between the same two
// levels in the rows above and below.
void alignBoundaries(std::vector<quint8> &levels, const std::vector<quint16> &fits, int width,
                     int height)
{
    auto at = [&](int x, int y) { return size_t(y) * size_t(width) + size_t(x); };
    std::vector<std::vector<Boundary>> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 1; x < width; ++x) {
            const int left = levels[at(x - 1, y)];
            const int right = levels[at(x, y)];
            if (left == right)
                continue;
            int from = x;
            while (from > 0 && levels[at(from - 1, y)] == left
                   && (fits[at(from - 1, y)] >> right & 1u))
                --from;
            int to = x;
            while (to < width && levels[at(to, y)] == right && (fits[at(to, y)] >> left & 1u))
                ++to;
            rows[size_t(y)].push_back({y, left, right, x, from, to});
        }
    }
    constexpr int Reach = 12;
    // The nearest certain boundary between the same levels, `step` rows at a time.
    auto anchor = [&](const Boundary &b, int step) -> const Boundary * {
        for (int d = 1; d <= Reach; ++d) {
            const int y = b.row + step * d;
            if (y < 0 || y >= height)
                return nullptr;
            for (const Boundary &c : rows[size_t(y)])
                if (c.left == b.left && c.right == b.right && c.from == c.to
                    && std::abs(c.at - b.at) <= 2 * d + 4)
                    return &c;
        }
        return nullptr;
    };
    for (const std::vector<Boundary> &row : rows) {
        for (const Boundary &b : row) {
            if (b.from == b.to)
                continue;
            const Boundary *above = anchor(b, -1);
            const Boundary *below = anchor(b, +1);
            double want;
            if (above && below)
                want = above->at + double(below->at - above->at) * (b.row - above->row)
                                       / double(below->row - above->row);
            else if (above || below)
                want = (above ? above : below)->at;
            else
                continue;
            const int place = std::clamp(int(std::lround(want)), b.from, b.to);
            for (int x = b.from; x < b.to; ++x)
                levels[at(x, b.row)] = quint8(x < place ? b.left : b.right);
        }
    }
}

// A dot that more than one level fits takes the fitting level that most of its eight neighbours
// have, where that is more of them than have its own: depth maps are smooth.
void followNeighbours(std::vector<quint8> &levels, const std::vector<quint16> &fits, int width,
                      int height)
{
    for (int pass = 0; pass < 4; ++pass) {
        bool changed = false;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const size_t i = size_t(y) * size_t(width) + size_t(x);
                if (std::popcount(fits[i]) < 2)
                    continue;
                std::array<int, Levels> votes{};
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if ((dx != 0 || dy != 0) && x + dx >= 0 && x + dx < width && y + dy >= 0
                            && y + dy < height)
                            ++votes[levels[size_t(y + dy) * size_t(width) + size_t(x + dx)]];
                int best = levels[i];
                for (int level = 0; level < Levels; ++level)
                    if ((fits[i] >> level & 1u) && votes[size_t(level)] > votes[size_t(best)])
                        best = level;
                if (best != levels[i]) {
                    levels[i] = quint8(best);
                    changed = true;
                }
            }
        }
        if (!changed)
            return;
    }
}

} // namespace

Revealed reveal(const Image &stereogram)
{
    Revealed result;
    Image image;
    if (stereogram.size() == StereogramSize) {
        image = stereogram.convertToFormat(Image::Format::Rgb32);
    } else if (std::optional<Unprinted> printed = unprinted(stereogram)) {
        image = printed->stereogram;
        result.scale = printed->scale;
        result.guides = printed->guides;
    } else {
        result.fault = Revealed::Fault::Size;
        return result;
    }
    const Greys greys = greysOf(image);
    if (greys.iroIndex < 0) {
        result.fault = Revealed::Fault::NotADotColour;
        result.where = greys.misfit;
        return result;
    }
    result.iroIndex = greys.iroIndex;

    const int width = image.width();
    const int mappedEnd = std::min(width, MappedEnd);
    const int mapWidth = DepthMapSize.width();
    const int mapHeight = DepthMapSize.height();
    // For each map pixel: which levels fit its dot, and the level read for it.
    std::vector<quint16> fits(size_t(mapWidth) * size_t(mapHeight));
    std::vector<quint8> levels(fits.size());
    result.ambiguousAt.assign(fits.size(), false);

    // Row by row, left to right: the level carried from the left where it fits, else the level
    // that goes on fitting furthest to the right.
    std::vector<quint16> fitting(static_cast<size_t>(width));
    std::vector<std::array<quint16, Levels>> reach(static_cast<size_t>(width) + 1);
    int carried = 0;
    for (int y = 0; y < image.height(); ++y) {
        const quint8 *grey = greys.values.data() + size_t(y) * size_t(width);
        for (int x = mappedEnd; x < width; ++x) {
            if (grey[x] != grey[x - BaseSeparation]) {
                result.fault = Revealed::Fault::BrokenLink;
                result.where = QPoint(x, y);
                return result;
            }
        }
        for (int x = StripWidth; x < mappedEnd; ++x) {
            quint16 mask = 0;
            for (int level = 0; level < Levels; ++level)
                if (grey[x] == grey[x - BaseSeparation + level])
                    mask |= quint16(1u << level);
            if (mask == 0) {
                result.fault = Revealed::Fault::BrokenLink;
                result.where = QPoint(x, y);
                return result;
            }
            fitting[size_t(x)] = mask;
        }
        reach[size_t(mappedEnd)].fill(0);
        for (int x = mappedEnd - 1; x >= StripWidth; --x)
            for (int level = 0; level < Levels; ++level)
                reach[size_t(x)][size_t(level)] =
                    (fitting[size_t(x)] >> level & 1u)
                        ? quint16(reach[size_t(x) + 1][size_t(level)] + 1)
                        : quint16(0);

        for (int x = StripWidth; x < mappedEnd; ++x) {
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
            const int column = x - StripWidth;
            if (column < mapWidth && y < mapHeight) {
                const size_t i = size_t(y) * size_t(mapWidth) + size_t(column);
                fits[i] = mask;
                levels[i] = quint8(carried);
                if (std::popcount(mask) > 1) {
                    ++result.ambiguous;
                    result.ambiguousAt[i] = true;
                }
            }
        }
    }

    alignBoundaries(levels, fits, mapWidth, mapHeight);
    followNeighbours(levels, fits, mapWidth, mapHeight);

    result.depthMap = Image(DepthMapSize, Image::Format::Rgb32);
    for (int y = 0; y < mapHeight; ++y) {
        auto *out = reinterpret_cast<Rgb *>(result.depthMap.scanLine(y));
        for (int x = 0; x < mapWidth; ++x)
            out[x] = toQRgb(QBColor(levels[size_t(y) * size_t(mapWidth) + size_t(x)]));
    }
    return result;
}

} // namespace picture
