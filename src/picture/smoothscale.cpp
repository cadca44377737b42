// SPDX-License-Identifier: MIT

#include "smoothscale.h"

#include "image.h"
#include "paintedscale.h"
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
QRgb mixed(QRgb a, int weightA, QRgb b, int weightB)
{
    auto channel = [&](int shift) {
        return ((int((a >> shift) & 0xff) * weightA + int((b >> shift) & 0xff) * weightB) >> 8)
               << shift;
    };
    return QRgb(channel(0) | channel(8) | channel(16) | channel(24));
}

// Four pixels mixed: down first, each result truncated, then across, clamped.
QRgb mixed4(QRgb topLeft, QRgb topRight, QRgb bottomLeft, QRgb bottomRight, int across, int down)
{
    QRgb out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        auto at = [shift](QRgb c) { return int((c >> shift) & 0xff); };
        const int left = ((at(topLeft) * (256 - down) + at(bottomLeft) * down) & 0xffff) >> 8;
        const int right = ((at(topRight) * (256 - down) + at(bottomRight) * down) & 0xffff) >> 8;
        out |= QRgb(std::clamp((left * (256 - across) + right * across) >> 8, 0, 255)) << shift;
    }
    return out;
}

// The sums of the pixels under one share along one axis (`step` apart), in 1/16384ths.
struct Sums
{
    int red = 0, green = 0, blue = 0, alpha = 0;
};

Sums summed(const QRgb *pixel, int share, int step)
{
    const int first = share & 0xffff;
    const int full = share >> 16;
    Sums sums{qRed(*pixel) * first, qGreen(*pixel) * first, qBlue(*pixel) * first,
              qAlpha(*pixel) * first};
    int left = (1 << 14) - first;
    for (; left > full; left -= full) {
        pixel += step;
        sums.red += qRed(*pixel) * full;
        sums.green += qGreen(*pixel) * full;
        sums.blue += qBlue(*pixel) * full;
        sums.alpha += qAlpha(*pixel) * full;
    }
    pixel += step;
    sums.red += qRed(*pixel) * left;
    sums.green += qGreen(*pixel) * left;
    sums.blue += qBlue(*pixel) * left;
    sums.alpha += qAlpha(*pixel) * left;
    return sums;
}

// A 32-bit picture (RGB32 or premultiplied) made larger along at least one axis, as Qt's area
// scaling makes it: bilinear along an axis made larger, averaged along one made smaller.
QImage enlarged(const QImage &picture, QSize size)
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
    QImage out(size, picture.format());
    if (out.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    const qsizetype next = picture.bytesPerLine() / 4;
    for (int y = 0; y < dh; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(picture.constScanLine(rows[std::size_t(y)]));
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        const int yShare = down[std::size_t(y)];
        for (int x = 0; x < dw; ++x) {
            const QRgb *p = row + columns[std::size_t(x)];
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
            line[x] = qRgba(s.red >> 14, s.green >> 14, s.blue >> 14, opaque ? 255 : s.alpha >> 14);
        }
    }
    return out;
}

} // namespace

QImage smoothScaled(const QImage &picture, const QRect &source, QSize size)
{
    const int sw = source.width();
    const int sh = source.height();
    const int dw = size.width();
    const int dh = size.height();
    if (dw <= 0 || dh <= 0)
        return QImage();
    // Pictures of 16 bits a channel are scaled as their 8-bit colours; a part reaching outside
    // the picture, as a copy of it (zero outside).
    if (picture.depth() > 32) {
        const QImage narrowed = picture.convertToFormat(
            picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (narrowed.isNull())
            throw PictureError(PictureError::Kind::OutOfMemory);
        return smoothScaled(narrowed, source, size);
    }
    if (!picture.rect().contains(source))
        return smoothScaled(picture.copy(source), QRect(QPoint(0, 0), source.size()), size);

    // Where Qt scales by area averaging: pictures it can scale as they are, and the others when
    // they are large or made more than twice smaller. Below that it paints, bilinearly.
    const QImage::Format given = picture.format();
    const bool asTheyAre =
        given == QImage::Format_RGB32 || given == QImage::Format_ARGB32_Premultiplied;
    const bool averaged = asTheyAre || dh * 2 < sh || dw * 2 < sw || qint64(sw) * sh >= (1 << 20);
    if (!averaged)
        return paintedScaled(source == picture.rect() ? picture : picture.copy(source), size);

    const QImage::Format format = picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                            : QImage::Format_RGB32;
    if (dw >= sw || dh >= sh) {
        // Larger along an axis: along that axis the part is no longer than the destination, so
        // a converted copy of it costs no more than a few destination-sized pictures.
        QImage part = picture.copy(source);
        if (part.format() != format)
            part.convertTo(format);
        if (part.isNull())
            throw PictureError(PictureError::Kind::OutOfMemory);
        QImage scaled = enlarged(part, size);
        if (scaled.format() != given)
            scaled.convertTo(given);
        return scaled;
    }
    QImage scaled(size, format);
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
        const QImage line =
            picture.copy(source.x(), source.y() + row, sw, 1).convertToFormat(format);
        if (line.isNull())
            throw PictureError(PictureError::Kind::OutOfMemory);
        const auto *pixels = reinterpret_cast<const QRgb *>(line.constScanLine(0));
        for (int x = 0; x < dw; ++x) {
            quint32 red = 0, green = 0, blue = 0, alpha = 0;
            for (const Tap &tap : columns[std::size_t(x)]) {
                const QRgb pixel = pixels[tap.index];
                red += quint32(qRed(pixel)) * tap.weight;
                green += quint32(qGreen(pixel)) * tap.weight;
                blue += quint32(qBlue(pixel)) * tap.weight;
                alpha += quint32(qAlpha(pixel)) * tap.weight;
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
        auto *line = reinterpret_cast<QRgb *>(scaled.scanLine(y));
        for (int x = 0; x < dw; ++x) {
            const quint32 *sums = &down[std::size_t(x) * 4];
            line[x] = qRgba(int(sums[0] >> 24), int(sums[1] >> 24), int(sums[2] >> 24),
                            format == QImage::Format_RGB32 ? 255 : int(sums[3] >> 24));
        }
    }
    // Qt gives the picture's own format back.
    if (scaled.format() != given)
        scaled.convertTo(given);
    return scaled;
}

} // namespace picture
