// SPDX-License-Identifier: MIT

#include "picturebox.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace ui {

PictureBox::PictureBox(QWidget *parent, const QRect &outerGeometry, Colour backColor,
                       PictureSurface::FillStyle fillStyle)
    : QFrame(parent),
      m_surface(outerGeometry.size() - QSize(2 * FrameWidth, 2 * FrameWidth), backColor, fillStyle)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(FrameWidth);
    setGeometry(outerGeometry);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::showArea(const QRect &area)
{
    if (!area.isEmpty())
        update(area.translated(contentsRect().topLeft()));
}

void PictureBox::Cls()
{
    showArea(m_surface.Cls());
}

void PictureBox::Circle(float x, float y, float radius, Colour colour)
{
    showArea(m_surface.Circle(x, y, radius, colour));
}

void PictureBox::PSet(float x, float y, Colour colour)
{
    showArea(m_surface.PSet(x, y, colour));
}

void PictureBox::setPicture(const QImage &picture)
{
    m_surface.setPicture(picture);
    update();
}

void PictureBox::drawPersistent(const std::function<QRect(QImage &)> &draw)
{
    showArea(m_surface.drawPersistent(draw));
}

void PictureBox::drawLayers(const std::function<QRect(QImage &, QImage &)> &draw)
{
    showArea(m_surface.drawLayers(draw));
}

QRect PictureBox::deviceArea() const
{
    // A hair of slack, so that a product that should be whole is not pushed to the next pixel.
    constexpr qreal slack = 1e-6;
    const qreal ratio = devicePixelRatioF();
    const QRectF inner(contentsRect());
    const QPoint topLeft(int(std::ceil(inner.left() * ratio - slack)),
                         int(std::ceil(inner.top() * ratio - slack)));
    const QPoint end(int(std::floor(inner.right() * ratio + slack)),
                     int(std::floor(inner.bottom() * ratio + slack)));
    return QRect(topLeft, end - QPoint(1, 1));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect inner = contentsRect();
    const QImage &screen = m_surface.screenImage();
    const qreal ratio = devicePixelRatioF();
    if (ratio == 1.0) {
        const QRect area = event->rect().intersected(inner);
        if (!area.isEmpty())
            p.drawImage(area.topLeft(), screen, area.translated(-inner.topLeft()));
        return;
    }
    // At other screen scales the frame's edges fall between device pixels. The picture goes onto
    // the whole device pixels inside the frame, after the frame, so that no row or column of it is
    // covered, and it is enlarged by repeating pixels, never smoothed.
    p.fillRect(inner, QColor::fromRgb(toQRgb(m_surface.backColor())));
    const QRect device = deviceArea();
    QImage shown = screen.scaled(device.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    shown.setDevicePixelRatio(ratio);
    p.drawImage(QPointF(device.topLeft()) / ratio, shown);
}

int buttonCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
           | (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
           | (modifiers & Qt::AltModifier ? 4 : 0);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    const QPointF at = event->position() - contentsRect().topLeft();
    emit MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()),
                   float(at.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position() - contentsRect().topLeft();
    emit MouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), float(at.x()),
                   float(at.y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF at = event->position() - contentsRect().topLeft();
    emit MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()),
                 float(at.y()));
}

} // namespace ui
