// SPDX-License-Identifier: MIT

#include "form2ui.h"

#include "ui/controls.h"
#include "ui/picturebox.h"
#include "ui/progressbar.h"
#include "ui/twips.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

using namespace Qt::StringLiterals;

namespace app {

using ui::Align;
using ui::Bold;
using ui::Italic;
using ui::Regular;

QString Form2Ui::caption() { return u"ZOMIRA -VORNA-"_s; }
QSize Form2Ui::clientArea() { return ui::twipsSize(4395, 1695); }

void Form2Ui::setupUi(QMainWindow *window)
{
    window->setObjectName(u"Form2"_s);
    window->setWindowTitle(caption());

    auto *client = new QWidget(window);
    client->setObjectName(u"Form2Client"_s);
    window->setCentralWidget(client);

    Label1 = ui::label(client, u"Label1"_s, {360, 120, 1935, 375}, u"ＺＯＭＩＲＡ"_s, 20.25, Bold,
                       Align::Left);
    Label2 = ui::label(client, u"Label2"_s, {2280, 120, 1935, 375}, u"-VORNA-"_s, 20.25,
                       Bold | Italic, Align::Left);

    Line1 = new QWidget(client);
    Line1->setObjectName(u"Line1"_s);
    Line1->setGeometry(QRect(ui::twipsPoint(240, 480), ui::twipsPoint(4200, 480)));
    Line1->setAutoFillBackground(true);
    QPalette linePalette = Line1->palette();
    linePalette.setColor(QPalette::Window, Qt::black);
    Line1->setPalette(linePalette);

    Label3 = ui::label(client, u"Label3"_s, {120, 600, 4215, 255}, u"Ｖｅｒｓｉｏｎ １．０２"_s, 12,
                       Regular, Align::Centre);
    Label4 = ui::label(client, u"Label4"_s, {120, 1080, 4215, 255}, QString(), 12, Regular,
                       Align::Centre);

    ProgressBar1 = new ui::ProgressBar(client, ui::twipsRect({0, 1440, 4400, 255}), 0, 333);
    ProgressBar1->setObjectName(u"ProgressBar1"_s);

    // The depth map's store lies below the client area; it is never shown.
    Picture1 = ui::picture(client, u"Picture1"_s, {0, 2160, 5895, 5055}, ui::RGB(0, 0, 0),
                           ui::PictureSurface::FillStyle::Solid);
    // Names for assistive technology; the captions stay as they are.
    ProgressBar1->setAccessibleName(u"ランダムドット作成の進み具合"_s);
    Picture1->setAccessibleName(u"奥行きマップ"_s);
    Picture1->setAutoRedraw(true);
    Picture1->hide();

    QMenuBar *bar = window->menuBar();
    mn1 = bar->addMenu(u"ファイル"_s);
    mn1->setObjectName(u"mn1"_s);
    MenuFile[0] = ui::menuItem(mn1, u"MenuFile0"_s, u"新規作成"_s, QKeySequence(u"Ctrl+N"_s));
    MenuFile[1] = ui::menuItem(mn1, u"MenuFile1"_s, u"同名保存"_s, QKeySequence(u"Ctrl+S"_s));
    MenuFile[2] =
        ui::menuItem(mn1, u"MenuFile2"_s, u"名前を付けて保存"_s, QKeySequence(u"Ctrl+F"_s));
    MenuFile[3] = ui::separator(mn1, u"MenuFile3"_s);
    MenuFile[4] = ui::menuItem(mn1, u"MenuFile4"_s, u"終了"_s, QKeySequence(u"Ctrl+E"_s));

    mn2 = bar->addMenu(u"作成"_s);
    mn2->setObjectName(u"mn2"_s);
    MenuMake[0] = ui::menuItem(mn2, u"MenuMake0"_s, u"データ編集"_s, QKeySequence(u"Ctrl+D"_s));
    MenuMake[1] = ui::separator(mn2, u"MenuMake1"_s);
    MenuMake[2] =
        ui::menuItem(mn2, u"MenuMake2"_s, u"ランダムドット作成"_s, QKeySequence(u"Ctrl+R"_s));

    mn3 = bar->addMenu(u"色の設定"_s);
    mn3->setObjectName(u"mn3"_s);
    MenuIro[0] = ui::menuItem(mn3, u"MenuIro0"_s, u"赤"_s);
    MenuIro[1] = ui::menuItem(mn3, u"MenuIro1"_s, u"緑"_s);
    MenuIro[2] = ui::menuItem(mn3, u"MenuIro2"_s, u"青"_s);
    MenuIroGroup = new QActionGroup(window);
    MenuIroGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (QAction *a : MenuIro) {
        a->setCheckable(true);
        MenuIroGroup->addAction(a);
    }

    mn4 = bar->addMenu(u"ヘルプ"_s);
    mn4->setObjectName(u"mn4"_s);
    MenuHelp[0] = ui::menuItem(mn4, u"MenuHelp0"_s, u"ヘルプファイルを開く"_s,
                               QKeySequence(u"Ctrl+H"_s));
    MenuHelp[1] = ui::separator(mn4, u"MenuHelp1"_s);
    MenuHelp[2] = ui::menuItem(mn4, u"MenuHelp2"_s, u"ABOUT"_s);

    setupToolsMenu(window);
}

void Form2Ui::setupToolsMenu(QMainWindow *window)
{
    mnTools = new QMenu(u"ツール"_s, window);
    mnTools->setObjectName(u"mnTools"_s);
    window->menuBar()->insertMenu(mn4->menuAction(), mnTools);
    MenuToolsCheck =
        ui::menuItem(mnTools, u"MenuToolsCheck"_s, u"立体の確認"_s, QKeySequence(u"Ctrl+K"_s));
    MenuToolsView =
        ui::menuItem(mnTools, u"MenuToolsView"_s, u"見やすく表示"_s, QKeySequence(u"Ctrl+L"_s));
    MenuToolsExport = ui::menuItem(mnTools, u"MenuToolsExport"_s, u"拡大して保存..."_s,
                                   QKeySequence(u"Ctrl+Shift+S"_s));
    MenuToolsPreview =
        ui::menuItem(mnTools, u"MenuToolsPreview"_s, u"プレビュー"_s, QKeySequence(u"Ctrl+P"_s));
    mnTools->addSeparator();
    MenuToolImport = ui::menuItem(mnTools, u"MenuToolImport"_s, u"画像から奥行きマップ..."_s,
                                  QKeySequence(u"Ctrl+I"_s));
    MenuToolAnimate =
        ui::menuItem(mnTools, u"MenuToolAnimate"_s, u"アニメーションを作成..."_s);
    MenuToolRender =
        ui::menuItem(mnTools, u"MenuToolRender"_s, u"大きなステレオグラムを作成..."_s);
    mnTools->addSeparator();
    MenuToolsLevelNumbers =
        ui::menuItem(mnTools, u"MenuToolsLevelNumbers"_s, u"高さを数字で表示"_s);
    MenuToolsLevelNumbers->setCheckable(true);
}

} // namespace app
