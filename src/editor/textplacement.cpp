// SPDX-License-Identifier: MIT

#include "textplacement.h"

#include "picture/colour.h"

#include "ui/picturebox.h"

#include <QRubberBand>

namespace editor {

TextPlacement::TextPlacement(ui::PictureBox &canvas) : m_canvas(canvas) {}

bool TextPlacement::begin(const CanvasText &text)
{
    const QImage mask = textMask(text, m_canvas.surface().persistentImage().size());
    if (mask.isNull())
        return false;
    m_mask = mask;
    m_level = text.level;
    if (!m_outline)
        m_outline = new QRubberBand(QRubberBand::Rectangle, &m_canvas);
    m_outline->resize(mask.size());
    m_outline->hide();
    m_canvas.setMouseTracking(true);
    return true;
}

void TextPlacement::follow(int x, int y)
{
    if (!m_outline)
        return;
    m_outline->move(m_canvas.contentsRect().topLeft() + QPoint(x, y));
    m_outline->show();
}

void TextPlacement::cancel()
{
    m_mask.reset();
    if (m_outline)
        m_outline->hide();
    m_canvas.setMouseTracking(false);
}

std::function<void()> TextPlacement::placedAt(int x, int y)
{
    if (!m_mask)
        return {};
    const QImage mask = *m_mask;
    const QRgb colour = picture::toQRgb(picture::QBColor(m_level));
    cancel();
    return [this, mask, colour, x, y] {
        m_canvas.drawLayers([&](QImage &persistent, QImage &screen) {
            const QRect area = QRect(QPoint(x, y), mask.size()).intersected(persistent.rect());
            for (int j = area.top(); j <= area.bottom(); ++j) {
                const uchar *in = mask.constScanLine(j - y);
                for (int i = area.left(); i <= area.right(); ++i) {
                    if (in[i - x] == 0)
                        continue;
                    persistent.setPixel(i, j, colour);
                    screen.setPixel(i, j, colour);
                }
            }
            return area;
        });
    };
}

} // namespace editor
