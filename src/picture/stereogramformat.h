// SPDX-License-Identifier: MIT

#pragma once

#include "colour.h"

#include <QSize>

namespace picture {

// The editor's canvas and the main window's depth store.
inline constexpr QSize DepthMapSize{389, 333};
// The display window's picture: the stereogram as Save As writes it.
inline constexpr QSize StereogramSize{453, 333};

// The random-dot stereogram: 454 x 334 dots. Each row starts with a strip of 61 random grey dots;
// from column 61 on each dot repeats the dot one separation to its left, the separation being
// 60 minus the depth level under it; the last three columns always repeat at 60.
inline constexpr int ImageWidth = 454;
inline constexpr int ImageHeight = 334;
inline constexpr int StripWidth = 61;
inline constexpr int MappedEnd = 451; // first tail column
inline constexpr int BaseSeparation = 60;

// The value the tint colour component of every dot has.
inline constexpr int FixedComponentValue = 250;
inline constexpr qint16 DefaultIroIndex = 2;

// A dot of that grey value (0 to 255) in the tint IroIndex (0 red, 1 green, 2 blue): the tint's
// component is FixedComponentValue, the other two carry the grey value.
constexpr Colour dotColour(int grey, int iroIndex)
{
    int c[3] = {grey, grey, grey};
    c[iroIndex] = FixedComponentValue;
    return RGB(c[0], c[1], c[2]);
}

} // namespace picture
