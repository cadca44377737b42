// SPDX-License-Identifier: MIT

#include "support/testimages.h"

#include "stereo/stereogramgenerator.h"
#include "ui/colour.h"

#include "ui/picturesurface.h"

#include <QTest>

using namespace Qt::StringLiterals;
using stereo::Rnd;
using stereo::StereogramGenerator;
using ui::QBColor;
using ui::RGB;

namespace {

// What the linking rule says, written plainly: every level colour compared in turn, the last match
// carried on in reading order. Returns the level used at each mapped dot, and updates `carried`.
std::vector<std::array<int, 390>> referenceLevels(const picture::Image &map, int &carried)
{
    std::vector<std::array<int, 390>> levels(334);
    for (int y = 0; y < 334; ++y) {
        for (int mx = 0; mx < 390; ++mx) {
            const ui::Colour c = (mx < map.width() && y < map.height())
                                     ? ui::fromQRgb(map.pixel(mx, y))
                                     : ui::NoColour;
            for (int k = 0; k < 16; ++k)
                if (QBColor(k) == c)
                    carried = k;
            levels[std::size_t(y)][std::size_t(mx)] = carried;
        }
    }
    return levels;
}

// The grey value of a dot, whatever the tint: the component not fixed at 250.
int greyAt(const picture::Image &out, int x, int y, int iroIndex)
{
    const QRgb p = out.pixel(x, y);
    return iroIndex == 0 ? qGreen(p) : qRed(p);
}

// Checks every visible dot of `out` against the rule; returns the first broken place, or empty.
QString checkLinking(const picture::Image &out, const std::vector<std::array<int, 390>> &levels,
                     int iroIndex = 2)
{
    for (int y = 0; y < out.height(); ++y) {
        for (int x = stereo::StripWidth; x < out.width(); ++x) {
            const int separation = x < stereo::MappedEnd
                                       ? 60 - levels[std::size_t(y)][std::size_t(x - 61)]
                                       : 60;
            if (greyAt(out, x, y, iroIndex) != greyAt(out, x - separation, y, iroIndex))
                return u"dot (%1, %2) does not repeat dot %3"_s.arg(x).arg(y).arg(x - separation);
        }
    }
    return {};
}

// What the main window's depth store holds before anything is handed to it.
picture::Image emptyDepthStore()
{
    return ui::fromQImage(ui::PictureSurface(testimages::CanvasSize, RGB(0, 0, 0),
                                             ui::PictureSurface::FillStyle::Solid)
                              .Image());
}

picture::Image whiteDisplay()
{
    picture::Image out(testimages::DisplaySize, picture::Image::Format::Rgb32);
    out.fill(0xffffffffu);
    return out;
}

picture::Image steppedMap()
{
    picture::Image map = ui::fromQImage(testimages::uniformDepthMap(10));
    for (int y = 0; y < map.height(); ++y)
        for (int x = 0; x < 50; ++x)
            map.setPixel(x, y, ui::toQRgb(QBColor(0)));
    return map;
}

} // namespace

class TestStereogramGenerator : public QObject
{
    Q_OBJECT

private slots:
    void firstDotsAfterStart();
    void linkingRule_data();
    void linkingRule();
    void steppedExample();
    void offPaletteTakesTheCarriedLevel();
    void sixtyOneRandomValuesPerRow();
    void tint_data();
    void tint();
    void writesOnly454By334();
    void twoRunsDifferButHideTheSameShape();
    void everyLaunchStartsWithTheSameImage();
};

void TestStereogramGenerator::firstDotsAfterStart()
{
    Rnd rnd;
    StereogramGenerator generator(rnd);
    picture::Image out = whiteDisplay();
    generator.make(emptyDepthStore(), out, 2);
    QCOMPARE(ui::fromQRgb(out.pixel(0, 0)), RGB(180, 180, 250));
    QCOMPARE(ui::fromQRgb(out.pixel(1, 0)), RGB(136, 136, 250));
    QCOMPARE(ui::fromQRgb(out.pixel(2, 0)), RGB(148, 148, 250));
}


void TestStereogramGenerator::linkingRule_data()
{
    QTest::addColumn<picture::Image>("map");
    QTest::newRow("all black") << ui::fromQImage(testimages::uniformDepthMap(0));
    for (int level : {1, 7, 10, 15})
        QTest::addRow("uniform level %d", level)
            << ui::fromQImage(testimages::uniformDepthMap(level));
    QTest::newRow("stepped: 0 then 10") << steppedMap();
    QTest::newRow("a shape of three levels") << ui::fromQImage(testimages::shapeMap());
    QTest::newRow("empty depth store") << emptyDepthStore();
    picture::Image noisy = ui::fromQImage(testimages::shapeMap());
    for (int y = 0; y < noisy.height(); y += 3)
        for (int x = y % 7; x < noisy.width(); x += 11)
            noisy.setPixel(x, y, qRgb(17, 200, 3)); // no level colour
    QTest::newRow("shape with off-palette pixels") << noisy;
}


void TestStereogramGenerator::linkingRule()
{
    QFETCH(picture::Image, map);
    map = map.convertToFormat(picture::Image::Format::Rgb32);
    Rnd rnd;
    StereogramGenerator generator(rnd);
    picture::Image out = whiteDisplay();
    generator.make(map, out, 2);
    int carried = 0;
    const auto levels = referenceLevels(map, carried);
    const QString broken = checkLinking(out, levels);
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
    QCOMPARE(int(generator.depthLevel()), carried);
}


