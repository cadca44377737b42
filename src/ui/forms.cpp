#include "forms.h"

#include "picturebox.h"
#include "progressbar.h"
#include "shape.h"
#include "twips.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace ui {

QString labelFontFamily()
{
    return u"ＭＳ Ｐゴシック"_s;
}

namespace {

enum class Align { Left, Centre };
enum Style { Regular = 0, Bold = 1, Italic = 2 };

QLabel *label(QWidget *parent, const QString &objectName, QRect twips, const QString &caption,
              qreal points, int style, Align align)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(objectName);
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QFont font(labelFontFamily());
    font.setPointSizeF(points);
    font.setBold(style & Bold);
    font.setItalic(style & Italic);
    l->setFont(font);
    l->setAlignment(Qt::AlignTop | (align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft));
    return l;
}

QPushButton *button(QWidget *parent, const QString &objectName, QRect twips,
                    const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    // No default button: Enter does not press these.
    b->setAutoDefault(false);
    return b;
}

QScrollBar *hscroll(QWidget *parent, const QString &objectName, QRect twips, int max)
{
    auto *s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(objectName);
    s->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    s->setRange(0, max);
    s->setSingleStep(1);
    s->setPageStep(2);
    s->setFocusPolicy(Qt::StrongFocus);
    return s;
}

PictureBox *picture(QWidget *parent, const QString &objectName, QRect twips, Colour back,
                    PictureSurface::FillStyle fill)
{
    auto *p = new PictureBox(parent, twipsRect(twips.x(), twips.y(), twips.width(), twips.height()),
                             back, fill);
    p->setObjectName(objectName);
    return p;
}

QAction *menuItem(QMenu *menu, const QString &objectName, const QString &caption,
                  const QKeySequence &shortcut = {})
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(objectName);
    a->setShortcut(shortcut);
    return a;
}

QAction *separator(QMenu *menu, const QString &objectName)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(objectName);
    return a;
}

} // namespace

QString Form2Ui::caption() { return u"ZOMIRA -VORNA-"_s; }
QSize Form2Ui::clientArea() { return twipsSize(4395, 1695); }

void Form2Ui::setupUi(QMainWindow *window)
{
    window->setObjectName(u"Form2"_s);
    window->setWindowTitle(caption());

    auto *client = new QWidget(window);
    client->setObjectName(u"Form2Client"_s);
    window->setCentralWidget(client);

    Label1 = label(client, u"Label1"_s, {360, 120, 1935, 375}, u"ＺＯＭＩＲＡ"_s, 20.25, Bold,
                   Align::Left);
    Label2 = label(client, u"Label2"_s, {2280, 120, 1935, 375}, u"-VORNA-"_s, 20.25,
                   Bold | Italic, Align::Left);

    Line1 = new QWidget(client);
    Line1->setObjectName(u"Line1"_s);
    Line1->setGeometry(QRect(twipsPoint(240, 480), twipsPoint(4200, 480)));
    Line1->setAutoFillBackground(true);
    QPalette linePalette = Line1->palette();
    linePalette.setColor(QPalette::Window, Qt::black);
    Line1->setPalette(linePalette);

    Label3 = label(client, u"Label3"_s, {120, 600, 4215, 255}, u"Ｖｅｒｓｉｏｎ １．０２"_s, 12,
                   Regular, Align::Centre);
    Label4 = label(client, u"Label4"_s, {120, 1080, 4215, 255}, QString(), 12, Regular,
                   Align::Centre);

    ProgressBar1 = new ProgressBar(client, twipsRect(0, 1440, 4400, 255), 0, 333);
    ProgressBar1->setObjectName(u"ProgressBar1"_s);

    // The depth map's store lies below the client area; it is never shown.
    Picture1 = picture(client, u"Picture1"_s, {0, 2160, 5895, 5055}, RGB(0, 0, 0),
                       PictureSurface::FillStyle::Solid);
    Picture1->surface().setAutoRedraw(true);
    Picture1->hide();

    QMenuBar *bar = window->menuBar();
    mn1 = bar->addMenu(u"ファイル"_s);
    mn1->setObjectName(u"mn1"_s);
    MenuFile[0] = menuItem(mn1, u"MenuFile0"_s, u"新規作成"_s, QKeySequence(u"Ctrl+N"_s));
    MenuFile[1] = menuItem(mn1, u"MenuFile1"_s, u"同名保存"_s, QKeySequence(u"Ctrl+S"_s));
    MenuFile[1]->setEnabled(false);
    MenuFile[2] = menuItem(mn1, u"MenuFile2"_s, u"名前を付けて保存"_s, QKeySequence(u"Ctrl+F"_s));
    MenuFile[3] = separator(mn1, u"MenuFile3"_s);
    MenuFile[4] = menuItem(mn1, u"MenuFile4"_s, u"終了"_s, QKeySequence(u"Ctrl+E"_s));

    mn2 = bar->addMenu(u"作成"_s);
    mn2->setObjectName(u"mn2"_s);
    MenuMake[0] = menuItem(mn2, u"MenuMake0"_s, u"データ編集"_s, QKeySequence(u"Ctrl+D"_s));
    MenuMake[1] = separator(mn2, u"MenuMake1"_s);
    MenuMake[2] = menuItem(mn2, u"MenuMake2"_s, u"ランダムドット作成"_s, QKeySequence(u"Ctrl+R"_s));

    mn3 = bar->addMenu(u"色の設定"_s);
    mn3->setObjectName(u"mn3"_s);
    MenuIro[0] = menuItem(mn3, u"MenuIro0"_s, u"赤"_s);
    MenuIro[1] = menuItem(mn3, u"MenuIro1"_s, u"緑"_s);
    MenuIro[2] = menuItem(mn3, u"MenuIro2"_s, u"青"_s);
    for (QAction *a : MenuIro)
        a->setCheckable(true);
    MenuIro[2]->setChecked(true);

    mn4 = bar->addMenu(u"ヘルプ"_s);
    mn4->setObjectName(u"mn4"_s);
    MenuHelp[0] = menuItem(mn4, u"MenuHelp0"_s, u"ヘルプファイルを開く"_s, QKeySequence(u"Ctrl+H"_s));
    MenuHelp[1] = separator(mn4, u"MenuHelp1"_s);
    MenuHelp[2] = menuItem(mn4, u"MenuHelp2"_s, u"ABOUT"_s);
}

