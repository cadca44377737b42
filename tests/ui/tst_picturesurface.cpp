// SPDX-License-Identifier: MIT

#include "support/testimages.h"

#include "ui/colour.h"
#include "ui/picturesurface.h"
#include "ui/twips.h"

#include <QTest>

using namespace Qt::StringLiterals;
using ui::Colour;
using ui::PictureSurface;
using ui::QBColor;
using ui::RGB;
using testimages::countOf;
using testimages::extentOf;

class TestPictureSurface : public QObject
{
    Q_OBJECT

private slots:
    void colourValues_data();
    void colourValues();
    void twipsToPixels_data();
    void twipsToPixels();
    void pointAndPSetAtEdges_data();
    void pointAndPSetAtEdges();
    void circleExtent_data();
    void circleExtent();
    void circlePixels_data();
    void circlePixels();
    void circleColours();
    void circleTransparentFillKeepsInside();
    void autoRedrawLayers();
    void clsKeepsPicture();
    void imageIsACopy();
    void pictureClippedAndEmpty();
};

void TestPictureSurface::colourValues_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    const int table[16][3] = {{0, 0, 0},       {0, 0, 128},     {0, 128, 0},   {0, 128, 128},
                              {128, 0, 0},     {128, 0, 128},   {128, 128, 0}, {192, 192, 192},
                              {128, 128, 128}, {0, 0, 255},     {0, 255, 0},   {0, 255, 255},
                              {255, 0, 0},     {255, 0, 255},   {255, 255, 0}, {255, 255, 255}};
    for (int n = 0; n < 16; ++n)
        QTest::addRow("QBColor(%d)", n) << n << table[n][0] << table[n][1] << table[n][2];
}

void TestPictureSurface::colourValues()
{
    QFETCH(int, n);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QCOMPARE(QBColor(n), RGB(r, g, b));
    QCOMPARE(QBColor(n), Colour(r + 256 * g + 65536 * b));
    QCOMPARE(ui::fromQRgb(ui::toQRgb(QBColor(n))), QBColor(n));
}

void TestPictureSurface::twipsToPixels_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("canvas width") << 5895 << 393;
    QTest::newRow("main window height") << 1695 << 113;
    QTest::newRow("label caption rounds down") << 1610 << 107;
    QTest::newRow("half a pixel rounds up") << 8 << 1;
    QTest::newRow("under half rounds down") << 7 << 0;
}

void TestPictureSurface::twipsToPixels()
{
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(ui::twipsToPixels(twips), pixels);
}

void TestPictureSurface::pointAndPSetAtEdges_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<bool>("inside");
    QTest::newRow("origin") << 0.f << 0.f << true;
    QTest::newRow("last pixel") << 388.f << 332.f << true;
    QTest::newRow("just past the right edge") << 389.f << 0.f << false;
    QTest::newRow("just past the bottom edge") << 0.f << 333.f << false;
    QTest::newRow("left of the area") << -1.f << 10.f << false;
    QTest::newRow("above the area") << 10.f << -1.f << false;
    QTest::newRow("fraction rounds to the last pixel") << 388.4f << 10.f << true;
    QTest::newRow("fraction rounds past the edge") << 388.5f << 10.f << false;
}

void TestPictureSurface::pointAndPSetAtEdges()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(bool, inside);
    PictureSurface s(testimages::CanvasSize, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    s.setAutoRedraw(true);
    const QImage before = s.Image();
    s.PSet(x, y, QBColor(12));
    QCOMPARE(s.Point(x, y), inside ? QBColor(12) : ui::NoColour);
    QCOMPARE(countOf(s.Image(), QBColor(12)), inside ? 1 : 0);
    if (!inside)
        QCOMPARE(s.Image(), before);
}

void TestPictureSurface::circleExtent_data()
{
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<float>("radius");
    QTest::addColumn<QRect>("extent");
    QTest::addColumn<int>("pixels");
    QTest::newRow("radius 0 is the centre pixel") << QPointF(26, 26) << 0.f << QRect(26, 26, 1, 1) << 1;
    QTest::newRow("radius 1 is a square") << QPointF(26, 26) << 1.f << QRect(25, 25, 3, 3) << 9;
    QTest::newRow("radius 14") << QPointF(26, 26) << 14.f << QRect(12, 12, 29, 29) << -1;
    QTest::newRow("radius 25 covers 1 to 51") << QPointF(26, 26) << 25.f << QRect(1, 1, 51, 51) << -1;
    QTest::newRow("centre rounded to nearest") << QPointF(10.4, 10.6) << 2.f << QRect(8, 9, 5, 5) << 21;
    QTest::newRow("clipped at the top-left corner") << QPointF(0, 0) << 3.f << QRect(0, 0, 4, 4) << 13;
    QTest::newRow("clipped at the bottom-right corner") << QPointF(52, 52) << 3.f << QRect(49, 49, 4, 4) << 13;
    QTest::newRow("wholly outside") << QPointF(-10, -10) << 3.f << QRect() << 0;
}

