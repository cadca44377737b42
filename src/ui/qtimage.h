// SPDX-License-Identifier: MIT

#pragma once

#include "picture/image.h"

#include <QImage>

// Pictures across the edge to Qt's own: the windows paint QImages.
namespace ui {

// The same picture as a QImage, with its table and resolution. The QImage takes the pixels over
// without a copy when `image` is the only holder of them (a temporary, or one moved in);
// otherwise they are copied once, so that painting on the QImage never changes another Image.
QImage toQImage(picture::Image image);

// A QImage's picture; the formats Image does not keep arrive as Argb32 or Rgb32, as Qt converts
// them.
picture::Image fromQImage(const QImage &image);

} // namespace ui
