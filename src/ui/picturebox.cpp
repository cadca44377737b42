// SPDX-License-Identifier: MIT

#include "picturebox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPen>

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

void PictureBox::showMark(QPoint at, int radius)
{
    m_markShown = true;
    m_mark = at;
    m_markRadius = radius;
    update();
}

void PictureBox::hideMark()
{
    if (!m_markShown)
        return;
    m_markShown = false;
    update();
}

void PictureBox::setShownColours(std::function<QRgb(QRgb)> shown)
{
    m_shownColours = std::move(shown);
    update();
}

void PictureBox::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    update();
}

void PictureBox::focusOutEvent(QFocusEvent *event)
{
    QFrame::focusOutEvent(event);
    update();
}

QImage PictureBox::shownPart(const QRect &part) const
{
    // Only the part repainted is mapped: a stroke repaints a few pixels at a time.
    QImage shown = m_surface.screenImage().copy(part);
    for (int y = 0; y < shown.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x)
            line[x] = m_shownColours(line[x]);
    }
    return shown;
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect inner = contentsRect();
    const qreal ratio = devicePixelRatioF();
    // The focus shows on the frame, drawn before the picture so that it hides none of it.
    if (hasFocus()) {
        p.setPen(palette().color(QPalette::Highlight));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < FrameWidth; ++i)
            p.drawRect(rect().adjusted(i, i, -1 - i, -1 - i));
    }
    auto decorate = [&] {
        if (m_markShown) {
            const QPointF c = QPointF(inner.topLeft()) + QPointF(m_mark) + QPointF(0.5, 0.5);
            const qreal r = m_markRadius + 0.5;
            p.setClipRect(inner);
            p.setBrush(Qt::NoBrush);
            for (const auto &[colour, width] : {std::pair{Qt::black, 3.0}, std::pair{Qt::white, 1.0}}) {
                p.setPen(QPen(QColor(colour), width));
                p.drawEllipse(c, r, r);
                p.drawLine(c - QPointF(r + 4, 0), c + QPointF(r + 4, 0));
                p.drawLine(c - QPointF(0, r + 4), c + QPointF(0, r + 4));
            }
        }
    };
    if (ratio == 1.0) {
        const QRect area = event->rect().intersected(inner);
        const QRect part = area.translated(-inner.topLeft());
        if (!area.isEmpty() && m_shownColours)
            p.drawImage(area.topLeft(), shownPart(part));
        else if (!area.isEmpty())
            p.drawImage(area.topLeft(), m_surface.screenImage(), part);
        decorate();
        return;
    }
    // At other screen scales the frame's edges fall between device pixels. The picture goes onto
    // the whole device pixels inside the frame, after the frame, so that no row or column of it is
    // covered, and it is enlarged by repeating pixels, never smoothed.
    p.fillRect(inner, QColor::fromRgb(toQRgb(m_surface.backColor())));
    const QRect device = deviceArea();
    const QImage &screen = m_surface.screenImage();
    QImage shown = (m_shownColours ? shownPart(screen.rect()) : screen)
                       .scaled(device.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    shown.setDevicePixelRatio(ratio);
    p.drawImage(QPointF(device.topLeft()) / ratio, shown);
    decorate();
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
    hideMark();
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
