// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"

#include <QtGlobal>

#include <array>

namespace picture {

// A colour value as the program computes with it: red + 256 * green + 65536 * blue.
// Not a Rgb: its byte order differs, and Rgb carries alpha.
using Colour = qint32;

// Point's answer for a position outside the drawing area; never a real colour.
inline constexpr Colour NoColour = -1;

constexpr Colour RGB(int red, int green, int blue)
{
    return Colour((red & 0xff) | (green & 0xff) << 8 | (blue & 0xff) << 16);
}

constexpr int redOf(Colour c) { return c & 0xff; }
constexpr int greenOf(Colour c) { return (c >> 8) & 0xff; }
constexpr int blueOf(Colour c) { return (c >> 16) & 0xff; }

// The standard 16-colour table; level n of a depth map is painted in QBColor(n).
inline constexpr std::array<Colour, 16> QBColorTable{
    RGB(0, 0, 0),       RGB(0, 0, 128),     RGB(0, 128, 0),   RGB(0, 128, 128),
    RGB(128, 0, 0),     RGB(128, 0, 128),   RGB(128, 128, 0), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(0, 0, 255),     RGB(0, 255, 0),   RGB(0, 255, 255),
    RGB(255, 0, 0),     RGB(255, 0, 255),   RGB(255, 255, 0), RGB(255, 255, 255),
};

// n must be 0 to 15: the callers' controls keep it in range.
constexpr Colour QBColor(int n)
{
    return QBColorTable[std::size_t(n)];
}

constexpr Rgb toQRgb(Colour c)
{
    return rgbOf(redOf(c), greenOf(c), blueOf(c));
}

constexpr Colour fromQRgb(Rgb rgb)
{
    return RGB(rgbRed(rgb), rgbGreen(rgb), rgbBlue(rgb));
}

} // namespace picture
