// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>
#include <QWidget>

namespace ui {

// Shows a picture one picture pixel to one pixel of the window, at its own size. At other screen
// scales the picture is enlarged by repeating pixels onto whole device pixels, never smoothed.
class ImageView : public QWidget
{
public:
    explicit ImageView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    const QImage &image() const { return m_image; }

    QSize sizeHint() const override { return m_image.isNull() ? QSize(1, 1) : m_image.size(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

} // namespace ui
