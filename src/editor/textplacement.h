// SPDX-License-Identifier: MIT

#pragma once

#include "textdialog.h"

#include <QImage>

#include <functional>
#include <optional>

class QRubberBand;

namespace ui {
class PictureBox;
} // namespace ui

namespace editor {

// A text on its way to the canvas, after "文字を入れる...": an outline of its size follows the
// mouse over the canvas until a left click puts it there, in exactly the level's colour.
class TextPlacement
{
public:
    explicit TextPlacement(ui::PictureBox &canvas);

    // Begins placing the text; false when it makes no pixel on the canvas.
    bool begin(const CanvasText &text);
    bool active() const { return m_mask.has_value(); }
    // The mouse is at (x, y) on the canvas: the outline follows it.
    void follow(int x, int y);
    void cancel();
    // Ends placing, and gives the change that draws the text with its top left at (x, y), for
    // the caller to run as one step; nothing when no text was being placed.
    std::function<void()> placedAt(int x, int y);

private:
    ui::PictureBox &m_canvas;
    std::optional<QImage> m_mask;
    int m_level = 0;
    QRubberBand *m_outline = nullptr;
};

} // namespace editor