void TestStereogramGenerator::steppedExample()
{
    Rnd rnd;
    StereogramGenerator generator(rnd);
    picture::Image out = whiteDisplay();
    generator.make(steppedMap(), out, 2);
    for (int y : {0, 100, 332}) {
        for (int x = 61; x <= 110; ++x)
            QCOMPARE(out.pixel(x, y), out.pixel(x - 60, y));
        for (int x = 111; x <= 450; ++x)
            QCOMPARE(out.pixel(x, y), out.pixel(x - 50, y));
        QCOMPARE(out.pixel(111, y), out.pixel(61, y));
        QCOMPARE(out.pixel(451, y), out.pixel(391, y));
        QCOMPARE(out.pixel(452, y), out.pixel(392, y));
    }
}


void TestStereogramGenerator::offPaletteTakesTheCarriedLevel()
{
    Rnd rnd;
    StereogramGenerator generator(rnd);
    picture::Image out = whiteDisplay();

    // Nothing has matched since start: level 0.
    picture::Image odd(testimages::CanvasSize, picture::Image::Format::Rgb32);
    odd.fill(qRgb(1, 2, 3));
    generator.make(odd, out, 2);
    QCOMPARE(int(generator.depthLevel()), 0);
    int carried = 0;
    QString broken = checkLinking(out, referenceLevels(odd, carried));
    QVERIFY2(broken.isEmpty(), qPrintable(broken));

    // A map whose last level pixel (row 332, column 388) is level 7; column 389 and row 333 lie
    // outside the map and keep it.
    picture::Image map = odd;
    map.setPixel(5, 5, ui::toQRgb(QBColor(12)));
    map.setPixel(388, 332, ui::toQRgb(QBColor(7)));
    generator.make(map, out, 2);
    QCOMPARE(int(generator.depthLevel()), 7);
    carried = 0;
    broken = checkLinking(out, referenceLevels(map, carried));
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
    QCOMPARE(out.pixel(450, 332), out.pixel(450 - 53, 332));

    // The next run starts with the level the last one ended on.
    generator.make(odd, out, 2);
    for (int x = 61; x < 451; ++x)
        QCOMPARE(out.pixel(x, 0), out.pixel(x - 53, 0));
}


void TestStereogramGenerator::sixtyOneRandomValuesPerRow()
{
    Rnd rnd;
    StereogramGenerator generator(rnd);
    picture::Image out = whiteDisplay();
    generator.make(ui::fromQImage(testimages::shapeMap()), out, 2);
    Rnd counted;
    for (int i = 0; i < 61 * 334; ++i)
        counted.nextGrey();
    QCOMPARE(rnd.state(), counted.state());
}


void TestStereogramGenerator::tint_data()
{
    QTest::addColumn<int>("iroIndex");
    QTest::newRow("red") << 0;
    QTest::newRow("green") << 1;
    QTest::newRow("blue") << 2;
}


void TestStereogramGenerator::tint()
{
    QFETCH(int, iroIndex);
    Rnd rnd;
    StereogramGenerator generator(rnd);
    picture::Image out = whiteDisplay();
    generator.make(ui::fromQImage(testimages::shapeMap()), out, qint16(iroIndex));
    for (int y = 0; y < out.height(); y += 7) {
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = out.pixel(x, y);
            const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
            QCOMPARE(c[iroIndex], 250);
            QCOMPARE(c[(iroIndex + 1) % 3], c[(iroIndex + 2) % 3]);
        }
    }
    QCOMPARE(ui::fromQRgb(out.pixel(0, 0)),
             stereo::dotColour(180, iroIndex));
}


void TestStereogramGenerator::writesOnly454By334()
{
    Rnd rnd;
    StereogramGenerator generator(rnd);
    picture::Image big(460, 340, picture::Image::Format::Rgb32);
    big.fill(qRgb(255, 0, 255));
    generator.make(ui::fromQImage(testimages::shapeMap()), big, 2);
    QCOMPARE(testimages::extentOf(big, RGB(255, 0, 255)).united(QRect(0, 0, 454, 334)),
             big.rect());
    QCOMPARE(testimages::countOf(big, RGB(255, 0, 255)), 460 * 340 - 454 * 334);

    // On the display surface the last column and row fall outside and are not kept.
    Rnd rnd2;
    StereogramGenerator clipped(rnd2);
    picture::Image out = whiteDisplay();
    clipped.make(ui::fromQImage(testimages::shapeMap()), out, 2);
    QCOMPARE(out.size(), testimages::DisplaySize);
    QCOMPARE(out, big.copy(QRect(QPoint(0, 0), testimages::DisplaySize)));
}


void TestStereogramGenerator::twoRunsDifferButHideTheSameShape()
{
    Rnd rnd;
    StereogramGenerator generator(rnd);
    const picture::Image map = ui::fromQImage(testimages::shapeMap());
    picture::Image first = whiteDisplay();
    generator.make(map, first, 2);
    picture::Image second = whiteDisplay();
    generator.make(map, second, 2);
    QVERIFY(first != second);
    int carried = 0;
    const auto levels = referenceLevels(map, carried);
    for (const picture::Image *image : {&first, &second}) {
        const QString broken = checkLinking(*image, levels);
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
    }
}


void TestStereogramGenerator::everyLaunchStartsWithTheSameImage()
{
    picture::Image images[2];
    for (picture::Image &image : images) {
        Rnd rnd;
        StereogramGenerator generator(rnd);
        image = whiteDisplay();
        generator.make(ui::fromQImage(testimages::shapeMap()), image, 2);
    }
    QCOMPARE(images[0], images[1]);
}


QTEST_APPLESS_MAIN(TestStereogramGenerator)
#include "tst_stereogramgenerator.moc"
