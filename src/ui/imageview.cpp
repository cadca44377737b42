// SPDX-License-Identifier: MIT

#include "imageview.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace ui {

ImageView::ImageView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageView::setImage(const QImage &image)
{
    m_image = image;
    setFixedSize(sizeHint());
    update();
}

void ImageView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (m_image.isNull())
        return;
    const qreal ratio = devicePixelRatioF();
    if (ratio == 1.0) {
        p.drawImage(event->rect().topLeft(), m_image, event->rect());
        return;
    }
    const QSize device(int(std::floor(m_image.width() * ratio + 1e-6)),
                       int(std::floor(m_image.height() * ratio + 1e-6)));
    QImage shown = m_image.scaled(device, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    shown.setDevicePixelRatio(ratio);
    p.drawImage(QPointF(0, 0), shown);
}

} // namespace ui
