// SPDX-License-Identifier: MIT

#pragma once

#include "picturesurface.h"

#include <QFrame>

#include <functional>

namespace ui {

// A picture box: a sunken two-pixel frame around a PictureSurface, repainted from it. All drawing
// goes through the box, which repaints the touched pixels on screen. Mouse events come
// out with the runtime's codes: Button 1 left, 2 right, 4 middle (a move gives the sum held),
// Shift 1 shift, 2 ctrl, 4 alt; X and Y in pixels of the drawing area.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    static constexpr int FrameWidth = 2;

    // The outer size comes from the widget's geometry; the drawing area is 4 pixels smaller.
    PictureBox(QWidget *parent, const QRect &outerGeometry, Colour backColor,
               PictureSurface::FillStyle fillStyle);

    // For readers; drawing goes through the operations below.
    const PictureSurface &surface() const { return m_surface; }

    void setAutoRedraw(bool on) { m_surface.setAutoRedraw(on); }
    void setFillColor(Colour c) { m_surface.setFillColor(c); }
    void Cls();
    void Circle(float x, float y, float radius, Colour colour);
    void PSet(float x, float y, Colour colour);
    Colour Point(float x, float y) const { return m_surface.Point(x, y); }
    void setPicture(const QImage &picture);
    QImage Image() const { return m_surface.Image(); }

    // For whole-image writers: `draw` writes into the persistent image and returns the rectangle
    // it changed, which is then shown.
    void drawPersistent(const std::function<QRect(QImage &)> &draw);
    // For writers of both layers: see PictureSurface::drawLayers.
    void drawLayers(const std::function<QRect(QImage &persistent, QImage &screen)> &draw);

    // A mark over the picture, on screen only: a crosshair and a circle of `radius` at `at` (in
    // pixels of the drawing area), where the keyboard would draw. Hidden again by hideMark() and
    // by the mouse moving over the box.
    void showMark(QPoint at, int radius);
    void hideMark();
    bool markShown() const { return m_markShown; }

    // How the picture's colours are shown; the pixels themselves stay as they are. Empty: as
    // they are.
    void setShownColours(std::function<QRgb(QRgb)> shown);

signals:
    void MouseDown(int Button, int Shift, float X, float Y);
    void MouseMove(int Button, int Shift, float X, float Y);
    // Button is the button just released.
    void MouseUp(int Button, int Shift, float X, float Y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showArea(const QRect &area);
    // That part of the screen layer in the shown colours.
    QImage shownPart(const QRect &part) const;
    // Where the drawing area is shown, in device pixels: the whole pixels inside the frame.
    QRect deviceArea() const;

    PictureSurface m_surface;
    bool m_markShown = false;
    QPoint m_mark;
    int m_markRadius = 0;
    std::function<QRgb(QRgb)> m_shownColours;
};

// The runtime's codes for Qt's mouse buttons and keyboard modifiers.
int buttonCode(Qt::MouseButtons buttons);
int shiftCode(Qt::KeyboardModifiers modifiers);

} // namespace ui
