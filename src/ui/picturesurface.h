// SPDX-License-Identifier: MIT

#pragma once

#include "colour.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <functional>

namespace ui {

// The pixels of a picture box, free of any widget: the persistent image, which Point, Image and
// the box's owner see, and the screen layer, what the box shows. With AutoRedraw on, drawing goes
// into the persistent image and at once onto the screen layer; with it off, onto the screen layer
// only, where it stays until Cls or a new Picture puts the persistent image back on screen.
// Everything is clipped to the drawing area.
class PictureSurface
{
public:
    enum class FillStyle { Solid, Transparent };

    PictureSurface(QSize drawingArea, Colour backColor, FillStyle fillStyle);

    QSize size() const { return m_persistent.size(); }
    Colour backColor() const { return m_backColor; }

    void setAutoRedraw(bool on) { m_autoRedraw = on; }
    void setFillColor(Colour c) { m_fillColor = c; }

    // Erases all drawing: the persistent image goes back to the background and the picture.
    QRect Cls();

    // A disc: the centre rounded to the nearest pixel (cx, cy); pixel (i, j) belongs to it when
    // (i - cx)^2 + (j - cy)^2 <= radius^2 + radius. Its edge pixels take `colour`, the rest FillColor (or
    // stay as they are with a transparent fill). Returns the rectangle touched, clipped.
    QRect Circle(float x, float y, float radius, Colour colour);

    // One pixel; nothing outside the drawing area.
    QRect PSet(float x, float y, Colour colour);

    // The persistent image's colour there; NoColour outside the drawing area.
    Colour Point(float x, float y) const;

    // Replaces the persistent image and all drawing: the background, then the picture at (0, 0),
    // one pixel to one pixel, clipped. A null image is the empty picture.
    void setPicture(const QImage &picture);

    // The persistent image at drawing-area size, as a copy.
    QImage Image() const { return m_persistent.copy(); }

    // The images themselves, for fast readers and for the widget that shows them.
    const QImage &persistentImage() const { return m_persistent; }
    const QImage &screenImage() const { return m_screen; }

    // Whole-image writers: `draw` writes into the persistent image and returns the rectangle it
    // changed, which goes onto the screen layer too. Returns that rectangle, clipped.
    QRect drawPersistent(const std::function<QRect(QImage &)> &draw);

    // Writers of both layers at once, such as an undo that puts pixels back exactly as they were:
    // `draw` writes into the persistent image and the screen layer and returns the rectangle it
    // changed. Returns that rectangle, clipped.
    QRect drawLayers(const std::function<QRect(QImage &persistent, QImage &screen)> &draw);

private:
    void rebuildPersistent();
    void persistentChanged(const QRect &rect);

    QImage m_persistent;
    QImage m_screen;
    QImage m_picture;
    Colour m_backColor;
    Colour m_fillColor = 0;
    FillStyle m_fillStyle;
    bool m_autoRedraw = false;
};

} // namespace ui
