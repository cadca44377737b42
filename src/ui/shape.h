// SPDX-License-Identifier: MIT

#pragma once

#include "colour.h"

#include <QWidget>

namespace ui {

// A rectangle shape: an opaque background in BackColor and a one-pixel border in the default line
// colour. It takes no input.
class Shape : public QWidget
{
public:
    Shape(QWidget *parent, const QRect &geometry);

    Colour backColor() const { return m_backColor; }
    void setBackColor(Colour c);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Colour m_backColor = RGB(255, 255, 255);
};

} // namespace ui
