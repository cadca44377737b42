// SPDX-License-Identifier: MIT

#include "smoothscale.h"

#include "image.h"
#include "paintedscale.h"
#include "pixelmix.h"
#include "pictureerror.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace picture {

namespace {

constexpr int One = 1 << 14;

// One source pixel under a destination pixel, and its share of it in 1/16384ths.
struct Tap
{
    int index;
    quint32 weight;
};

// What each of `d` destination positions takes from `s` source positions (d < s): the first
// source pixel by the part of it covered, then whole pixels at the full step, then the rest on
// the last one; every position's weights add up to 16384. Positions are 16.16 fixed point, the
// step rounded up, so the last one may reach one past the end, which then counts once more.
std::vector<std::vector<Tap>> tapsOf(int s, int d)
{
    const qint64 advance = (qint64(s) << 16) / d;
    const int step = int(((qint64(d) << 14) + s - 1) / s);
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(d));
    for (int i = 0; i < d; ++i) {
        const qint64 position = advance * i;
        int at = int(position >> 16);
        const int first = int(((0x10000 - (position & 0xffff)) * step) >> 16);
        auto &mine = taps[std::size_t(i)];
        mine.push_back({at, quint32(first)});
        int left = One - first;
        for (; left > step; left -= step)
            mine.push_back({std::min(++at, s - 1), quint32(step)});
        mine.push_back({std::min(++at, s - 1), quint32(left)});
    }
    return taps;
}

// Where each destination position starts in the source, and its share, as Qt's area scaling
// computes them: for an axis made larger, the source pixel left of the position's centre and the
// weight of the next one in 1/256ths (0 at the edges); for an axis made smaller, the first
// pixel and, in the low 16 bits, the part of it covered and, in the high bits, the full step,
// both in 1/16384ths.
std::vector<int> startsOf(int s, int d)
{
    std::vector<int> starts(static_cast<std::size_t>(d));
    qint64 at = d >= s ? 0x8000LL * s / d - 0x8000 : 0;
    const qint64 step = (qint64(s) << 16) / d;
    for (auto &start : starts) {
        start = int(std::max<qint64>(0, at >> 16));
        at += step;
    }
    return starts;
}

std::vector<int> sharesOf(int s, int d)
{
    std::vector<int> shares(static_cast<std::size_t>(d));
    const qint64 step = (qint64(s) << 16) / d;
    if (d >= s) {
        qint64 at = 0x8000LL * s / d - 0x8000;
        for (auto &share : shares) {
            const int pixel = int(at >> 16);
            share = pixel < 0 || pixel >= s - 1 ? 0 : int((at >> 8) & 0xff);
            at += step;
        }
    } else {
        const int full = int(((qint64(d) << 14) + s - 1) / s);
        qint64 at = 0;
        for (auto &share : shares) {
            share = int(((0x10000 - (at & 0xffff)) * full) >> 16) | full << 16;
            at += step;
        }
    }
    return shares;
}

// Two pixels mixed by weights out of 256, each channel truncated.
Rgb mixed(Rgb a, int weightA, Rgb b, int weightB)
{
    auto channel = [&](int shift) {
        return ((int((a >> shift) & 0xff) * weightA + int((b >> shift) & 0xff) * weightB) >> 8)
               << shift;
    };
    return Rgb(channel(0) | channel(8) | channel(16) | channel(24));
}

// The sums of the pixels under one share along one axis (`step` apart), in 1/16384ths.
struct Sums
{
    int red = 0, green = 0, blue = 0, alpha = 0;
};

Sums summed(const Rgb *pixel, int share, int step)
{
    const int first = share & 0xffff;
    const int full = share >> 16;
    Sums sums{rgbRed(*pixel) * first, rgbGreen(*pixel) * first, rgbBlue(*pixel) * first,
              rgbAlpha(*pixel) * first};
    int left = (1 << 14) - first;
    for (; left > full; left -= full) {
        pixel += step;
        sums.red += rgbRed(*pixel) * full;
        sums.green += rgbGreen(*pixel) * full;
        sums.blue += rgbBlue(*pixel) * full;
        sums.alpha += rgbAlpha(*pixel) * full;
    }
    pixel += step;
    sums.red += rgbRed(*pixel) * left;
    sums.green += rgbGreen(*pixel) * left;
    sums.blue += rgbBlue(*pixel) * left;
    sums.alpha += rgbAlpha(*pixel) * left;
    return sums;
}

