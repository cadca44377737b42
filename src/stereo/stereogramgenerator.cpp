#include "stereogramgenerator.h"

#include "dotcolour.h"

#include <algorithm>

namespace stereo {

namespace {

// The 16 level colours differ in bits 7, 6 and 0 of some channel, so those nine bits name a
// level colour uniquely; one comparison then tells whether the pixel is that colour.
constexpr int keyOf(QRgb rgb)
{
    auto bits = [](int v) { return ((v >> 7) & 1) << 2 | ((v >> 6) & 1) << 1 | (v & 1); };
    return bits(qRed(rgb)) << 6 | bits(qGreen(rgb)) << 3 | bits(qBlue(rgb));
}

struct LevelTable
{
    struct Entry
    {
        QRgb colour = 0xffffffffu; // never a pixel's value: pixels are compared without alpha
        int level = -1;
    };
    std::array<Entry, 512> entries{};

    constexpr LevelTable()
    {
        for (int k = 0; k < 16; ++k) {
            const QRgb c = ui::toQRgb(ui::QBColor(k)) & 0xffffffu;
            entries[std::size_t(keyOf(c))] = {c, k};
        }
    }

    constexpr int level(QRgb pixel) const
    {
        const QRgb c = pixel & 0xffffffu;
        const Entry &e = entries[std::size_t(keyOf(c))];
        return e.colour == c ? e.level : -1;
    }
};

constexpr LevelTable levelTable;

static_assert([] {
    for (int k = 0; k < 16; ++k)
        if (levelTable.level(ui::toQRgb(ui::QBColor(k))) != k)
            return false;
    return true;
}(), "every level colour has a key of its own");

} // namespace

int levelOfPixel(QRgb pixel)
{
    return levelTable.level(pixel);
}

StereogramGenerator::StereogramGenerator(Rnd &rnd) : m_rnd(rnd) {}

void StereogramGenerator::makeRow(const QImage &depth, int y, QImage &out, qint16 iroIndex)
{
    Q_ASSERT(depth.isNull() || depth.depth() == 32);
    Q_ASSERT(out.format() == QImage::Format_RGB32);
    for (int x = 0; x < StripWidth; ++x)
        DotRow[std::size_t(x)] = qint16(m_rnd.nextGrey());

    // Past the depth map's edge every pixel reads as no level: the carried level holds.
    const bool rowInMap = y >= 0 && y < depth.height();
    const int mapWidth = rowInMap ? std::min(depth.width(), MappedEnd - StripWidth) : 0;
    const auto *map = rowInMap ? reinterpret_cast<const QRgb *>(depth.constScanLine(y)) : nullptr;
    qint16 level = DepthLevel;
    for (int x = StripWidth; x < MappedEnd; ++x) {
        const int mx = x - StripWidth;
        if (mx < mapWidth) {
            const int k = levelTable.level(map[mx]);
            if (k >= 0)
                level = qint16(k);
        }
        DotRow[std::size_t(x)] = DotRow[std::size_t(x - BaseSeparation + level)];
    }
    DepthLevel = level;
    for (int x = MappedEnd; x < ImageWidth; ++x)
        DotRow[std::size_t(x)] = DotRow[std::size_t(x - BaseSeparation)];

    if (y < 0 || y >= out.height())
        return;
    if (iroIndex != m_tintIndex) {
        for (int v = 0; v < 256; ++v)
            m_tint[std::size_t(v)] = ui::toQRgb(dotColour(v, iroIndex));
        m_tintIndex = iroIndex;
    }
    auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
    const int width = std::min(out.width(), ImageWidth);
    for (int x = 0; x < width; ++x)
        line[x] = m_tint[std::size_t(DotRow[std::size_t(x)])];
}

void StereogramGenerator::make(const QImage &depth, QImage &out, qint16 iroIndex,
                               const std::function<void(int)> &rowDone)
{
    for (int y = 0; y < ImageHeight; ++y) {
        makeRow(depth, y, out, iroIndex);
        if (rowDone)
            rowDone(y);
    }
}

} // namespace stereo
