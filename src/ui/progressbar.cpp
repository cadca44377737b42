// SPDX-License-Identifier: MIT

#include "progressbar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPaintEvent>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>

namespace ui {

static constexpr int Border = 1;

namespace {
QAccessibleInterface *progressBarAccessible(const QString &className, QObject *object);
}

ProgressBar::ProgressBar(QWidget *parent, const QRect &geometry, int minimum, int maximum)
    : QWidget(parent), m_min(minimum), m_max(maximum), m_value(float(minimum))
{
    setGeometry(geometry);
    setAttribute(Qt::WA_OpaquePaintEvent);
    static const bool accessible = [] {
        QAccessible::installFactory(progressBarAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
}

QRect ProgressBar::groove() const
{
    return rect().adjusted(Border, Border, -Border, -Border);
}

int ProgressBar::filledWidthFor(float value) const
{
    if (m_max <= m_min)
        return 0;
    const double v = std::clamp(double(value), double(m_min), double(m_max));
    return int(std::floor(groove().width() * (v - m_min) / (m_max - m_min)));
}

void ProgressBar::setValue(float value)
{
    const int before = filledWidthFor(m_value);
    m_value = value;
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent change(this, double(value));
        QAccessible::updateAccessibility(&change);
    }
    const int after = filledWidthFor(m_value);
    if (before == after)
        return;
    const QRect g = groove();
    const int left = std::min(before, after);
    repaint(g.left() + left, g.top(), std::abs(after - before), g.height());
}

void ProgressBar::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.setClipRegion(event->region());
    const QRect g = groove();
    const int filled = filledWidth();
    p.fillRect(g.left(), g.top(), filled, g.height(), palette().color(QPalette::Highlight));
    p.fillRect(g.left() + filled, g.top(), g.width() - filled, g.height(),
               palette().color(QPalette::Base));
    qDrawShadePanel(&p, rect(), palette(), true, Border);
}

namespace {

// A progress bar with its value, for assistive technology.
class ProgressBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ProgressBarAccessible(ProgressBar *bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface *>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return double(bar()->value()); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    ProgressBar *bar() const { return static_cast<ProgressBar *>(widget()); }
};

QAccessibleInterface *progressBarAccessible(const QString &, QObject *object)
{
    if (auto *bar = dynamic_cast<ProgressBar *>(object))
        return new ProgressBarAccessible(bar);
    return nullptr;
}

} // namespace

} // namespace ui
