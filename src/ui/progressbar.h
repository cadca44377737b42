// SPDX-License-Identifier: MIT

#pragma once

#include <QWidget>

namespace ui {

// A progress bar that repaints itself, at once, whenever its drawn position changes, and then only
// the columns that changed: the generator moves it after every row without returning to the event
// loop, so each repaint has to be cheap.
class ProgressBar : public QWidget
{
public:
    ProgressBar(QWidget *parent, const QRect &geometry, int minimum, int maximum);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    float value() const { return m_value; }
    void setValue(float value);

    // How many pixels of the groove are filled at the current value.
    int filledWidth() const { return filledWidthFor(m_value); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect groove() const;
    int filledWidthFor(float value) const;

    int m_min;
    int m_max;
    float m_value;
};

} // namespace ui
