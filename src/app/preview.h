// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class QCheckBox;
class QScrollArea;

namespace ui {
class ImageView;
} // namespace ui

namespace app {

// "プレビュー": a stereogram of the editor's canvas as it is now, made by a generator and a random
// sequence of the window's own, remade after every change of the canvas.
class Preview : public QWidget
{
public:
    Preview(std::function<QImage()> canvas, std::function<qint16()> iroIndex, QWidget *owner);

    static QString caption();

    // Makes the picture again from the canvas, if the window is shown.
    void refresh();
    QImage shownImage() const;
    QCheckBox &levelColours() { return *m_levels; }
    QScrollArea *scroller() const { return m_scroll; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::function<QImage()> m_canvas;
    std::function<qint16()> m_iroIndex;
    ui::ImageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QCheckBox *m_levels = nullptr;
};

} // namespace app
