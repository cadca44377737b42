// SPDX-License-Identifier: MIT

#pragma once

#include <algorithm>

#include "image.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace picture {

// How a grey depth map is placed on the 389 x 333 canvas.
enum class Fit {
    Fit,     // scaled to fit inside, keeping its aspect ratio, centred
    Fill,    // scaled to cover the canvas, keeping its aspect ratio, centred and cropped
    Stretch, // scaled to the canvas's size
    None,    // 1:1 at the top left, cropped
};

// The grey value that becomes level 15 (near) or level 0 (far): the end of the picture's scale
// (white near and black far; the other way round when inverted), the picture's own 99th and 1st
// percentiles, or a value of the picture's scale (0 to 255, or 0 to 65535 for a 16-bit picture).
struct Bound
{
    enum class Kind { End, Auto, Value };
    Kind kind = Kind::End;
    int value = 0;

    bool operator==(const Bound &) const = default;
};

// What turns a grey picture into levels. The defaults make what `levels` always made.
struct LevelsSettings
{
    bool invert = false;
    Bound nearGrey;
    Bound farGrey;
    // A grey value of the picture's scale that means "no measurement": such pixels become level 0.
    std::optional<int> noData;
    double gamma = 1.0;
    Fit fit = Fit::Fit;
    // The radius of the median filter applied before quantising, 0 to 3.
    int smooth = 0;

    bool operator==(const LevelsSettings &) const = default;
};

inline constexpr double MinGamma = 0.1;
inline constexpr double MaxGamma = 10.0;
inline constexpr int MaxSmooth = 3;

// The top of a picture's grey scale: 65535 when it has 16 bits a channel, 255 otherwise.
int greyMaxOf(const Image &picture);

// A picture placed on the canvas, before quantising: the expensive half, done once per picture,
// placement and no-data value. Each canvas pixel has two 16-bit greys: the picture composited
// on black (as seen white-near) and on white (as seen black-near), so that transparency is far
// either way; and whether it is background (outside the picture, or no data).
struct PlacedPicture
{
    int greyMax = 255;
    std::vector<quint16> onBlack;
    std::vector<quint16> onWhite;
    std::vector<quint8> background;
};

PlacedPicture placePicture(const Image &picture, Fit fit, std::optional<int> noData);

// The cheap half: the depth map of level colours, with what went into it.
struct Levels
{
    Image map;
    // How many pixels of the map have each level.
    std::array<int, 16> histogram{};
    // The greys used as near and far, on the picture's scale (after Auto was resolved).
    int nearGrey = 0;
    int farGrey = 0;
};

Levels quantise(const PlacedPicture &placed, const LevelsSettings &settings);

// placePicture then quantise.
Image levelsOf(const Image &picture, const LevelsSettings &settings);

// A grey depth map (white near, black far; the other way round with `invert`) as a depth map of
// level colours that the editor loads exactly: scaled smoothly to fit the canvas keeping its
// aspect ratio, centred on black (far, either way), each pixel's luminance L (0 to 255) made
// level round(L * 15 / 255) in that level's colour.
Image levelsOf(const Image &picture, bool invert);

// round(L * 15 / 255) for L from 0 to 255.
constexpr int levelOfLuminance(int luminance)
{
    return (luminance * 15 + 127) / 255;
}

// The greys and alphas (each 0 to 65535) of `width` pixels of row y from column x: a grey of
// 8 bits g is g * 257; colours are weighed 11 : 16 : 5.
void greysOfRow(const Image &picture, int x, int y, int width, std::vector<int> &grey,
                std::vector<int> &alpha);

// The median filter of depth maps: each pixel with data (background 0) of the width x height
// `plane` takes the median of the pixels with data within `radius` of it (a square), the upper of
// the two middle ones where their number is even. Writes those pixels into `out`, read from
// `plane`; the others are left as they are.
void medianFiltered(std::span<const quint16> plane, std::span<const quint8> background, int width,
                    int height, int radius, std::span<quint16> out);

// The share of pixels (0 to 1) whose colour is one of the 16 level colours.
double levelColourShare(const Image &picture);

// A picture with fewer level colours than this share was not drawn in level colours: a grey depth
// map, most likely, that `levels` converts.
inline constexpr double LevelColourMinimum = 0.01;

// The grey `--near auto` or `--far auto` finds among 16-bit `values`: the 99th percentile of those
// with data for the high end, the 1st for the low one. `isBackground(i)` tells the pixels without
// data, which do not count.
template<typename IsBackground>
int percentileGrey(std::span<const quint16> values, IsBackground isBackground, bool high)
{
    std::vector<qint64> count(65536);
    qint64 n = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!isBackground(i)) {
            ++count[values[i]];
            ++n;
        }
    const qint64 wanted = std::max<qint64>(1, (n * (high ? 99 : 1) + 99) / 100);
    qint64 seen = 0;
    for (int v = 0; v < 65536; ++v) {
        seen += count[std::size_t(v)];
        if (seen >= wanted)
            return v;
    }
    return high ? 65535 : 0;
}

} // namespace picture
