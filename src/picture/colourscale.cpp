// SPDX-License-Identifier: MIT

#include "colourscale.h"

#include "pictureerror.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <new>
#include <vector>

using namespace Qt::StringLiterals;

namespace picture {

namespace {

struct Knot
{
    int r, g, b;
};

// Each scale tabulated at positions 0, 8, 16, ... 248 and 255 of its 256 colours, rounded to
// 0-255. Sampled from the listed colour maps matplotlib ships: viridis, plasma, inferno and
// magma by Nathaniel J. Smith, Stefan van der Walt and Eric Firing, dedicated to the public
// domain (CC0); cividis by Jamie R. Nuñez, Christopher R. Anderton and Ryan S. Renslow (2018),
// under matplotlib's licence; turbo by Anton Mikhailov, Copyright 2019 Google LLC, Apache
// License 2.0. Jet is computed below from its piecewise-linear definition.
// viridis
constexpr Knot Viridis[] = {
    {68, 1, 84}, {71, 13, 96}, {72, 24, 106}, {72, 35, 116}, {71, 45, 123}, {69, 55, 129},
    {66, 64, 134}, {62, 73, 137}, {59, 82, 139}, {55, 91, 141}, {51, 99, 141}, {47, 107, 142},
    {44, 114, 142}, {41, 122, 142}, {38, 130, 142}, {35, 137, 142}, {33, 145, 140}, {31, 152, 139},
    {31, 160, 136}, {34, 167, 133}, {40, 174, 128}, {50, 182, 122}, {63, 188, 115}, {78, 195, 107},
    {94, 201, 98}, {112, 207, 87}, {132, 212, 75}, {152, 216, 62}, {173, 220, 48}, {194, 223, 35},
    {216, 226, 25}, {236, 229, 27}, {253, 231, 37},
};
// plasma
constexpr Knot Plasma[] = {
    {13, 8, 135}, {34, 6, 144}, {49, 5, 151}, {63, 4, 156}, {76, 2, 161}, {89, 1, 165},
    {102, 0, 167}, {114, 1, 168}, {126, 3, 168}, {138, 9, 165}, {149, 17, 161}, {160, 26, 156},
    {170, 35, 149}, {179, 44, 142}, {188, 53, 135}, {196, 62, 127}, {204, 71, 120}, {211, 81, 113},
    {218, 90, 106}, {224, 99, 99}, {230, 108, 92}, {235, 118, 85}, {240, 128, 78}, {245, 139, 71},
    {248, 149, 64}, {251, 161, 57}, {253, 172, 51}, {254, 184, 44}, {253, 197, 39}, {252, 210, 37},
    {248, 223, 37}, {244, 237, 39}, {240, 249, 33},
};
// inferno
constexpr Knot Inferno[] = {
    {0, 0, 4}, {4, 3, 18}, {11, 7, 36}, {21, 11, 55}, {33, 12, 74}, {47, 10, 91},
    {61, 9, 101}, {74, 12, 107}, {87, 16, 110}, {100, 21, 110}, {113, 25, 110}, {125, 30, 109},
    {138, 34, 106}, {151, 39, 102}, {163, 44, 97}, {176, 49, 91}, {188, 55, 84}, {199, 62, 76},
    {210, 70, 68}, {219, 80, 59}, {228, 90, 49}, {235, 102, 40}, {241, 115, 29}, {246, 128, 19},
    {249, 142, 9}, {251, 157, 7}, {252, 172, 17}, {251, 188, 33}, {249, 203, 53}, {245, 219, 76},
    {242, 234, 105}, {243, 246, 138}, {252, 255, 164},
};
// magma
constexpr Knot Magma[] = {
    {0, 0, 4}, {3, 3, 18}, {10, 8, 34}, {19, 13, 52}, {29, 17, 71}, {41, 17, 90},
    {54, 16, 107}, {68, 15, 118}, {81, 18, 124}, {93, 23, 127}, {106, 28, 129}, {118, 33, 129},
    {131, 38, 129}, {144, 42, 129}, {156, 46, 127}, {170, 51, 125}, {183, 55, 121}, {196, 60, 117},
    {208, 65, 111}, {220, 72, 105}, {231, 82, 99}, {239, 93, 94}, {245, 107, 92}, {249, 121, 93},
    {252, 137, 97}, {253, 152, 105}, {254, 167, 114}, {254, 182, 124}, {254, 196, 136}, {254, 211, 149},
    {253, 226, 163}, {252, 240, 178}, {252, 253, 191},
};
// cividis
constexpr Knot Cividis[] = {
    {0, 34, 78}, {0, 40, 91}, {0, 46, 106}, {5, 51, 113}, {26, 56, 111}, {39, 62, 110},
    {50, 67, 109}, {59, 73, 108}, {67, 78, 108}, {75, 84, 108}, {83, 90, 109}, {90, 95, 110},
    {97, 101, 111}, {104, 106, 113}, {111, 112, 115}, {118, 118, 118}, {125, 124, 120}, {132, 130, 121},
    {140, 136, 120}, {147, 142, 120}, {155, 148, 118}, {163, 154, 116}, {171, 160, 114}, {180, 167, 111},
    {188, 174, 108}, {196, 180, 104}, {205, 187, 99}, {213, 194, 94}, {222, 201, 88}, {231, 209, 80},
    {240, 216, 70}, {249, 224, 58}, {254, 232, 56},
};
// turbo
constexpr Knot Turbo[] = {
    {48, 18, 59}, {57, 42, 115}, {64, 64, 162}, {68, 86, 199}, {70, 107, 227}, {70, 128, 246},
    {66, 148, 255}, {55, 168, 250}, {40, 188, 235}, {28, 205, 216}, {24, 221, 194}, {31, 233, 175},
    {50, 242, 152}, {78, 249, 125}, {109, 254, 98}, {139, 255, 75}, {164, 252, 60}, {185, 246, 53},
    {205, 236, 52}, {223, 223, 55}, {238, 207, 58}, {248, 190, 57}, {253, 172, 52}, {254, 150, 43},
    {251, 126, 33}, {244, 102, 23}, {235, 80, 14}, {223, 63, 8}, {208, 47, 5}, {190, 33, 2},
    {169, 22, 1}, {146, 11, 1}, {122, 4, 3},
};

// Jet: red, green and blue each a piecewise-linear function of t.
double piecewise(double t, std::initializer_list<std::pair<double, double>> points)
{
    auto previous = *points.begin();
    if (t <= previous.first)
        return previous.second;
    for (const auto &p : points) {
        if (t <= p.first)
            return previous.second
                   + (p.second - previous.second) * (t - previous.first) / (p.first - previous.first);
        previous = p;
    }
    return previous.second;
}

Rgb jetAt(double t)
{
    const double r = piecewise(t, {{0, 0}, {0.35, 0}, {0.66, 1}, {0.89, 1}, {1, 0.5}});
    const double g = piecewise(t, {{0, 0}, {0.125, 0}, {0.375, 1}, {0.64, 1}, {0.91, 0}, {1, 0}});
    const double b = piecewise(t, {{0, 0.5}, {0.11, 1}, {0.34, 1}, {0.65, 0}, {1, 0}});
    return rgbOf(int(std::lround(r * 255)), int(std::lround(g * 255)), int(std::lround(b * 255)));
}

template<std::size_t N>
Rgb tabulatedAt(const Knot (&knots)[N], double t)
{
    // Knot k sits at position 8k of 255, the last one at 255.
    const double at = std::clamp(t, 0.0, 1.0) * 255;
    std::size_t k = std::min<std::size_t>(std::size_t(at / 8), N - 2);
    const double from = 8.0 * double(k);
    const double to = k + 1 == N - 1 ? 255.0 : from + 8;
    const double f = std::clamp((at - from) / (to - from), 0.0, 1.0);
    const Knot &a = knots[k];
    const Knot &b = knots[k + 1];
    auto mix = [f](int x, int y) { return int(std::lround(x + (y - x) * f)); };
    return rgbOf(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

// Each scale sampled densely, for finding a colour's place on it.
constexpr int Samples = 256;

const std::array<Rgb, Samples> &samplesOf(ColourScale scale)
{
    static const auto all = [] {
        std::array<std::array<Rgb, Samples>, std::size(AllColourScales)> tables{};
        for (const ColourScale s : AllColourScales)
            for (int i = 0; i < Samples; ++i)
                tables[std::size_t(s)][std::size_t(i)] = colourOnScale(s, i / double(Samples - 1));
        return tables;
    }();
    return all[std::size_t(scale)];
}

struct Place
{
    int position = 0; // 0 to 255
    int distanceSquared = 0;
};

Place placeOn(const std::array<Rgb, Samples> &samples, Rgb c)
{
    Place best{0, INT_MAX};
    for (int i = 0; i < Samples; ++i) {
        const Rgb s = samples[std::size_t(i)];
        const int dr = rgbRed(c) - rgbRed(s);
        const int dg = rgbGreen(c) - rgbGreen(s);
        const int db = rgbBlue(c) - rgbBlue(s);
        const int d = dr * dr + dg * dg + db * db;
        if (d < best.distanceSquared)
            best = {i, d};
    }
    return best;
}

bool isBlack(Rgb c)
{
    return rgbRed(c) <= ScaleBlack && rgbGreen(c) <= ScaleBlack && rgbBlue(c) <= ScaleBlack;
}

bool isGrey(Rgb c)
{
    const int high = std::max({rgbRed(c), rgbGreen(c), rgbBlue(c)});
    const int low = std::min({rgbRed(c), rgbGreen(c), rgbBlue(c)});
    return high - low <= 8;
}

// The colours of (at most about 2^16 evenly spread) pixels with how often each occurs.
QHash<Rgb, int> sampledColours(const Image &picture)
{
    QHash<Rgb, int> colours;
    const qint64 pixels = qint64(picture.width()) * picture.height();
    const int step = std::max(1, int(std::sqrt(double(pixels) / 65536.0)));
    for (int y = 0; y < picture.height(); y += step) {
        const Image row =
            picture.copy(0, y, picture.width(), 1).convertToFormat(Image::Format::Rgb32);
        const auto *line = reinterpret_cast<const Rgb *>(row.constScanLine(0));
        for (int x = 0; x < picture.width(); x += step)
            ++colours[line[x] | 0xff000000u];
    }
    return colours;
}

} // namespace

QString colourScaleName(ColourScale scale)
{
    switch (scale) {
    case ColourScale::Jet:
        return u"jet"_s;
    case ColourScale::Turbo:
        return u"turbo"_s;
    case ColourScale::Viridis:
        return u"viridis"_s;
    case ColourScale::Plasma:
        return u"plasma"_s;
    case ColourScale::Inferno:
        return u"inferno"_s;
    case ColourScale::Magma:
        return u"magma"_s;
    case ColourScale::Cividis:
        return u"cividis"_s;
    }
    return {};
}

Rgb colourOnScale(ColourScale scale, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    switch (scale) {
    case ColourScale::Jet:
        return jetAt(t);
    case ColourScale::Turbo:
        return tabulatedAt(Turbo, t);
    case ColourScale::Viridis:
        return tabulatedAt(Viridis, t);
    case ColourScale::Plasma:
        return tabulatedAt(Plasma, t);
    case ColourScale::Inferno:
        return tabulatedAt(Inferno, t);
    case ColourScale::Magma:
        return tabulatedAt(Magma, t);
    case ColourScale::Cividis:
        return tabulatedAt(Cividis, t);
    }
    return 0;
}

std::optional<ColourScale> colourScaleOf(const Image &picture)
{
    if (picture.isNull())
        return std::nullopt;
    const QHash<Rgb, int> colours = sampledColours(picture);
    qint64 coloured = 0;
    qint64 greys = 0;
    for (auto it = colours.cbegin(); it != colours.cend(); ++it) {
        if (isBlack(it.key()))
            continue;
        coloured += it.value();
        greys += isGrey(it.key()) ? it.value() : 0;
    }
    // Nothing but black, or a grey picture: no colour scale.
    if (coloured == 0 || greys * 100 >= coloured * 99)
        return std::nullopt;
    std::optional<ColourScale> found;
    double bestShare = 0;
    for (const ColourScale scale : AllColourScales) {
        const auto &samples = samplesOf(scale);
        qint64 on = 0;
        std::array<qint64, Samples> at{};
        for (auto it = colours.cbegin(); it != colours.cend(); ++it) {
            if (isBlack(it.key()))
                continue;
            const Place p = placeOn(samples, it.key());
            if (p.distanceSquared <= ScaleDistance * ScaleDistance) {
                on += it.value();
                at[std::size_t(p.position)] += it.value();
            }
        }
        const double share = double(on) / double(coloured);
        if (share < ScaleShare || share <= bestShare)
            continue;
        auto percentile = [&](int percent) {
            const qint64 wanted = std::max<qint64>(1, on * percent / 100);
            qint64 seen = 0;
            for (int i = 0; i < Samples; ++i)
                if ((seen += at[std::size_t(i)]) >= wanted)
                    return i;
            return Samples - 1;
        };
        if (percentile(95) - percentile(5) < ScaleSpread * (Samples - 1))
            continue;
        found = scale;
        bestShare = share;
    }
    return found;
}

Image readAlongScale(Image picture, ColourScale scale)
{
    if (picture.isNull())
        return Image(picture.size(), Image::Format::Grayscale8);
    const int width = picture.width();
    const int height = picture.height();
    const bool inPlace = picture.isDetached() && picture.depth() == 32;
    Image grey;
    if (!inPlace) {
        grey = Image(picture.size(), Image::Format::Grayscale8);
        if (grey.isNull())
            throw PictureError(PictureError::Kind::OutOfMemory);
    }
    const auto &samples = samplesOf(scale);
    QHash<Rgb, int> read;
    std::vector<uchar> greys(std::size_t(width), 0);
    for (int y = 0; y < height; ++y) {
        const Image row = picture.copy(0, y, width, 1).convertToFormat(Image::Format::Rgb32);
        const auto *line = reinterpret_cast<const Rgb *>(row.constScanLine(0));
        for (int x = 0; x < width; ++x) {
            const Rgb c = line[x] | 0xff000000u;
            auto found = read.constFind(c);
            if (found == read.cend()) {
                const Place p = placeOn(samples, c);
                found = read.insert(c, isBlack(c) ? 0 : p.position);
            }
            greys[std::size_t(x)] = uchar(*found);
        }
        std::copy(greys.begin(), greys.end(), inPlace ? picture.scanLine(y) : grey.scanLine(y));
    }
    if (!inPlace)
        return grey;
    // The grey picture over the picture's own rows.
    picture.reinterpretAs(Image::Format::Grayscale8);
    return picture;
}

} // namespace picture
