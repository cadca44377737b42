// SPDX-License-Identifier: MIT

#include "stereogramgenerator.h"

#include "picture/stereopictures.h"
#include "picture/viewingaids.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <tuple>

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
            const QRgb c = picture::toQRgb(picture::QBColor(k)) & 0xffffffu;
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
        if (levelTable.level(picture::toQRgb(picture::QBColor(k))) != k)
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
        if (tintedDot<IroIndex>(QRgb(v)) != picture::toQRgb(dotColour(v, IroIndex)))
            return false;
    return true;
}
static_assert(tintedDotIsDotColour<0>() && tintedDotIsDotColour<1>() && tintedDotIsDotColour<2>());

template<int IroIndex>
void colourRow(const quint8 *grey, QRgb *line, int width)
{
    for (int x = 0; x < width; ++x)
        line[x] = tintedDot<IroIndex>(grey[x]);
}

// The first column at or after x, before end, whose pixel is not `pixel`: eight pixels compared
// at a time, since depth maps are long runs of one colour.
int runEnd(const QRgb *map, int x, int end, QRgb pixel)
{
    const quint64 pair = quint64(pixel) << 32 | pixel;
    for (; x + 8 <= end; x += 8) {
        quint64 a, b, c, d;
        std::memcpy(&a, map + x, 8);
        std::memcpy(&b, map + x + 2, 8);
        std::memcpy(&c, map + x + 4, 8);
        std::memcpy(&d, map + x + 6, 8);
        if (((a ^ pair) | (b ^ pair) | (c ^ pair) | (d ^ pair)) != 0)
            break;
    }
    while (x < end && map[x] == pixel)
        ++x;
    return x;
}

// Rows whose runs of one colour are this long on average are copied run by run.
constexpr int ShortestRun = 8;

// How often the colour changes from one pixel to the next.
int colourChanges(const QRgb *map, int width)
{
    int changes = 0;
    for (int x = 1; x < width; ++x)
        changes += map[x] != map[x - 1];
    return changes;
}

// Dots copied per step of a run: at least the widest separation, in four 16-dot pieces.
constexpr int CopyPieces = 4;
constexpr int CopyPiece = 16;
constexpr int CopySpan = CopyPieces * CopyPiece;
static_assert(CopySpan >= BaseSeparation);

// dots[x] = dots[x - separation] for x from `from` to `to`, one separation per step: all pieces
// are read before any is written, and read from exactly where the step before wrote them. What a
// step writes beyond its separation, and a last step beyond `to`, is rewritten before it is read,
// by the next step, the next run or the tail.
void copyRun(quint8 *dots, int from, int to, int separation)
{
    if (to - from < CopyPiece) {
        for (int x = from; x < to; ++x)
            dots[x] = dots[x - separation];
        return;
    }
    for (int x = from; x < to; x += separation) {
        quint8 piece[CopySpan];
        std::memcpy(piece, dots + x - separation, CopySpan);
        std::memcpy(dots + x, piece, CopySpan);
    }
}

} // namespace

StereogramGenerator::StereogramGenerator(Rnd &rnd, qint16 level) : m_rnd(rnd), DepthLevel(level) {}

RunStart runStart(quint64 run, qint16 carriedLevel)
{
    const quint64 before = run > 0 ? run - 1 : 0;
    // Only the count modulo the sequence's period of 2^24 matters, and it keeps the product small.
    const quint64 steps = (before % (1u << 24)) * RandomValuesPerRun;
    return {Rnd::advanced(Rnd::StartState, steps), carriedLevel};
}

std::optional<qint16> levelLeftBy(const QImage &depthMap, bool cross)
{
    const QImage depth = depthMap.isNull() || depthMap.depth() == 32
                             ? depthMap
                             : depthMap.convertToFormat(QImage::Format_RGB32);
    // The pixels makeRow reads: the rows of the picture, the columns before the tail.
    const int rows = std::min(depth.height(), ImageHeight);
    const int columns = std::min(depth.width(), MappedEnd - StripWidth);
    for (int y = rows - 1; y >= 0; --y) {
        const auto *map = reinterpret_cast<const QRgb *>(depth.constScanLine(y));
        for (int x = columns - 1; x >= 0; --x) {
            const int k = levelTable.level(map[x]);
            if (k >= 0)
                return qint16(cross ? 15 - k : k);
        }
    }
    return std::nullopt;
}

void StereogramGenerator::makeRow(const QImage &depth, int y, QImage &out, qint16 iroIndex)
{
    Q_ASSERT(depth.isNull() || depth.depth() == 32);
    Q_ASSERT(out.format() == QImage::Format_RGB32);
    static_assert(MappedEnd + CopySpan <= int(std::tuple_size_v<decltype(DotRow)>));
    quint8 *dots = DotRow.data();
    m_rnd.fillGreys(dots, StripWidth);

    // Past the depth map's edge every pixel reads as no level: the carried level holds.
    const bool rowInMap = y >= 0 && y < depth.height();
    const int mapWidth = rowInMap ? std::min(depth.width(), MappedEnd - StripWidth) : 0;
    const auto *map = rowInMap ? reinterpret_cast<const QRgb *>(depth.constScanLine(y)) : nullptr;
    int level = DepthLevel;
    if (colourChanges(map, mapWidth) > mapWidth / ShortestRun) {
        // A noisy row: dot by dot.
        for (int x = 0; x < mapWidth; ++x) {
            const int k = levelTable.level(map[x]);
            level = k >= 0 ? k : level;
            dots[StripWidth + x] = dots[StripWidth + x - BaseSeparation + level];
        }
    } else {
        // Runs of one colour, so of one level, copied in blocks.
        for (int x = 0; x < mapWidth;) {
            const QRgb pixel = map[x];
            const int k = levelTable.level(pixel);
            level = k >= 0 ? k : level;
            const int end = runEnd(map, x + 1, mapWidth, pixel);
            copyRun(dots, StripWidth + x, StripWidth + end, BaseSeparation - level);
            x = end;
        }
    }
    copyRun(dots, StripWidth + mapWidth, MappedEnd, BaseSeparation - level);
    DepthLevel = qint16(level);
    for (int t = MappedEnd; t < ImageWidth; ++t)
        dots[t] = dots[t - BaseSeparation];

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

QImage StereogramRuns::made(const QImage &depthMap)
{
    QImage stereogram(picture::StereogramSize, QImage::Format_RGB32);
    if (stereogram.isNull())
        throw std::bad_alloc();
    stereogram.fill(Qt::white);
    const QImage depth = depthMap.isNull() || depthMap.depth() == 32
                             ? depthMap
                             : depthMap.convertToFormat(QImage::Format_RGB32);
    m_generator.make(m_settings.cross ? picture::crossEyedDepthMap(depth) : depth, stereogram,
                     m_settings.iroIndex);
    return stereogram;
}

QImage StereogramRuns::next(const QImage &depthMap)
{
    QImage out = picture::printable(made(depthMap), m_settings.scale, m_settings.guides);
    if (out.isNull())
        throw std::bad_alloc();
    return out;
}

QImage standaloneStereogram(const QImage &depth, qint16 iroIndex)
{
    return StereogramRuns({iroIndex}).made(depth);
}

} // namespace stereo
