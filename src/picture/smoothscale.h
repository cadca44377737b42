// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"
#include <QRect>
#include <QSize>

namespace picture {

// picture.copy(source).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation) as the
// desktop's Qt makes it, pixel for pixel and in the same format, without ever holding a converted
// copy of the whole picture. Qt converts a picture of 8 bits or of three bytes a pixel to 32 bits
// to scale it, which for an 8-bit picture of 8000 x 8000 is four times the picture; where Qt
// takes that way and makes the picture smaller along both axes, the picture is read here one row
// at a time instead, each destination pixel the area average of the source pixels under it, in
// fixed point (weights of 1/16384 along each axis), as Qt computes it. Where Qt's area scaling
// makes the picture larger along an axis, it is bilinear along that axis (weights of 1/256), done
// here too. Where Qt paints instead (pictures of other formats, small and made less than twice
// smaller), they are painted as Qt paints them (paintedScaled). Two differences: a palette or
// 1-bit picture averaged comes back in 32 bits, not dithered onto a palette again, and pictures
// of 16 bits a channel, which the program never scales, are scaled as their 8-bit colours.
Image smoothScaled(const Image &picture, const QRect &source, QSize size);

} // namespace picture
