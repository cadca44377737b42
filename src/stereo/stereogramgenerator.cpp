#include "stereogramgenerator.h"

#include "dotcolour.h"

#include <algorithm>

namespace stereo {

namespace {

// A perfect hash of the 16 level colours into 32 slots: one multiplication finds the only level
// colour a pixel can be, and one comparison tells whether it is that colour.
constexpr quint32 HashMultiplier = 0x3b1a11dfu;

constexpr int keyOf(QRgb rgb)
{
    return int(((rgb & 0xffffffu) * HashMultiplier) >> 27);
}

struct LevelTable
{
    struct Entry
    {
        QRgb colour = 0xffffffffu; // never a pixel's value: pixels are compared without alpha
        int level = -1;
    };
    std::array<Entry, 32> entries{};

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

// dotColour for a grey value known to be 0 to 255, as shifts by constants, so that the compiler
// colours several dots at once.
template<int IroIndex>
constexpr QRgb tintedDot(QRgb grey)
{
    constexpr int shiftOf[3] = {16, 8, 0}; // red, green, blue within a QRgb
    constexpr QRgb fixed = 0xff000000u | QRgb(FixedComponentValue) << shiftOf[IroIndex];
    return fixed | grey << shiftOf[(IroIndex + 1) % 3] | grey << shiftOf[(IroIndex + 2) % 3];
}

template<int IroIndex>
constexpr bool tintedDotIsDotColour()
{
    for (int v = 0; v < 256; ++v)
        if (tintedDot<IroIndex>(QRgb(v)) != ui::toQRgb(dotColour(v, IroIndex)))
            return false;
    return true;
}
static_assert(tintedDotIsDotColour<0>() && tintedDotIsDotColour<1>() && tintedDotIsDotColour<2>());

template<int IroIndex>
void colourRow(const qint16 *grey, QRgb *line, int width)
{
    for (int x = 0; x < width; ++x)
        line[x] = tintedDot<IroIndex>(quint16(grey[x]));
}

} // namespace

StereogramGenerator::StereogramGenerator(Rnd &rnd) : m_rnd(rnd) {}

void StereogramGenerator::makeRow(const QImage &depth, int y, QImage &out, qint16 iroIndex)
{
    Q_ASSERT(depth.isNull() || depth.depth() == 32);
    Q_ASSERT(out.format() == QImage::Format_RGB32);
    qint16 *dots = DotRow.data();
    for (int x = 0; x < StripWidth; ++x)
        dots[x] = qint16(m_rnd.nextGrey());

    // Past the depth map's edge every pixel reads as no level: the carried level holds.
    const bool rowInMap = y >= 0 && y < depth.height();
    const int mapWidth = rowInMap ? std::min(depth.width(), MappedEnd - StripWidth) : 0;
    const auto *map = rowInMap ? reinterpret_cast<const QRgb *>(depth.constScanLine(y)) : nullptr;
    int level = DepthLevel;
    const int mapEnd = StripWidth + mapWidth;
    for (int x = StripWidth; x < mapEnd; ++x) {
        const int k = levelTable.level(map[x - StripWidth]);
        level = k >= 0 ? k : level;
        dots[x] = dots[x - BaseSeparation + level];
    }
    for (int x = mapEnd; x < MappedEnd; ++x)
        dots[x] = dots[x - BaseSeparation + level];
    DepthLevel = qint16(level);
    for (int x = MappedEnd; x < ImageWidth; ++x)
        dots[x] = dots[x - BaseSeparation];

    if (y < 0 || y >= out.height())
        return;
    auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
    const int width = std::min(out.width(), ImageWidth);
    switch (iroIndex) {
    case 0:
        colourRow<0>(dots, line, width);
        break;
    case 1:
        colourRow<1>(dots, line, width);
        break;
    default:
        colourRow<2>(dots, line, width);
        break;
    }
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
