// SPDX-License-Identifier: MIT

#include "smoothscale.h"

#include "pictureerror.h"

#include <algorithm>
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

} // namespace

QImage smoothScaled(const QImage &picture, const QRect &source, QSize size)
{
    const int sw = source.width();
    const int sh = source.height();
    const int dw = size.width();
    const int dh = size.height();
    // Where Qt scales by area averaging: pictures it can scale as they are, and the others when
    // they are large or made more than twice smaller. Below that it paints, bilinearly.
    const QImage::Format given = picture.format();
    const bool asTheyAre = given == QImage::Format_RGB32
                           || given == QImage::Format_ARGB32_Premultiplied
                           || given == QImage::Format_RGBX8888
                           || given == QImage::Format_RGBA8888_Premultiplied;
    const bool averaged = asTheyAre || dh * 2 < sh || dw * 2 < sw || qint64(sw) * sh >= (1 << 20);
    if (dw <= 0 || dh <= 0 || dw >= sw || dh >= sh || picture.depth() > 32 || !averaged
        || !picture.rect().contains(source))
        return picture.copy(source).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    const QImage::Format format = picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                            : QImage::Format_RGB32;
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
