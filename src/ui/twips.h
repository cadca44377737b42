// SPDX-License-Identifier: MIT

#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ui {

// The layout is given in twips; at 96 dots per inch a pixel is 15 twips.
inline constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}

constexpr QPoint twipsPoint(int left, int top)
{
    return {twipsToPixels(left), twipsToPixels(top)};
}

constexpr QSize twipsSize(int width, int height)
{
    return {twipsToPixels(width), twipsToPixels(height)};
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsPoint(left, top), twipsSize(width, height)};
}

// A rectangle given in twips (left, top, width, height), in pixels.
constexpr QRect twipsRect(QRect twips)
{
    return twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
}

} // namespace ui