void TestPictureSurface::circleExtent()
{
    QFETCH(QPointF, centre);
    QFETCH(float, radius);
    QFETCH(QRect, extent);
    QFETCH(int, pixels);
    PictureSurface s({53, 53}, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    s.setAutoRedraw(true);
    s.setFillColor(QBColor(8));
    const QRect touched = s.Circle(float(centre.x()), float(centre.y()), radius, QBColor(8));
    QCOMPARE(extentOf(s.Image(), QBColor(8)), extent);
    QCOMPARE(touched, extent);
    if (pixels >= 0)
        QCOMPARE(countOf(s.Image(), QBColor(8)), pixels);
    // Only the two colours ever appear: no antialiasing.
    const QImage img = s.Image();
    QCOMPARE(countOf(img, QBColor(8)) + countOf(img, QBColor(0)), 53 * 53);
}

// Each disc drawn at (5, 5) on a 11 x 11 surface, as rows of pixels 0 to 10: '#' the outline
// colour, 'o' the fill colour, '.' untouched background.
void TestPictureSurface::circlePixels_data()
{
    QTest::addColumn<float>("radius");
    QTest::addColumn<QStringList>("rows");
    const QString empty(11, u'.');
    auto rows = [&](QStringList middle) {
        const qsizetype pad = (11 - middle.size()) / 2;
        QStringList out;
        for (qsizetype i = 0; i < pad; ++i)
            out.append(empty);
        for (const QString &m : middle) {
            const qsizetype side = (11 - m.size()) / 2;
            out.append(QString(side, u'.') + m + QString(side, u'.'));
        }
        while (out.size() < 11)
            out.append(empty);
        return out;
    };
    QTest::newRow("radius 0") << 0.f << rows({u"#"_s});
    QTest::newRow("radius 1") << 1.f << rows({u"###"_s, u"#o#"_s, u"###"_s});
    QTest::newRow("radius 2") << 2.f
                              << rows({u".###."_s, u"#ooo#"_s, u"#ooo#"_s, u"#ooo#"_s, u".###."_s});
    QTest::newRow("radius 5, no nub at the extreme points")
        << 5.f
        << rows({u"...#####..."_s, u"..#ooooo#.."_s, u".#ooooooo#."_s, u"#ooooooooo#"_s,
                 u"#ooooooooo#"_s, u"#ooooooooo#"_s, u"#ooooooooo#"_s, u"#ooooooooo#"_s,
                 u".#ooooooo#."_s, u"..#ooooo#.."_s, u"...#####..."_s});
}

void TestPictureSurface::circlePixels()
{
    QFETCH(float, radius);
    QFETCH(QStringList, rows);
    PictureSurface s({11, 11}, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    s.setAutoRedraw(true);
    s.setFillColor(QBColor(14));
    s.Circle(5, 5, radius, QBColor(12));
    QStringList got;
    for (int j = 0; j < 11; ++j) {
        QString row;
        for (int i = 0; i < 11; ++i) {
            const Colour c = s.Point(float(i), float(j));
            row += c == QBColor(12) ? u'#' : c == QBColor(14) ? u'o' : c == QBColor(0) ? u'.' : u'?';
        }
        got.append(row);
    }
    QCOMPARE(got, rows);
}

void TestPictureSurface::circleColours()
{
    // Radius 3 at (4, 4): 'o' the outline colour, '#' the fill, '.' the background.
    const QStringList expected{
        u"........."_s,
        u"...ooo..."_s,
        u"..o###o.."_s,
        u".o#####o."_s,
        u".o#####o."_s,
        u".o#####o."_s,
        u"..o###o.."_s,
        u"...ooo..."_s,
        u"........."_s,
    };
    PictureSurface s({9, 9}, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    s.setAutoRedraw(true);
    s.setFillColor(QBColor(14));
    s.Circle(4, 4, 3, QBColor(12));
    QStringList got;
    for (int y = 0; y < 9; ++y) {
        QString row;
        for (int x = 0; x < 9; ++x) {
            const ui::Colour c = s.Point(float(x), float(y));
            row += c == QBColor(12) ? u'o' : c == QBColor(14) ? u'#' : c == QBColor(0) ? u'.' : u'?';
        }
        got << row;
    }
    QCOMPARE(got, expected);
}

void TestPictureSurface::circleTransparentFillKeepsInside()
{
    PictureSurface s(testimages::DisplaySize, RGB(255, 255, 255), PictureSurface::FillStyle::Transparent);
    s.setAutoRedraw(true);
    s.setFillColor(QBColor(1));
    s.Circle(100, 100, 20, QBColor(4));
    QCOMPARE(s.Point(100, 100), RGB(255, 255, 255));
    QCOMPARE(s.Point(80, 100), QBColor(4));
    QCOMPARE(countOf(s.Image(), QBColor(1)), 0);
}

void TestPictureSurface::autoRedrawLayers()
{
    PictureSurface s(testimages::CanvasSize, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    s.setAutoRedraw(false);
    s.setFillColor(QBColor(9));
    s.Circle(50, 50, 5, QBColor(9));
    QCOMPARE(s.Point(50, 50), QBColor(0));
    QCOMPARE(ui::fromQRgb(s.screenImage().pixel(50, 50)), QBColor(9));

    s.setAutoRedraw(true);
    s.Circle(100, 100, 5, QBColor(9));
    QCOMPARE(s.Point(100, 100), QBColor(9));
    QCOMPARE(ui::fromQRgb(s.screenImage().pixel(100, 100)), QBColor(9));
    // The screen-only disc stays shown until Cls puts the persistent image back.
    QCOMPARE(ui::fromQRgb(s.screenImage().pixel(50, 50)), QBColor(9));
    s.Cls();
    QCOMPARE(ui::fromQRgb(s.screenImage().pixel(50, 50)), QBColor(0));

    // Drawn straight into the picture: it shows on the screen as well, within the picture.
    const QRect changed = s.drawPersistent([](QImage &p) {
        p.setPixel(388, 332, ui::toQRgb(QBColor(12)));
        return QRect(380, 330, 20, 20);
    });
    QCOMPARE(changed, QRect(380, 330, 9, 3));
    QCOMPARE(ui::fromQRgb(s.screenImage().pixel(388, 332)), QBColor(12));
}

void TestPictureSurface::clsKeepsPicture()
{
    PictureSurface s({53, 53}, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(ui::toQRgb(QBColor(3)));
    s.setPicture(picture);
    s.setAutoRedraw(true);
    s.Circle(30, 30, 5, QBColor(5));
    s.Cls();
    QCOMPARE(s.Point(5, 5), QBColor(3));
    QCOMPARE(s.Point(30, 30), QBColor(0));
}

void TestPictureSurface::imageIsACopy()
{
    PictureSurface s(testimages::CanvasSize, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    s.setAutoRedraw(true);
    QImage copy = s.Image();
    QCOMPARE(copy.size(), testimages::CanvasSize);
    s.PSet(1, 1, QBColor(15));
    QCOMPARE(ui::fromQRgb(copy.pixel(1, 1)), QBColor(0));
    copy.setPixel(2, 2, ui::toQRgb(QBColor(12)));
    QCOMPARE(s.Point(2, 2), QBColor(0));

    PictureSurface other(testimages::CanvasSize, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    QImage handed = s.Image();
    other.setPicture(handed);
    handed.fill(Qt::red);
    QCOMPARE(other.Point(1, 1), QBColor(15));
}

void TestPictureSurface::pictureClippedAndEmpty()
{
    PictureSurface s(testimages::CanvasSize, RGB(0, 0, 0), PictureSurface::FillStyle::Solid);
    QImage big(500, 400, QImage::Format_RGB32);
    big.fill(ui::toQRgb(QBColor(10)));
    s.setPicture(big);
    QCOMPARE(s.size(), testimages::CanvasSize);
    QCOMPARE(countOf(s.Image(), QBColor(10)), testimages::area(testimages::CanvasSize));

    QImage small(100, 50, QImage::Format_Indexed8);
    small.setColorTable({ui::toQRgb(QBColor(12))});
    small.fill(0);
    s.setPicture(small);
    QCOMPARE(extentOf(s.Image(), QBColor(12)), QRect(0, 0, 100, 50));
    QCOMPARE(s.Point(100, 0), QBColor(0));

    s.setPicture(QImage());
    QCOMPARE(countOf(s.Image(), QBColor(0)), testimages::area(testimages::CanvasSize));
}

QTEST_GUILESS_MAIN(TestPictureSurface)
#include "tst_picturesurface.moc"
