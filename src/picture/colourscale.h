// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"
#include <QString>

#include <optional>

namespace picture {

// The colour scales depth is commonly rendered in. Position 0 is the cold (blue or dark) end,
// 1 the warm (red or yellow) end, which disparity renderings use for what is near.
enum class ColourScale { Jet, Turbo, Viridis, Plasma, Inferno, Magma, Cividis };

inline constexpr ColourScale AllColourScales[] = {
    ColourScale::Jet,     ColourScale::Turbo, ColourScale::Viridis, ColourScale::Plasma,
    ColourScale::Inferno, ColourScale::Magma, ColourScale::Cividis,
};

// "jet", "turbo", "viridis", ...
QString colourScaleName(ColourScale scale);

// The scale's colour at position t (0 to 1), interpolated between its tabulated colours.
Rgb colourOnScale(ColourScale scale, double t);

// A pixel is on a scale when its colour lies within this distance (Euclidean, in 0-255 units
// of red, green and blue) of the scale's curve.
inline constexpr int ScaleDistance = 24;
// A picture is on a scale when at least this share of its coloured pixels are. Black pixels
// (no channel above ScaleBlack) are left out: depth renderings put missing data there.
inline constexpr double ScaleShare = 0.95;
inline constexpr int ScaleBlack = 16;
// ... and when the coloured pixels reach along at least this part of the scale (5th to 95th
// percentile of their positions), so that one flat colour is no scale.
inline constexpr double ScaleSpread = 0.2;

// The scale a colour picture is drawn in, if any of AllColourScales. A grey picture is on none.
std::optional<ColourScale> colourScaleOf(const Image &picture);

// The picture read along the scale: an 8-bit grey picture of the same size, each pixel's grey
// its position on the scale (0 cold, 255 warm) or, off the scale, the nearest position; black
// where the pixel is black.
// White-near reading of it, as levels makes, puts the warm end nearest. A picture of 32 bits a
// pixel that nothing else holds is read in place: each row's greys go over the start of the row,
// and the grey picture keeps the picture's memory (an 8000 x 8000 picture and a grey copy
// beside it would be 320 MB).
Image readAlongScale(Image picture, ColourScale scale);

} // namespace picture
