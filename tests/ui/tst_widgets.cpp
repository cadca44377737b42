// SPDX-License-Identifier: MIT

#include "ui/imageview.h"
#include "ui/picturebox.h"
#include "ui/shape.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void imageViewShowsEveryPixel();
    void shapeBorderAndMark_data();
    void shapeBorderAndMark();
    void shapeIsPressedOnlyWhenPressable_data();
    void shapeIsPressedOnlyWhenPressable();
    void pictureBoxMarkAndShownColours_data();
    void pictureBoxMarkAndShownColours();
    void hidingTheMarkRepaints();
    void shownColoursAskedOncePerPixel();
    void markingAsBeforeRepaintsNothing();
    void shapeTextStandsOut_data();
    void shapeTextStandsOut();
    void mouseDownCarriesTheShiftCodes_data();
    void mouseDownCarriesTheShiftCodes();
};

// Run also at screen scale 2 (see CMakeLists.txt): each pixel of a 3 x 3 picture, each in a colour
// of its own, is a block of device pixels of exactly its colour.
void TestWidgets::imageViewShowsEveryPixel()
{
    QImage picture(3, 3, QImage::Format_RGB32);
    for (int i = 0; i < 9; ++i)
        picture.setPixel(i % 3, i / 3, ui::toQRgb(ui::QBColor(i + 1)));
    ui::ImageView view;
    view.setImage(picture);
    QCOMPARE(view.size(), QSize(3, 3));
    const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int ratio = int(qApp->devicePixelRatio());
    QCOMPARE(shot.size(), QSize(3 * ratio, 3 * ratio));
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            QCOMPARE(shot.pixel(x, y), picture.pixel(x / ratio, y / ratio));
}

// Each row: a pixel of a 20 x 20 shape in QBColor(9) (blue), unmarked and marked. The border is
// its outermost pixels; the mark a black frame just inside the border and a white one inside that.
void TestWidgets::shapeBorderAndMark_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<uint>("unmarked");
    QTest::addColumn<uint>("marked");
    const uint black = qRgb(0, 0, 0);
    const uint white = qRgb(255, 255, 255);
    const uint blue = qRgb(0, 0, 255);
    QTest::newRow("top border") << QPoint(10, 0) << black << black;
    QTest::newRow("right border") << QPoint(19, 10) << black << black;
    QTest::newRow("under the top border") << QPoint(10, 1) << blue << black;
    QTest::newRow("left of the right border") << QPoint(18, 10) << blue << black;
    QTest::newRow("right of the left border") << QPoint(1, 10) << blue << black;
    QTest::newRow("white frame, left") << QPoint(2, 10) << blue << white;
    QTest::newRow("white frame, right") << QPoint(17, 10) << blue << white;
    QTest::newRow("inside the white frame") << QPoint(3, 10) << blue << blue;
    QTest::newRow("middle") << QPoint(10, 10) << blue << blue;
}

void TestWidgets::shapeBorderAndMark()
{
    QFETCH(QPoint, at);
    QFETCH(uint, unmarked);
    QFETCH(uint, marked);
    if (qApp->devicePixelRatio() != 1)
        QSKIP("pixels worked out at one device pixel to a pixel");
    QWidget window;
    window.resize(40, 40);
    ui::Shape shape(&window, QRect(5, 5, 20, 20));
    shape.setBackColor(ui::QBColor(9));
    QCOMPARE(shape.grab().toImage().pixel(at), unmarked);
    shape.setMarked(true);
    QCOMPARE(shape.grab().toImage().pixel(at), marked);
}

void TestWidgets::shapeIsPressedOnlyWhenPressable_data()
{
    QTest::addColumn<bool>("pressable");
    QTest::newRow("pressable: a button") << true;
    QTest::newRow("not pressable: a graphic") << false;
}

