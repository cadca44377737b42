// SPDX-License-Identifier: MIT

#include "levels.h"

#include "stereopictures.h"

#include "colour.h"

#include <QPainter>

#include <algorithm>

namespace picture {

static_assert(levelOfLuminance(0) == 0 && levelOfLuminance(8) == 0 && levelOfLuminance(9) == 1
              && levelOfLuminance(127) == 7 && levelOfLuminance(128) == 8
              && levelOfLuminance(246) == 14 && levelOfLuminance(247) == 15
              && levelOfLuminance(255) == 15);

QImage levelsOf(const QImage &picture, bool invert)
{
    QSize fit = picture.size().scaled(DepthMapSize, Qt::KeepAspectRatio);
    fit = fit.expandedTo(QSize(1, 1));
    QImage scaled = picture.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_ARGB32);
    if (invert)
        scaled.invertPixels(QImage::InvertRgb);

    QImage map(DepthMapSize, QImage::Format_RGB32);
    map.fill(Qt::black);
    {
        QPainter painter(&map);
        painter.drawImage((DepthMapSize.width() - fit.width()) / 2,
                          (DepthMapSize.height() - fit.height()) / 2, scaled);
    }
    for (int y = 0; y < map.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(map.scanLine(y));
        for (int x = 0; x < map.width(); ++x)
            line[x] = toQRgb(QBColor(levelOfLuminance(qGray(line[x]))));
    }
    return map;
}

} // namespace picture
