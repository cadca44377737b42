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

// Runs of one colour at least this long are copied as a run; a shorter one shows a stretch of the
// map where the colour changes often, and the next NoisyStretch columns from it go dot by dot,
// without looking for runs.
constexpr int ShortestRun = 8;
constexpr int NoisyStretch = 32;

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

StereogramGenerator::StereogramGenerator(Rnd &rnd, qint16 level)
    : m_rnd(rnd), DepthLevel(level), m_path(preferredGeneratorPath())
{
}

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
    // Past the depth map's edge every pixel reads as no level: the carried level holds.
    const bool rowInMap = y >= 0 && y < depth.height();
    const bool rowInOut = y >= 0 && y < out.height();
    makeDots(rowInMap ? reinterpret_cast<const QRgb *>(depth.constScanLine(y)) : nullptr,
             rowInMap ? std::min(depth.width(), MappedEnd - StripWidth) : 0,
             rowInOut ? reinterpret_cast<QRgb *>(out.scanLine(y)) : nullptr,
             std::min(out.width(), ImageWidth), iroIndex);
}

void StereogramGenerator::makeDots(const QRgb *map, int mapWidth, QRgb *line, int width,
                                   qint16 iroIndex)
{
    static_assert(MappedEnd + CopySpan <= int(std::tuple_size_v<decltype(DotRow)>));
    quint8 *dots = DotRow.data();
    fillGreys(m_path, m_rnd, dots, StripWidth);

    int level = DepthLevel;
    for (int x = 0; x < mapWidth;) {
        const QRgb pixel = map[x];
        const int k = levelTable.level(pixel);
        level = k >= 0 ? k : level;
        const int end = runEnd(m_path, map, x + 1, mapWidth, pixel);
        if (end - x >= ShortestRun) {
            // A run of one colour, so of one level, copied in blocks.
            copyRun(dots, StripWidth + x, StripWidth + end, BaseSeparation - level);
            x = end;
            continue;
        }
        for (const int stretchEnd = std::min(mapWidth, x + NoisyStretch); x < stretchEnd; ++x) {
            const int j = levelTable.level(map[x]);
            level = j >= 0 ? j : level;
            dots[StripWidth + x] = dots[StripWidth + x - BaseSeparation + level];
        }
    }
    copyRun(dots, StripWidth + mapWidth, MappedEnd, BaseSeparation - level);
    DepthLevel = qint16(level);
    for (int t = MappedEnd; t < ImageWidth; ++t)
        dots[t] = dots[t - BaseSeparation];

    if (line)
        colourDots(m_path, dots, line, width, iroIndex);
}

void StereogramGenerator::make(const QImage &depth, QImage &out, qint16 iroIndex,
                               const std::function<void(int)> &rowDone)
{
    Q_ASSERT(depth.isNull() || depth.depth() == 32);
    Q_ASSERT(out.format() == QImage::Format_RGB32);
    // The pictures' rows found once, not row by row.
    const uchar *mapBits = depth.constBits();
    const qsizetype mapStride = depth.bytesPerLine();
    const int mapRows = depth.height();
    const int mapWidth = std::min(depth.width(), MappedEnd - StripWidth);
    uchar *outBits = out.isNull() ? nullptr : out.bits();
    const qsizetype outStride = out.bytesPerLine();
    const int outRows = out.height();
    const int width = std::min(out.width(), ImageWidth);
    for (int y = 0; y < ImageHeight; ++y) {
        const bool rowInMap = y < mapRows;
        makeDots(rowInMap ? reinterpret_cast<const QRgb *>(mapBits + y * mapStride) : nullptr,
                 rowInMap ? mapWidth : 0,
                 y < outRows ? reinterpret_cast<QRgb *>(outBits + y * outStride) : nullptr, width,
                 iroIndex);
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
