// SPDX-License-Identifier: MIT

#include "levels.h"

#include "colour.h"
#include "pictureerror.h"
#include "smoothscale.h"
#include "stereopictures.h"


#include <algorithm>
#include <cmath>

namespace picture {

static_assert(levelOfLuminance(0) == 0 && levelOfLuminance(8) == 0 && levelOfLuminance(9) == 1
              && levelOfLuminance(127) == 7 && levelOfLuminance(128) == 8
              && levelOfLuminance(246) == 14 && levelOfLuminance(247) == 15
              && levelOfLuminance(255) == 15);

namespace {

constexpr int Top = 65535;

bool sixteenBit(Image::Format format)
{
    return format == Image::Format::Grayscale16 || format == Image::Format::Rgbx64
           || format == Image::Format::Rgba64;
}

// Where the picture goes: the part of it that is used, and the rectangle of the canvas it covers.
struct Placement
{
    QRect source;
    QRect canvas;
};

Placement placementOf(QSize size, Fit fit)
{
    const QRect whole(QPoint(0, 0), size);
    switch (fit) {
    case Fit::Fit: {
        const QSize fitted = size.scaled(DepthMapSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        return {whole, QRect(QPoint((DepthMapSize.width() - fitted.width()) / 2,
                                    (DepthMapSize.height() - fitted.height()) / 2),
                             fitted)};
    }
    case Fit::Fill: {
        // The centred part of the picture with the canvas's aspect ratio, stretched over it.
        QSize part = DepthMapSize.scaled(size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        part = part.boundedTo(size);
        return {QRect(QPoint((size.width() - part.width()) / 2,
                             (size.height() - part.height()) / 2),
                      part),
                QRect(QPoint(0, 0), DepthMapSize)};
    }
    case Fit::Stretch:
        return {whole, QRect(QPoint(0, 0), DepthMapSize)};
    case Fit::None:
        break;
    }
    const QRect kept(QPoint(0, 0), size.boundedTo(DepthMapSize));
    return {kept, kept};
}

// Greys of an 8-bit picture exactly as levels were always made: Qt's smooth scaling, composited
// on black after (for black-near) inverting. A colour over black is the colour multiplied by its
// alpha, made opaque; the canvas around the picture stays black.
void placeEightBit(const Image &picture, const Placement &p, PlacedPicture &placed)
{
    Image scaled;
    if (p.source.size() != p.canvas.size())
        scaled = smoothScaled(picture, p.source, p.canvas.size());
    else
        scaled = p.source == picture.rect() ? picture : picture.copy(p.source);
    scaled.convertTo(Image::Format::Argb32);
    if (scaled.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    const QRect drawn = QRect(p.canvas.topLeft(), scaled.size()).intersected(QRect(QPoint(0, 0), DepthMapSize));
    const int width = DepthMapSize.width();
    for (bool inverted : {false, true}) {
        std::vector<quint16> &plane = inverted ? placed.onWhite : placed.onBlack;
        std::fill(plane.begin(), plane.end(), quint16(inverted ? Top : 0));
        for (int y = drawn.top(); y <= drawn.bottom(); ++y) {
            const auto *line = reinterpret_cast<const Rgb *>(
                scaled.constScanLine(y - p.canvas.top()));
            for (int x = drawn.left(); x <= drawn.right(); ++x) {
                Rgb colour = line[x - p.canvas.left()];
                if (inverted)
                    colour ^= 0x00ffffffu;
                const int grey = rgbGrey(premultiplied(colour)) * 257;
                plane[std::size_t(y * width + x)] = quint16(inverted ? Top - grey : grey);
            }
        }
    }
}

// One row of the picture's part as greys and alphas of 16 bits, and which pixels have no data.
void readRow(const Image &picture, const QRect &source, int y, std::optional<int> noData,
             int greyMax, std::vector<int> &grey, std::vector<int> &alpha,
             std::vector<bool> &missing)
{
    const int w = source.width();
    greysOfRow(picture, source.x(), y, w, grey, alpha);
    for (int x = 0; x < w; ++x)
        missing[std::size_t(x)] = noData && grey[std::size_t(x)] == *noData * (Top / greyMax);
}

// What each canvas position along one axis takes from the source: (source index, overlap).
struct Taps
{
    std::vector<int> first; // per canvas position, index into `at`; one more at the end
    std::vector<int> at;
    std::vector<double> weight;
};

Taps tapsOf(int sourceLength, int canvasLength)
{
    Taps taps;
    const double step = double(sourceLength) / canvasLength;
    for (int c = 0; c < canvasLength; ++c) {
        taps.first.push_back(int(taps.at.size()));
        const double from = c * step;
        const double to = (c + 1) * step;
        for (int s = int(from); s < sourceLength && s < to; ++s) {
            const double overlap = std::min(to, s + 1.0) - std::max(from, double(s));
            if (overlap > 0) {
                taps.at.push_back(s);
                taps.weight.push_back(overlap);
            }
        }
    }
    taps.first.push_back(int(taps.at.size()));
    return taps;
}

// Area averaging over the pixels that have data, in 16 bits: for 16-bit pictures, and wherever
// a no-data value must stay out of its neighbours' greys. A canvas pixel whose area is mostly
// without data is background.
void placeAveraged(const Image &picture, const Placement &p, std::optional<int> noData,
                   PlacedPicture &placed)
{
    const Taps columns = tapsOf(p.source.width(), p.canvas.width());
    const Taps rows = tapsOf(p.source.height(), p.canvas.height());
    const int w = p.source.width();
    const auto n = static_cast<std::size_t>(w);
    const auto across = static_cast<std::size_t>(p.canvas.width());
    std::vector<int> grey(n), alpha(n);
    std::vector<bool> missing(n);
    std::vector<double> onBlack(n), onWhite(n);
    int rowRead = -1;
    for (int cy = 0; cy < p.canvas.height(); ++cy) {
        std::vector<double> sumBlack(across), sumWhite(across), valid(across), total(across);
        for (int r = rows.first[std::size_t(cy)]; r < rows.first[std::size_t(cy) + 1]; ++r) {
            const int sy = rows.at[std::size_t(r)];
            const double wy = rows.weight[std::size_t(r)];
            if (sy != rowRead) {
                readRow(picture, p.source, p.source.y() + sy, noData, placed.greyMax, grey, alpha,
                        missing);
                for (int x = 0; x < w; ++x) {
                    const double a = alpha[std::size_t(x)] / double(Top);
                    onBlack[std::size_t(x)] = grey[std::size_t(x)] * a;
                    onWhite[std::size_t(x)] = Top - (Top - grey[std::size_t(x)]) * a;
                }
                rowRead = sy;
            }
            for (int cx = 0; cx < p.canvas.width(); ++cx) {
                for (int t = columns.first[std::size_t(cx)]; t < columns.first[std::size_t(cx) + 1];
                     ++t) {
                    const auto sx = std::size_t(columns.at[std::size_t(t)]);
                    const double weight = wy * columns.weight[std::size_t(t)];
                    total[std::size_t(cx)] += weight;
                    if (missing[sx])
                        continue;
                    valid[std::size_t(cx)] += weight;
                    sumBlack[std::size_t(cx)] += weight * onBlack[sx];
                    sumWhite[std::size_t(cx)] += weight * onWhite[sx];
                }
            }
        }
        for (int cx = 0; cx < p.canvas.width(); ++cx) {
            const auto i = std::size_t((p.canvas.y() + cy) * DepthMapSize.width() + p.canvas.x() + cx);
            const auto c = std::size_t(cx);
            if (valid[c] <= 0 || valid[c] * 2 < total[c]) {
                placed.background[i] = 1;
                continue;
            }
            placed.onBlack[i] = quint16(std::lround(sumBlack[c] / valid[c]));
            placed.onWhite[i] = quint16(std::lround(sumWhite[c] / valid[c]));
        }
    }
}

} // namespace

int greyMaxOf(const Image &picture)
{
    return sixteenBit(picture.format()) ? Top : 255;
}

void greysOfRow(const Image &picture, int x0, int y, int width, std::vector<int> &grey,
                std::vector<int> &alpha)
{
    const Image::Format format = picture.format();
    if (format == Image::Format::Grayscale16) {
        const auto *line = reinterpret_cast<const quint16 *>(picture.constScanLine(y)) + x0;
        for (int x = 0; x < width; ++x) {
            grey[std::size_t(x)] = line[x];
            alpha[std::size_t(x)] = Top;
        }
    } else if (sixteenBit(format)) {
        const Image row = picture.copy(x0, y, width, 1).convertToFormat(Image::Format::Rgba64);
        const auto *line = reinterpret_cast<const Rgba64 *>(row.constScanLine(0));
        for (int x = 0; x < width; ++x) {
            const Rgba64 c = line[x];
            grey[std::size_t(x)] = (c.red() * 11 + c.green() * 16 + c.blue() * 5) / 32;
            alpha[std::size_t(x)] = c.alpha();
        }
    } else if (format == Image::Format::Grayscale8) {
        // Read in place: these are the greys the conversion to ARGB32 below would give.
        const uchar *line = picture.constScanLine(y) + x0;
        for (int x = 0; x < width; ++x) {
            grey[std::size_t(x)] = line[x] * 257;
            alpha[std::size_t(x)] = Top;
        }
    } else if (format == Image::Format::Rgb32 || format == Image::Format::Argb32) {
        const auto *line = reinterpret_cast<const Rgb *>(picture.constScanLine(y)) + x0;
        const bool opaque = format == Image::Format::Rgb32;
        for (int x = 0; x < width; ++x) {
            grey[std::size_t(x)] = rgbGrey(line[x]) * 257;
            alpha[std::size_t(x)] = opaque ? Top : rgbAlpha(line[x]) * 257;
        }
    } else {
        const Image row = picture.copy(x0, y, width, 1).convertToFormat(Image::Format::Argb32);
        const auto *line = reinterpret_cast<const Rgb *>(row.constScanLine(0));
        for (int x = 0; x < width; ++x) {
            grey[std::size_t(x)] = rgbGrey(line[x]) * 257;
            alpha[std::size_t(x)] = rgbAlpha(line[x]) * 257;
        }
    }
}

void medianFiltered(std::span<const quint16> plane, std::span<const quint8> background, int width,
                    int height, int radius, std::span<quint16> out)
{
    std::vector<quint16> window;
    window.reserve(std::size_t((2 * radius + 1) * (2 * radius + 1)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto i = std::size_t(y) * std::size_t(width) + std::size_t(x);
            if (background[i])
                continue;
            window.clear();
            for (int j = std::max(0, y - radius); j <= std::min(height - 1, y + radius); ++j)
                for (int k = std::max(0, x - radius); k <= std::min(width - 1, x + radius); ++k) {
                    const auto n = std::size_t(j) * std::size_t(width) + std::size_t(k);
                    if (!background[n])
                        window.push_back(plane[n]);
                }
            const auto middle = window.begin() + std::ptrdiff_t(window.size() / 2);
            std::nth_element(window.begin(), middle, window.end());
            out[i] = *middle;
        }
}

static PlacedPicture placePictureUnguarded(const Image &picture, Fit fit,
                                           std::optional<int> noData)
{
    PlacedPicture placed;
    placed.greyMax = greyMaxOf(picture);
    const auto pixels = std::size_t(DepthMapSize.width() * DepthMapSize.height());
    placed.onBlack.assign(pixels, 0);
    placed.onWhite.assign(pixels, 0);
    placed.background.assign(pixels, 1);
    if (picture.isNull())
        return placed;
    const Placement p = placementOf(picture.size(), fit);
    for (int y = p.canvas.top(); y <= p.canvas.bottom(); ++y)
        std::fill_n(placed.background.begin() + y * DepthMapSize.width() + p.canvas.left(),
                    p.canvas.width(), quint8(0));
    if (placed.greyMax == Top || noData)
        placeAveraged(picture, p, noData, placed);
    else
        placeEightBit(picture, p, placed);
    return placed;
}

PlacedPicture placePicture(const Image &picture, Fit fit, std::optional<int> noData)
{
    return guarded([&] { return placePictureUnguarded(picture, fit, noData); });
}

Levels quantise(const PlacedPicture &placed, const LevelsSettings &settings)
{
    const std::vector<quint16> &plane = settings.invert ? placed.onWhite : placed.onBlack;
    std::vector<quint16> values = plane;
    if (settings.smooth > 0)
        medianFiltered(plane, placed.background, DepthMapSize.width(), DepthMapSize.height(),
                       std::min(settings.smooth, MaxSmooth), values);

    auto bound = [&](const Bound &b, bool isNear) {
        switch (b.kind) {
        case Bound::Kind::End:
            return isNear != settings.invert ? Top : 0;
        case Bound::Kind::Value:
            return int(qint64(std::clamp(b.value, 0, placed.greyMax)) * Top / placed.greyMax);
        case Bound::Kind::Auto:
            break;
        }
        // The 1st and 99th percentiles of the greys that have data.
        return percentileGrey(values, [&](std::size_t i) { return placed.background[i] != 0; },
                              isNear != settings.invert);
    };
    const int nearGrey = bound(settings.nearGrey, true);
    const int farGrey = bound(settings.farGrey, false);
    const double gamma = std::clamp(settings.gamma, MinGamma, MaxGamma);

    std::vector<quint8> levelOf(Top + 1);
    for (int v = 0; v <= Top; ++v) {
        double t = nearGrey == farGrey ? (v == nearGrey ? 1.0 : 0.0)
                                       : double(v - farGrey) / (nearGrey - farGrey);
        t = std::clamp(t, 0.0, 1.0);
        if (gamma != 1.0)
            t = std::pow(t, gamma);
        levelOf[std::size_t(v)] = quint8(std::floor(15 * t + 0.5));
    }

    Levels levels;
    levels.map = Image(DepthMapSize, Image::Format::Rgb32);
    const int w = DepthMapSize.width();
    for (int y = 0; y < DepthMapSize.height(); ++y) {
        auto *line = reinterpret_cast<Rgb *>(levels.map.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const auto i = std::size_t(y * w + x);
            const int level = placed.background[i] ? 0 : int(levelOf[values[i]]);
            ++levels.histogram[std::size_t(level)];
            line[x] = toQRgb(QBColor(level));
        }
    }
    auto ownScale = [&](int v) { return int((qint64(v) * placed.greyMax + Top / 2) / Top); };
    levels.nearGrey = ownScale(nearGrey);
    levels.farGrey = ownScale(farGrey);
    return levels;
}

Image levelsOf(const Image &picture, const LevelsSettings &settings)
{
    return guarded([&] {
        return quantise(placePicture(picture, settings.fit, settings.noData), settings).map;
    });
}

Image levelsOf(const Image &picture, bool invert)
{
    LevelsSettings settings;
    settings.invert = invert;
    return levelsOf(picture, settings);
}

double levelColourShare(const Image &picture)
{
    if (picture.isNull())
        return 0;
    qint64 matching = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const Image row =
            picture.copy(0, y, picture.width(), 1).convertToFormat(Image::Format::Rgb32);
        const auto *line = reinterpret_cast<const Rgb *>(row.constScanLine(0));
        for (int x = 0; x < picture.width(); ++x) {
            const Colour c = fromQRgb(line[x]);
            matching += std::find(QBColorTable.begin(), QBColorTable.end(), c) != QBColorTable.end();
        }
    }
    return double(matching) / (qint64(picture.width()) * picture.height());
}

} // namespace picture
