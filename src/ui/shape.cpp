// SPDX-License-Identifier: MIT

#include "shape.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace ui {

namespace {
QAccessibleInterface *shapeAccessible(const QString &className, QObject *object);
}

Shape::Shape(QWidget *parent, const QRect &geometry) : QWidget(parent)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    static const bool accessible = [] {
        QAccessible::installFactory(shapeAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
}

void Shape::setBackColor(Colour c)
{
    m_backColor = c;
    update();
}

void Shape::setPressable(bool on)
{
    m_pressable = on;
    setAttribute(Qt::WA_TransparentForMouseEvents, !on);
    // Out of the Tab chain, which stays as the window has always had it; a click gives the focus.
    setFocusPolicy(on ? Qt::ClickFocus : Qt::NoFocus);
    setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void Shape::setMarked(bool on)
{
    if (m_marked == on)
        return;
    m_marked = on;
    update();
}

void Shape::setText(const QString &text)
{
    m_text = text;
    update();
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor back = QColor::fromRgb(toQRgb(m_backColor));
    p.fillRect(rect(), back);
    p.setPen(QColor(Qt::black));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_marked || hasFocus()) {
        // Black outside white: it shows on every colour, and without colour.
        p.setPen(QPen(QColor(Qt::black), 1, m_marked ? Qt::SolidLine : Qt::DotLine));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
        p.setPen(QPen(QColor(Qt::white), 1, m_marked ? Qt::SolidLine : Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
    if (!m_text.isEmpty()) {
        QFont small = font();
        small.setPixelSize(std::max(7, width() - 1));
        p.setFont(small);
        p.setPen(qGray(back.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black));
        p.drawText(rect(), Qt::AlignHCenter | Qt::AlignBottom, m_text);
    }
}

void Shape::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressable && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit pressed();
}

void Shape::keyPressEvent(QKeyEvent *event)
{
    if (m_pressable && event->modifiers() == Qt::NoModifier
        && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
            || event->key() == Qt::Key_Space)) {
        emit pressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Shape::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void Shape::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

namespace {

class ShapeAccessible final : public QAccessibleWidget
{
public:
    explicit ShapeAccessible(Shape *shape) : QAccessibleWidget(shape, QAccessible::Graphic) {}

    QAccessible::Role role() const override
    {
        return shape()->isPressable() ? QAccessible::Button : QAccessible::Graphic;
    }
    QStringList actionNames() const override
    {
        return shape()->isPressable() ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && shape()->isPressable())
            emit shape()->pressed();
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = shape()->isPressable();
        s.checked = shape()->isMarked();
        return s;
    }

private:
    Shape *shape() const { return static_cast<Shape *>(widget()); }
};

QAccessibleInterface *shapeAccessible(const QString &className, QObject *object)
{
    auto *shape = qobject_cast<Shape *>(object);
    if (className == u"ui::Shape"_s && shape)
        return new ShapeAccessible(shape);
    return nullptr;
}

} // namespace

} // namespace ui
