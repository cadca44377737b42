#pragma once

#include "colour.h"

#include <QImage>
#include <QRect>
#include <QSize>

namespace ui {

// The pixels of a picture box, free of any widget: a persistent image that the box shows whenever
// it is repainted, and the screen layer, what the box shows now. With AutoRedraw on, drawing goes
// into the persistent image (and so onto the screen); with it off, onto the screen layer only,
// where the next repaint from the persistent image wipes it. Everything is clipped to the
// drawing area.
class PictureSurface
{
public:
    enum class FillStyle { Solid, Transparent };

    PictureSurface(QSize drawingArea, Colour backColor, FillStyle fillStyle);

    QSize size() const { return m_persistent.size(); }
    Colour backColor() const { return m_backColor; }

    bool autoRedraw() const { return m_autoRedraw; }
    void setAutoRedraw(bool on) { m_autoRedraw = on; }

    Colour fillColor() const { return m_fillColor; }
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

    // Lets whole-image writers (the stereogram) draw into the persistent image directly; the caller
    // then calls persistentChanged() with what it touched.
    QImage &persistentImageForWriting() { return m_persistent; }
    void persistentChanged(const QRect &rect);

    // What a repaint does: the screen shows the persistent image again.
    void repaintFromPersistent() { m_screen = m_persistent; }

private:
    void rebuildPersistent();

    QImage m_persistent;
    QImage m_screen;
    QImage m_picture;
    Colour m_backColor;
    Colour m_fillColor = 0;
    FillStyle m_fillStyle;
    bool m_autoRedraw = false;
};

} // namespace ui
