// SPDX-License-Identifier: MIT

#include "picturesurface.h"

#include "qtimage.h"

#include "picture/stereopictures.h"

#include <QPainter>

#include <cmath>
#include <cstring>

namespace ui {

PictureSurface::PictureSurface(QSize drawingArea, Colour backColor, FillStyle fillStyle)
    : m_persistent(drawingArea, QImage::Format_RGB32), m_backColor(backColor),
      m_fillStyle(fillStyle)
{
    rebuildPersistent();
}

void PictureSurface::rebuildPersistent()
{
    m_persistent.fill(toQRgb(m_backColor));
    if (!m_picture.isNull()) {
        // The kept part replaces the pixels it covers, as they are.
        QPainter painter(&m_persistent);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_picture);
    }
    m_screen = m_persistent;
}

QRect PictureSurface::Cls()
{
    rebuildPersistent();
    return m_persistent.rect();
}

void PictureSurface::setPicture(const QImage &picture)
{
    // Only what fits crosses over to the picture library: a large picture is not copied whole.
    const QRect fits = picture.rect().intersected(QRect(QPoint(0, 0), size()));
    m_picture = toQImage(picture::keptPart(
        fromQImage(fits == picture.rect() ? picture : picture.copy(fits)), size()));
    rebuildPersistent();
}

static int roundToPixel(float v)
{
    return int(std::floor(double(v) + 0.5));
}

QRect PictureSurface::Circle(float x, float y, float radius, Colour colour)
{
    QImage &target = m_autoRedraw ? m_persistent : m_screen;
    const int cx = roundToPixel(x);
    const int cy = roundToPixel(y);
    const double r = std::fabs(double(radius));
    // r^2 + r rather than r^2: a round disc, without a lone pixel at each of the four extreme
    // points; an integer radius still reaches exactly r pixels from the centre.
    const double r2 = r * r + r;
    const int reach = int(std::floor(std::sqrt(r2)));
    const QRect bounds = QRect(cx - reach, cy - reach, 2 * reach + 1, 2 * reach + 1)
                             .intersected(target.rect());
    if (bounds.isEmpty())
        return {};

    auto inside = [&](int i, int j) {
        const double di = i - cx;
        const double dj = j - cy;
        return di * di + dj * dj <= r2;
    };
    const QRgb edge = toQRgb(colour);
    const QRgb fill = toQRgb(m_fillColor);
    const bool solid = m_fillStyle == FillStyle::Solid;
    for (int j = bounds.top(); j <= bounds.bottom(); ++j) {
        auto *line = reinterpret_cast<QRgb *>(target.scanLine(j));
        for (int i = bounds.left(); i <= bounds.right(); ++i) {
            if (!inside(i, j))
                continue;
            const bool onEdge = !inside(i - 1, j) || !inside(i + 1, j) || !inside(i, j - 1)
                                || !inside(i, j + 1);
            if (onEdge)
                line[i] = edge;
            else if (solid)
                line[i] = fill;
        }
    }
    if (m_autoRedraw)
        persistentChanged(bounds);
    return bounds;
}

QRect PictureSurface::PSet(float x, float y, Colour colour)
{
    QImage &target = m_autoRedraw ? m_persistent : m_screen;
    const int i = roundToPixel(x);
    const int j = roundToPixel(y);
    if (!target.rect().contains(i, j))
        return {};
    reinterpret_cast<QRgb *>(target.scanLine(j))[i] = toQRgb(colour);
    const QRect touched(i, j, 1, 1);
    if (m_autoRedraw)
        persistentChanged(touched);
    return touched;
}

Colour PictureSurface::Point(float x, float y) const
{
    const int i = roundToPixel(x);
    const int j = roundToPixel(y);
    if (!m_persistent.rect().contains(i, j))
        return NoColour;
    return fromQRgb(reinterpret_cast<const QRgb *>(m_persistent.constScanLine(j))[i]);
}

QRect PictureSurface::drawPersistent(const std::function<QRect(QImage &)> &draw)
{
    const QRect changed = draw(m_persistent).intersected(m_persistent.rect());
    persistentChanged(changed);
    return changed;
}

QRect PictureSurface::drawLayers(const std::function<QRect(QImage &, QImage &)> &draw)
{
    return draw(m_persistent, m_screen).intersected(m_persistent.rect());
}

void PictureSurface::persistentChanged(const QRect &r)
{
    const int bytes = r.width() * int(sizeof(QRgb));
    for (int j = r.top(); j <= r.bottom(); ++j) {
        std::memcpy(reinterpret_cast<QRgb *>(m_screen.scanLine(j)) + r.left(),
                    reinterpret_cast<const QRgb *>(m_persistent.constScanLine(j)) + r.left(),
                    size_t(bytes));
    }
}

} // namespace ui