// Assistive technology presses a shape as it presses a button, and only a pressable one.
void TestWidgets::shapeIsPressedOnlyWhenPressable()
{
    QFETCH(bool, pressable);
    QWidget window;
    ui::Shape shape(&window, QRect(0, 0, 20, 20));
    shape.setPressable(pressable);
    QSignalSpy pressed(&shape, &ui::Shape::pressed);
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(&shape);
    QVERIFY(a && a->actionInterface());
    QCOMPARE(a->role(), pressable ? QAccessible::Button : QAccessible::Graphic);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(pressed.size(), pressable ? 1 : 0);
    // A click on the window finds the shape only when it is pressable; otherwise it goes through.
    window.resize(40, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(pressed.size(), pressable ? 2 : 0);
}

// Each row: whether a 44 x 44 box (a drawing area of 40 x 40 in QBColor(8), grey, from (2, 2))
// shows the mark at (20, 20) of radius 5 and whether it shows its colours as red; a pixel of the
// box and its colour. The mark: a white circle of radius 5.5 and a white cross reaching 4 further,
// round the middle of the area's pixel (20, 20), each on a black line three pixels wide.
void TestWidgets::pictureBoxMarkAndShownColours_data()
{
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("red");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<uint>("colour");
    const uint grey = qRgb(128, 128, 128);
    const uint white = qRgb(255, 255, 255);
    const uint red = qRgb(255, 0, 0);
    QTest::newRow("no mark at the corner") << false << false << QPoint(4, 2) << grey;
    QTest::newRow("cross, left arm") << true << false << QPoint(15, 22) << white;
    QTest::newRow("cross, right arm") << true << false << QPoint(30, 22) << white;
    QTest::newRow("cross, upper arm") << true << false << QPoint(22, 15) << white;
    QTest::newRow("circle, bottom") << true << false << QPoint(20, 28) << white;
    QTest::newRow("inside the circle") << true << false << QPoint(24, 24) << grey;
    QTest::newRow("beyond the cross") << true << false << QPoint(10, 22) << grey;
    QTest::newRow("red, the area's first column") << false << true << QPoint(2, 20) << red;
    QTest::newRow("red, its last column") << false << true << QPoint(41, 20) << red;
}

void TestWidgets::pictureBoxMarkAndShownColours()
{
    QFETCH(bool, mark);
    QFETCH(bool, red);
    QFETCH(QPoint, at);
    QFETCH(uint, colour);
    if (qApp->devicePixelRatio() != 1)
        QSKIP("pixels worked out at one device pixel to a pixel");
    QWidget window;
    ui::PictureBox box(&window, QRect(0, 0, 44, 44), ui::QBColor(8),
                       ui::PictureSurface::FillStyle::Transparent);
    if (mark)
        box.showMark(QPoint(20, 20), 5);
    if (red)
        box.setShownColours([](QRgb) { return qRgb(255, 0, 0); });
    QCOMPARE(box.grab().toImage().pixel(at), colour);
    // Only the screen shows it: the picture is grey all over.
    QCOMPARE(box.Image().pixel(20, 20) & 0xffffffu, 0x808080u);
}

// Painting the whole box maps each of its 40 x 40 pixels once, and nothing beyond them.
void TestWidgets::shownColoursAskedOncePerPixel()
{
    QWidget window;
    ui::PictureBox box(&window, QRect(0, 0, 44, 44), ui::QBColor(8),
                       ui::PictureSurface::FillStyle::Transparent);
    int asked = 0;
    box.setShownColours([&asked](QRgb c) {
        ++asked;
        return c;
    });
    box.grab();
    QCOMPARE(asked, 1600);
}

// The mark goes from the screen as soon as it is hidden.
void TestWidgets::hidingTheMarkRepaints()
{
    QWidget window;
    window.resize(60, 60);
    ui::PictureBox box(&window, QRect(0, 0, 44, 44), ui::QBColor(8),
                       ui::PictureSurface::FillStyle::Transparent);
    box.showMark(QPoint(20, 20), 5);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int paints = 0;
    struct Counter : QObject
    {
        int &n;
        explicit Counter(int &count) : n(count) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            n += e->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    QCoreApplication::processEvents();
    box.installEventFilter(&counter);
    box.hideMark();
    QTRY_VERIFY(paints > 0);
    QVERIFY(!box.markShown());
}

// Marking a shape as it is already marked paints nothing: the palette marks its cell on every
// stroke. The other shape's repaint, in the same pass, shows when painting has happened.
void TestWidgets::markingAsBeforeRepaintsNothing()
{
    QWidget window;
    window.resize(60, 30);
    ui::Shape same(&window, QRect(0, 0, 20, 20));
    ui::Shape other(&window, QRect(30, 0, 20, 20));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    struct Counter : QObject
    {
        int n = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            n += e->type() == QEvent::Paint;
            return false;
        }
    } sameCount, otherCount;
    same.installEventFilter(&sameCount);
    other.installEventFilter(&otherCount);
    same.setMarked(false);
    other.setMarked(true);
    QTRY_VERIFY(otherCount.n > 0);
    QCOMPARE(sameCount.n, 0);
}

QTEST_MAIN(TestWidgets)
// Each row: the cell's level colour and the colour its number is written in (white on the dark
// colours, black on the light ones); the number's pixels are counted in that colour.
void TestWidgets::shapeTextStandsOut_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<uint>("ink");
    QTest::newRow("on black") << 0 << uint(qRgb(255, 255, 255));
    QTest::newRow("on blue") << 1 << uint(qRgb(255, 255, 255));
    QTest::newRow("on white") << 15 << uint(qRgb(0, 0, 0));
    QTest::newRow("on yellow") << 14 << uint(qRgb(0, 0, 0));
}

void TestWidgets::shapeTextStandsOut()
{
    QFETCH(int, level);
    QFETCH(uint, ink);
    QWidget window;
    window.resize(40, 40);
    ui::Shape shape(&window, QRect(5, 5, 20, 20));
    shape.setBackColor(ui::QBColor(level));
    shape.setText(u"8"_s);
    const QImage cell = shape.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int inked = 0;
    for (int y = 2; y < cell.height() - 2; ++y)
        for (int x = 2; x < cell.width() - 2; ++x)
            inked += cell.pixel(x, y) == ink;
    QVERIFY2(inked >= 10, qPrintable(QString::number(inked)));
}

// The Shift argument of the mouse events: 1 for Shift, 2 for Ctrl, 4 for Alt, added together.
void TestWidgets::mouseDownCarriesTheShiftCodes_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("shift");
    QTest::newRow("none") << Qt::KeyboardModifiers() << 0;
    QTest::newRow("Shift") << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1;
    QTest::newRow("Ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << 2;
    QTest::newRow("Alt") << Qt::KeyboardModifiers(Qt::AltModifier) << 4;
    QTest::newRow("Shift and Ctrl") << (Qt::ShiftModifier | Qt::ControlModifier) << 3;
}

void TestWidgets::mouseDownCarriesTheShiftCodes()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, shift);
    QWidget window;
    ui::PictureBox box(&window, QRect(0, 0, 44, 44), ui::QBColor(8),
                       ui::PictureSurface::FillStyle::Transparent);
    QSignalSpy down(&box, &ui::PictureBox::MouseDown);
    QTest::mouseClick(&box, Qt::LeftButton, modifiers, QPoint(10, 10));
    QCOMPARE(down.size(), 1);
    QCOMPARE(down[0][0].toInt(), 1);
    QCOMPARE(down[0][1].toInt(), shift);
}

#include "tst_widgets.moc"
