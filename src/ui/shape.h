// SPDX-License-Identifier: MIT

#pragma once

#include "colour.h"

#include <QWidget>

namespace ui {

// A rectangle shape: an opaque background in BackColor and a one-pixel border in the default line
// colour. It takes no input, unless made pressable.
class Shape : public QWidget
{
    Q_OBJECT

public:
    Shape(QWidget *parent, const QRect &geometry);

    Colour backColor() const { return m_backColor; }
    void setBackColor(Colour c);

    // A pressable shape takes a click, and Enter or Space when it has the focus (a click gives it),
    // as a button does, and is one for assistive technology.
    void setPressable(bool on);
    bool isPressable() const { return m_pressable; }
    // A mark that does not rely on colour: a black and white frame inside the border.
    void setMarked(bool on);
    bool isMarked() const { return m_marked; }
    // A small text over the colour, in black or white, whichever stands out.
    void setText(const QString &text);

signals:
    void pressed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    Colour m_backColor = RGB(255, 255, 255);
    bool m_pressable = false;
    bool m_marked = false;
    QString m_text;
};

} // namespace ui
