// SPDX-License-Identifier: MIT

#include "shape.h"

#include <QPainter>

namespace ui {

Shape::Shape(QWidget *parent, const QRect &geometry) : QWidget(parent)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Shape::setBackColor(Colour c)
{
    m_backColor = c;
    update();
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgb(toQRgb(m_backColor)));
    p.setPen(QColor(Qt::black));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace ui
