// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"

#include <QImage>

// Pictures across the edge to Qt's own: the windows paint QImages.
namespace picture {

// The same picture as a QImage that shares its pixels (they are copied only when the QImage is
// changed), with its table and resolution.
QImage toQImage(const Image &image);

// A QImage's picture; the formats Image does not keep arrive as Argb32 or Rgb32, as Qt converts
// them.
Image fromQImage(const QImage &image);

} // namespace picture
