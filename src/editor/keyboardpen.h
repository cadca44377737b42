// SPDX-License-Identifier: MIT

#pragma once

#include <QPoint>

#include <functional>

class QScrollBar;

namespace ui {
class PictureBox;
} // namespace ui

namespace editor {

// Painting from the keyboard, on the canvas: the arrow keys move the keyboard position by a pixel
// (with Shift by ten), Space stamps there as a left click does and, held while moving, stamps
// along the way as a drag does; + and - change the pen's size, [ and ] its level. The position
// shows as a mark of the pen's size once a key of the canvas was pressed.
class KeyboardPen
{
public:
    // The canvas's left button, which Space presses, drags and releases at the position.
    struct Button
    {
        std::function<void(float x, float y)> down;
        std::function<void(float x, float y)> move;
        std::function<void(float x, float y)> up;
    };

    // The position starts in the middle of the canvas.
    KeyboardPen(ui::PictureBox &canvas, QScrollBar &penSize, QScrollBar &penLevel, Button button);

    // A key pressed or released on the canvas; returns whether it was the pen's. Ctrl and Alt
    // belong to the window's commands.
    bool keyDown(int keyCode, int shift, bool repeated);
    bool keyUp(int keyCode, int shift, bool repeated);

    // The mouse went down at (x, y): the keyboard goes on from there.
    void pointedAt(float x, float y);
    // The mark where the keyboard is, at the pen's size (a Tab onto the canvas; a new pen size).
    void showMark();
    // The keyboard left the canvas: the mark goes, and so does Space held down. Returns whether a
    // stroke by keyboard was under way, which the caller ends.
    bool leave();

    QPoint position() const { return m_at; }

private:
    void moveTo(QPoint to);

    ui::PictureBox &m_canvas;
    QScrollBar &m_size;
    QScrollBar &m_level;
    Button m_button;
    QPoint m_at;
    bool m_spaceDown = false;
};

} // namespace editor