// A 32-bit picture (RGB32 or premultiplied) made larger along at least one axis, as Qt's area
// scaling makes it: bilinear along an axis made larger, averaged along one made smaller.
Image enlarged(const Image &picture, QSize size)
{
    const int sw = picture.width();
    const int sh = picture.height();
    const int dw = size.width();
    const int dh = size.height();
    const bool opaque = !picture.hasAlphaChannel();
    const bool wider = dw >= sw;
    const bool taller = dh >= sh;
    const auto columns = startsOf(sw, dw);
    const auto rows = startsOf(sh, dh);
    const auto across = sharesOf(sw, dw);
    const auto down = sharesOf(sh, dh);
    Image out(size, picture.format());
    if (out.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    const qsizetype next = picture.bytesPerLine() / 4;
    for (int y = 0; y < dh; ++y) {
        const auto *row =
            reinterpret_cast<const Rgb *>(picture.constScanLine(rows[std::size_t(y)]));
        auto *line = reinterpret_cast<Rgb *>(out.scanLine(y));
        const int yShare = down[std::size_t(y)];
        for (int x = 0; x < dw; ++x) {
            const Rgb *p = row + columns[std::size_t(x)];
            const int xShare = across[std::size_t(x)];
            if (wider && taller) {
                if (yShare > 0)
                    line[x] = xShare > 0 ? mixed4(p[0], p[1], p[next], p[next + 1], xShare, yShare)
                                         : mixed(p[0], 256 - yShare, p[next], yShare);
                else
                    line[x] = xShare > 0 ? mixed(p[0], 256 - xShare, p[1], xShare) : p[0];
                continue;
            }
            // Averaged along the axis made smaller, then mixed with the neighbour along the other.
            const int step = wider ? int(next) : 1;
            const int share = wider ? yShare : xShare;
            const int weight = wider ? xShare : yShare;
            Sums s = summed(p, share, step);
            if (weight > 0) {
                const Sums t = summed(p + (wider ? 1 : next), share, step);
                s.red = (s.red * (256 - weight) + t.red * weight) >> 8;
                s.green = (s.green * (256 - weight) + t.green * weight) >> 8;
                s.blue = (s.blue * (256 - weight) + t.blue * weight) >> 8;
                s.alpha = (s.alpha * (256 - weight) + t.alpha * weight) >> 8;
            }
            line[x] =
                rgbaOf(s.red >> 14, s.green >> 14, s.blue >> 14, opaque ? 255 : s.alpha >> 14);
        }
    }
    return out;
}

// An averaged picture back in the format it came in, as Qt gives it back: a grey picture's
// average is grey in every channel, which Qt's conversion back keeps as it is (checked for all 256
// greys), and colours with alpha are divided back. A palette or 1-bit picture stays in the 32
// bits it was averaged in: Qt would dither it back onto a palette, which puts noise into a depth
// map read from it.
Image inFormatOf(Image scaled, Image::Format given)
{
    if (given == Image::Format::Grayscale8) {
        Image grey(scaled.size(), given);
        if (grey.isNull())
            throw PictureError(PictureError::Kind::OutOfMemory);
        for (int y = 0; y < scaled.height(); ++y) {
            const auto *from = reinterpret_cast<const Rgb *>(scaled.constScanLine(y));
            uchar *to = grey.scanLine(y);
            for (int x = 0; x < scaled.width(); ++x)
                to[x] = uchar(rgbBlue(from[x]));
        }
        return grey;
    }
    if (given == Image::Format::Argb32)
        scaled.convertTo(given);
    if (scaled.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    return scaled;
}

} // namespace

Image smoothScaled(const Image &picture, const QRect &source, QSize size)
{
    const int sw = source.width();
    const int sh = source.height();
    const int dw = size.width();
    const int dh = size.height();
    if (dw <= 0 || dh <= 0)
        return Image();
    // Pictures of 16 bits a channel are scaled as their 8-bit colours; a part reaching outside
    // the picture, as a copy of it (zero outside).
    if (picture.depth() > 32) {
        const Image narrowed = picture.convertToFormat(
            picture.hasAlphaChannel() ? Image::Format::Argb32 : Image::Format::Rgb32);
        if (narrowed.isNull())
            throw PictureError(PictureError::Kind::OutOfMemory);
        return smoothScaled(narrowed, source, size);
    }
    if (!picture.rect().contains(source))
        return smoothScaled(picture.copy(source), QRect(QPoint(0, 0), source.size()), size);

    // Where Qt scales by area averaging: pictures it can scale as they are, and the others when
    // they are large or made more than twice smaller. Below that it paints, bilinearly.
    const Image::Format given = picture.format();
    const bool asTheyAre =
        given == Image::Format::Rgb32 || given == Image::Format::Argb32Premultiplied;
    const bool averaged = asTheyAre || dh * 2 < sh || dw * 2 < sw || qint64(sw) * sh >= (1 << 20);
    if (!averaged)
        return paintedScaled(source == picture.rect() ? picture : picture.copy(source), size);

    const Image::Format format = picture.hasAlphaChannel() ? Image::Format::Argb32Premultiplied
                                                            : Image::Format::Rgb32;
    if (dw >= sw || dh >= sh) {
        // Larger along an axis: along that axis the part is no longer than the destination, so
        // a converted copy of it costs no more than a few destination-sized pictures.
        Image part = picture.copy(source);
        if (part.format() != format)
            part.convertTo(format);
        if (part.isNull())
            throw PictureError(PictureError::Kind::OutOfMemory);
        return inFormatOf(enlarged(part, size), given);
    }
    Image scaled(size, format);
    if (scaled.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    const auto columns = tapsOf(sw, dw);
    const auto rows = tapsOf(sh, dh);

    // A source row summed across, per destination column and channel (to 1/1024ths); the row on
    // the border between two destination rows is asked twice in a row.
    std::vector<quint32> across(std::size_t(dw) * 4);
    int summedRow = -1;
    auto sumAcross = [&](int row) {
        if (row == summedRow)
            return;
        const Image line =
            picture.copy(source.x(), source.y() + row, sw, 1).convertToFormat(format);
        if (line.isNull())
            throw PictureError(PictureError::Kind::OutOfMemory);
        const auto *pixels = reinterpret_cast<const Rgb *>(line.constScanLine(0));
        for (int x = 0; x < dw; ++x) {
            quint32 red = 0, green = 0, blue = 0, alpha = 0;
            for (const Tap &tap : columns[std::size_t(x)]) {
                const Rgb pixel = pixels[tap.index];
                red += quint32(rgbRed(pixel)) * tap.weight;
                green += quint32(rgbGreen(pixel)) * tap.weight;
                blue += quint32(rgbBlue(pixel)) * tap.weight;
                alpha += quint32(rgbAlpha(pixel)) * tap.weight;
            }
            quint32 *sums = &across[std::size_t(x) * 4];
            sums[0] = red >> 4;
            sums[1] = green >> 4;
            sums[2] = blue >> 4;
            sums[3] = alpha >> 4;
        }
        summedRow = row;
    };

    // Then down: 255 * 1024 * 16384 still fits 32 bits unsigned.
    std::vector<quint32> down(across.size());
    for (int y = 0; y < dh; ++y) {
        std::fill(down.begin(), down.end(), 0);
        for (const Tap &tap : rows[std::size_t(y)]) {
            sumAcross(tap.index);
            for (std::size_t i = 0; i < down.size(); ++i)
                down[i] += across[i] * tap.weight;
        }
        auto *line = reinterpret_cast<Rgb *>(scaled.scanLine(y));
        for (int x = 0; x < dw; ++x) {
            const quint32 *sums = &down[std::size_t(x) * 4];
            line[x] = rgbaOf(int(sums[0] >> 24), int(sums[1] >> 24), int(sums[2] >> 24),
                            format == Image::Format::Rgb32 ? 255 : int(sums[3] >> 24));
        }
    }
    return inFormatOf(std::move(scaled), given);
}

} // namespace picture
