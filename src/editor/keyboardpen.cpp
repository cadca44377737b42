// SPDX-License-Identifier: MIT

#include "keyboardpen.h"

#include "ui/picturebox.h"

#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <utility>

namespace editor {

KeyboardPen::KeyboardPen(ui::PictureBox &canvas, QScrollBar &penSize, QScrollBar &penLevel,
                         Button button)
    : m_canvas(canvas), m_size(penSize), m_level(penLevel), m_button(std::move(button)),
      m_at(canvas.surface().size().width() / 2, canvas.surface().size().height() / 2)
{
}

void KeyboardPen::pointedAt(float x, float y)
{
    const QSize area = m_canvas.surface().size();
    m_at = QPoint(std::clamp(int(std::floor(x + 0.5f)), 0, area.width() - 1),
                  std::clamp(int(std::floor(y + 0.5f)), 0, area.height() - 1));
}

void KeyboardPen::showMark()
{
    m_canvas.showMark(m_at, m_size.value());
}

bool KeyboardPen::leave()
{
    m_canvas.hideMark();
    return std::exchange(m_spaceDown, false);
}

void KeyboardPen::moveTo(QPoint to)
{
    const QSize area = m_canvas.surface().size();
    m_at = QPoint(std::clamp(to.x(), 0, area.width() - 1), std::clamp(to.y(), 0, area.height() - 1));
    showMark();
}

bool KeyboardPen::keyDown(int keyCode, int shift, bool repeated)
{
    if ((shift & ~1) != 0)
        return false;
    const int step = (shift & 1) ? 10 : 1;
    // The first key shows where the keyboard is before it moves anything.
    QPoint to = m_at;
    const bool hidden = !m_canvas.markShown();
    switch (keyCode) {
    case Qt::Key_Left:
        to.rx() -= step;
        break;
    case Qt::Key_Right:
        to.rx() += step;
        break;
    case Qt::Key_Up:
        to.ry() -= step;
        break;
    case Qt::Key_Down:
        to.ry() += step;
        break;
    case Qt::Key_Space:
        if (!repeated && !m_spaceDown) {
            m_spaceDown = true;
            moveTo(m_at);
            m_button.down(float(m_at.x()), float(m_at.y()));
        }
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        m_size.setValue(m_size.value() + 1);
        return true;
    case Qt::Key_Minus:
        m_size.setValue(m_size.value() - 1);
        return true;
    case Qt::Key_BracketRight:
        m_level.setValue(m_level.value() + 1);
        return true;
    case Qt::Key_BracketLeft:
        m_level.setValue(m_level.value() - 1);
        return true;
    default:
        return false;
    }
    moveTo(hidden ? m_at : to);
    if (m_spaceDown)
        m_button.move(float(m_at.x()), float(m_at.y()));
    return true;
}

bool KeyboardPen::keyUp(int keyCode, int shift, bool repeated)
{
    Q_UNUSED(shift);
    if (keyCode != Qt::Key_Space)
        return false;
    if (!repeated && m_spaceDown) {
        m_spaceDown = false;
        m_button.up(float(m_at.x()), float(m_at.y()));
    }
    return true;
}

} // namespace editor