QString Form1Ui::caption() { return u"データ編集"_s; }
QSize Form1Ui::clientArea() { return twipsSize(8325, 5340); }

void Form1Ui::setupUi(QDialog *window)
{
    window->setObjectName(u"Form1"_s);

    Picture1 = picture(window, u"Picture1"_s, {120, 120, 5895, 5055}, RGB(0, 0, 0),
                       PictureSurface::FillStyle::Solid);
    Label2 = label(window, u"Label2"_s, {6120, 120, 2055, 375}, u"ＺＯＭＩＲＡ"_s, 18, Bold,
                   Align::Left);
    Label3 = label(window, u"Label3"_s, {6360, 480, 1935, 495}, u"-VORNA-"_s, 20.25,
                   Bold | Italic, Align::Left);
    Label4 = label(window, u"Label4"_s, {6120, 840, 2055, 255}, u"データ作成"_s, 14.25, Regular,
                   Align::Centre);
    Picture2 = picture(window, u"Picture2"_s, {6960, 1320, 855, 855}, RGB(0, 0, 0),
                       PictureSurface::FillStyle::Solid);
    Label5 = label(window, u"Label5"_s, {6360, 1610, 615, 255}, u"ペン："_s, 11.25, Regular,
                   Align::Left);
    Label1 = label(window, u"Label1"_s, {6120, 2280, 1215, 255}, u"ペンの太さ："_s, 11.25, Regular,
                   Align::Left);
    HScroll1 = hscroll(window, u"HScroll1"_s, {6120, 2520, 1815, 255}, 25);
    Label7 = label(window, u"Label7"_s, {8040, 2520, 255, 255}, QString(), 11.25, Regular,
                   Align::Left);
    Label6 = label(window, u"Label6"_s, {6120, 2880, 615, 255}, u"高さ："_s, 11.25, Regular,
                   Align::Left);
    Label9 = label(window, u"Label9"_s, {6120, 3120, 1935, 255}, u"←低い        高い→"_s, 11.25,
                   Regular, Align::Centre);
    for (int i = 0; i < 16; ++i) {
        Shape1[std::size_t(i)] = new Shape(window, twipsRect(6120 + 120 * i, 3360, 135, 375));
        Shape1[std::size_t(i)]->setObjectName(u"Shape1_%1"_s.arg(i));
    }
    HScroll2 = hscroll(window, u"HScroll2"_s, {6120, 3750, 1815, 255}, 15);
    Label8 = label(window, u"Label8"_s, {8040, 3750, 255, 255}, QString(), 11.25, Regular,
                   Align::Left);
    Command2 = button(window, u"Command2"_s, {6120, 4200, 1935, 375}, u"ファイル読み込み"_s);
    Command1 = button(window, u"Command1"_s, {6120, 4800, 1935, 375}, u"編集終了"_s);

    QWidget::setTabOrder(Picture1, Picture2);
    QWidget::setTabOrder(Picture2, HScroll1);
    QWidget::setTabOrder(HScroll1, HScroll2);
    QWidget::setTabOrder(HScroll2, Command1);
    QWidget::setTabOrder(Command1, Command2);
    Picture1->setFocus();
}

QString Form3Ui::caption() { return u"ランダムドット表示"_s; }
QSize Form3Ui::clientArea() { return twipsSize(6855, 5505); }

void Form3Ui::setupUi(QDialog *window)
{
    window->setObjectName(u"Form3"_s);
    Picture1 = picture(window, u"Picture1"_s, {0, 0, 6855, 5055}, RGB(255, 255, 255),
                       PictureSurface::FillStyle::Transparent);
    Picture1->surface().setAutoRedraw(true);
    Command1 = button(window, u"Command1"_s, {5400, 5100, 1335, 375}, u"OK"_s);
    QWidget::setTabOrder(Picture1, Command1);
    Picture1->setFocus();
}

} // namespace ui
