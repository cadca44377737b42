// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"
#include <QSize>

namespace picture {

// A picture of 8 bits or 1 bit a pixel, or of non-premultiplied colours, scaled as the desktop's
// painter draws it scaled smoothly over an empty picture: bilinear, with the antialiased edge of
// the rasterizer, span for span as the painter hands the spans on. Grey pictures come back grey
// over black, 1-bit and palette pictures premultiplied over transparent, colours with their alpha
// over transparent.
Image paintedScaled(const Image &picture, QSize size);

} // namespace picture
