// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>

namespace picture {

// A grey depth map (white near, black far; the other way round with `invert`) as a depth map of
// level colours that the editor loads exactly: scaled smoothly to fit the canvas keeping its
// aspect ratio, centred on black (far, either way), each pixel's luminance L (0 to 255) made
// level round(L * 15 / 255) in that level's colour.
QImage levelsOf(const QImage &picture, bool invert);

// round(L * 15 / 255) for L from 0 to 255.
constexpr int levelOfLuminance(int luminance)
{
    return (luminance * 15 + 127) / 255;
}

} // namespace picture
