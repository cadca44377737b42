// SPDX-License-Identifier: MIT

#include "form1ui.h"

#include "ui/controls.h"
#include "ui/picturebox.h"
#include "ui/shape.h"
#include "ui/twips.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace editor {

using ui::Align;
using ui::Bold;
using ui::Italic;
using ui::Regular;

QString Form1Ui::caption() { return u"データ編集"_s; }
QSize Form1Ui::clientArea() { return ui::twipsSize(8325, 5340); }

void Form1Ui::setupUi(QDialog *window)
{
    window->setObjectName(u"Form1"_s);

    Picture1 = ui::picture(window, u"Picture1"_s, {120, 120, 5895, 5055}, ui::RGB(0, 0, 0),
                           ui::PictureSurface::FillStyle::Solid);
    Label2 = ui::label(window, u"Label2"_s, {6120, 120, 2055, 375}, u"ＺＯＭＩＲＡ"_s, 18, Bold,
                       Align::Left);
    Label3 = ui::label(window, u"Label3"_s, {6360, 480, 1935, 495}, u"-VORNA-"_s, 20.25,
                       Bold | Italic, Align::Left);
    Label4 = ui::label(window, u"Label4"_s, {6120, 840, 2055, 255}, u"データ作成"_s, 14.25,
                       Regular, Align::Centre);
    Picture2 = ui::picture(window, u"Picture2"_s, {6960, 1320, 855, 855}, ui::RGB(0, 0, 0),
                           ui::PictureSurface::FillStyle::Solid);
    Label5 = ui::label(window, u"Label5"_s, {6360, 1610, 615, 255}, u"ペン："_s, 11.25, Regular,
                       Align::Left);
    Label1 = ui::label(window, u"Label1"_s, {6120, 2280, 1215, 255}, u"ペンの太さ："_s, 11.25,
                       Regular, Align::Left);
    HScroll1 = ui::hscroll(window, u"HScroll1"_s, {6120, 2520, 1815, 255}, 25);
    Label7 = ui::label(window, u"Label7"_s, {8040, 2520, 255, 255}, QString(), 11.25, Regular,
                       Align::Left);
    Label6 = ui::label(window, u"Label6"_s, {6120, 2880, 615, 255}, u"高さ："_s, 11.25, Regular,
                       Align::Left);
    Label9 = ui::label(window, u"Label9"_s, {6120, 3120, 1935, 255}, u"←低い        高い→"_s,
                       11.25, Regular, Align::Centre);
    for (int i = 0; i < 16; ++i) {
        Shape1[std::size_t(i)] =
            new ui::Shape(window, ui::twipsRect({6120 + 120 * i, 3360, 135, 375}));
        Shape1[std::size_t(i)]->setObjectName(u"Shape1_%1"_s.arg(i));
    }
    HScroll2 = ui::hscroll(window, u"HScroll2"_s, {6120, 3750, 1815, 255}, 15);
    Label8 = ui::label(window, u"Label8"_s, {8040, 3750, 255, 255}, QString(), 11.25, Regular,
                       Align::Left);
    Command2 = ui::button(window, u"Command2"_s, {6120, 4200, 1935, 375}, u"ファイル読み込み"_s);
    Command1 = ui::button(window, u"Command1"_s, {6120, 4800, 1935, 375}, u"編集終了"_s);

    // Names for assistive technology; the captions stay as they are.
    Picture1->setAccessibleName(u"奥行きマップ"_s);
    Picture1->setAccessibleDescription(
        u"矢印キーで位置を動かし、スペースキーで描きます。＋と－でペンの太さ、［と］で高さを変えます。"_s);
    Picture2->setAccessibleName(u"ペンの見本"_s);
    Picture2->setAccessibleDescription(u"ペンの太さと高さの色"_s);
    HScroll1->setAccessibleName(u"ペンの太さ"_s);
    HScroll2->setAccessibleName(u"高さ"_s);
    HScroll2->setAccessibleDescription(u"0（低い）から 15（高い）まで"_s);
    for (int i = 0; i < 16; ++i) {
        ui::Shape *cell = Shape1[std::size_t(i)];
        cell->setAccessibleName(u"高さ %1"_s.arg(i));
        cell->setToolTip(u"高さ %1"_s.arg(i));
    }

    QWidget::setTabOrder(Picture1, Picture2);
    QWidget::setTabOrder(Picture2, HScroll1);
    QWidget::setTabOrder(HScroll1, HScroll2);
    QWidget::setTabOrder(HScroll2, Command1);
    QWidget::setTabOrder(Command1, Command2);
    Picture1->setFocus();
}

} // namespace editor
