// SPDX-License-Identifier: MIT

#include "stereogramgenerator.h"

#include "leveltable.h"

#include "picture/pictureerror.h"
#include "picture/stereopictures.h"
#include "picture/viewingaids.h"

#include <algorithm>
#include <tuple>

using picture::Image;
using picture::Rgb;

namespace stereo {

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

static std::optional<qint16> levelLeftByUnguarded(const Image &depthMap, bool cross)
{
    const Image depth = depthMap.isNull() || depthMap.depth() == 32
                             ? depthMap
                             : depthMap.convertToFormat(Image::Format::Rgb32);
    // The pixels makeRow reads: the rows of the picture, the columns before the tail.
    const int rows = std::min(depth.height(), ImageHeight);
    const int columns = std::min(depth.width(), MappedEnd - StripWidth);
    for (int y = rows - 1; y >= 0; --y) {
        const auto *map = reinterpret_cast<const Rgb *>(depth.constScanLine(y));
        for (int x = columns - 1; x >= 0; --x) {
            const int k = levelTable.level(map[x]);
            if (k >= 0)
                return qint16(cross ? 15 - k : k);
        }
    }
    return std::nullopt;
}

std::optional<qint16> levelLeftBy(const Image &depthMap, bool cross)
{
    return picture::guarded([&] { return levelLeftByUnguarded(depthMap, cross); });
}

void StereogramGenerator::makeRow(const Image &depth, int y, Image &out, qint16 iroIndex)
{
    Q_ASSERT(depth.isNull() || depth.depth() == 32);
    Q_ASSERT(out.format() == Image::Format::Rgb32);
    // Past the depth map's edge every pixel reads as no level: the carried level holds.
    const bool rowInMap = y >= 0 && y < depth.height();
    const bool rowInOut = y >= 0 && y < out.height();
    makeDots(rowInMap ? reinterpret_cast<const Rgb *>(depth.constScanLine(y)) : nullptr,
             rowInMap ? std::min(depth.width(), MappedEnd - StripWidth) : 0,
             rowInOut ? reinterpret_cast<Rgb *>(out.scanLine(y)) : nullptr,
             std::min(out.width(), ImageWidth), iroIndex);
}

void StereogramGenerator::makeDots(const Rgb *map, int mapWidth, Rgb *line, int width,
                                   qint16 iroIndex)
{
    static_assert(MappedEnd + DotRowSlack <= int(std::tuple_size_v<decltype(DotRow)>));
    int level = DepthLevel;
    makeDotRow(m_path, m_rnd, DotRow.data(), map, mapWidth, level, line, width, iroIndex);
    DepthLevel = qint16(level);
}

void StereogramGenerator::make(const Image &depth, Image &out, qint16 iroIndex,
                               const std::function<void(int)> &rowDone)
{
    if (rowDone) {
        // Each row's lines are asked for anew: what rowDone does may share or change either
        // picture.
        for (int y = 0; y < ImageHeight; ++y) {
            makeRow(depth, y, out, iroIndex);
            rowDone(y);
        }
        return;
    }
    // Nothing else runs until the picture is made: the pictures' lines are found once.
    Q_ASSERT(depth.isNull() || depth.depth() == 32);
    Q_ASSERT(out.format() == Image::Format::Rgb32);
    const uchar *mapBits = depth.constBits();
    const qsizetype mapStride = depth.bytesPerLine();
    const int mapRows = depth.height();
    const int mapWidth = std::min(depth.width(), MappedEnd - StripWidth);
    uchar *outBits = out.isNull() ? nullptr : out.bits();
    const qsizetype outStride = out.bytesPerLine();
    const int outRows = out.height();
    const int width = std::min(out.width(), ImageWidth);
    for (int y = 0; y < ImageHeight; ++y) {
        makeDots(y < mapRows ? reinterpret_cast<const Rgb *>(mapBits + y * mapStride) : nullptr,
                 y < mapRows ? mapWidth : 0,
                 y < outRows ? reinterpret_cast<Rgb *>(outBits + y * outStride) : nullptr, width,
                 iroIndex);
    }
}

Image StereogramRuns::made(const Image &depthMap)
{
    return picture::guarded([&] {
        Image stereogram(picture::StereogramSize, Image::Format::Rgb32);
        if (stereogram.isNull())
            throw picture::PictureError(picture::PictureError::Kind::OutOfMemory);
        stereogram.fill(0xffffffffu);
        const Image depth = depthMap.isNull() || depthMap.depth() == 32
                                 ? depthMap
                                 : depthMap.convertToFormat(Image::Format::Rgb32);
        m_generator.make(m_settings.cross ? picture::crossEyedDepthMap(depth) : depth, stereogram,
                         m_settings.iroIndex);
        return stereogram;
    });
}

Image StereogramRuns::next(const Image &depthMap)
{
    Image out = picture::guarded(
        [&] { return picture::printable(made(depthMap), m_settings.scale, m_settings.guides); });
    if (out.isNull())
        throw picture::PictureError(picture::PictureError::Kind::OutOfMemory);
    return out;
}

Image standaloneStereogram(const Image &depth, qint16 iroIndex)
{
    return StereogramRuns({iroIndex}).made(depth);
}

} // namespace stereo
