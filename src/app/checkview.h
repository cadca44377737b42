// SPDX-License-Identifier: MIT

#pragma once

#include "picture/reveal.h"

#include <QImage>
#include <QWidget>

class QCheckBox;
class QLabel;
class QScrollArea;

namespace ui {
class ImageView;
} // namespace ui

namespace app {

// "立体の確認": the depth map the stereogram hides, one pixel to one pixel in the level colours,
// the number of ambiguous points under it and a switch that marks them. The very pixels
// `zomvorn-cli reveal` writes for the saved stereogram.
class CheckView : public QWidget
{
public:
    explicit CheckView(QWidget *owner);

    static QString caption();
    static QString ambiguityText(qint64 ambiguous);

    void setStereogram(const QImage &stereogram);
    // What the window shows, at one pixel a point.
    QImage shownImage() const;
    QCheckBox &markSwitch() { return *m_mark; }
    QCheckBox &greySwitch() { return *m_grey; }
    QLabel &ambiguityLine() { return *m_line; }
    // The picture's scroll area, narrowed when the window would not fit beside the others.
    QScrollArea *scroller() const { return m_scroll; }

private:
    void showRevealed();

    picture::Revealed m_revealed;
    ui::ImageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLabel *m_line = nullptr;
    QCheckBox *m_mark = nullptr;
    QCheckBox *m_grey = nullptr;
};

} // namespace app
