// SPDX-License-Identifier: MIT

#include "picture/colour.h"
#include "picture/colourscale.h"
#include "picture/levels.h"
#include "picture/mapkind.h"
#include "picture/pictureio.h"
#include "picture/stereopictures.h"

#include "support/testimages.h"

#include <QBuffer>
#include "ui/qtimage.h"

#include <QPainter>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;
using picture::MapKind;
using testimages::sphereOnBlack;

Q_DECLARE_METATYPE(picture::MapKind)
Q_DECLARE_METATYPE(picture::ColourScale)

namespace {

QRgb level(int n)
{
    return picture::toQRgb(picture::QBColor(n));
}

// Height of a sphere of radius r at distance d from its centre, 0 to 1.
double dome(double d, double r)
{
    return d >= r ? -1 : std::sqrt(1 - (d / r) * (d / r));
}

// Rolling hills in a field in the middle of a black picture.
QImage reliefOnBlack()
{
    QImage out(1920, 1080, QImage::Format_RGB32);
    out.fill(Qt::black);
    for (int y = 190; y < 890; ++y)
        for (int x = 360; x < 1560; ++x) {
            const int g = int(std::lround(128 + 100 * std::sin(x / 40.0) * std::cos(y / 55.0)));
            out.setPixel(x, y, qRgb(g, g, g));
        }
    return out;
}

// A sphere in a colour scale on the scale's cold end.
QImage sphereOnScale(picture::ColourScale scale)
{
    QImage out(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const double h = dome(std::hypot(x - 320, y - 240), 200);
            out.setPixel(x, y, picture::colourOnScale(scale, std::max(0.0, h)));
        }
    return out;
}

QImage fourGreys()
{
    QImage out(picture::DepthMapSize, QImage::Format_RGB32);
    QPainter p(&out);
    p.fillRect(0, 0, 200, 170, level(0));
    p.fillRect(200, 0, 189, 170, level(8));
    p.fillRect(0, 170, 200, 163, level(7));
    p.fillRect(200, 170, 189, 163, level(15));
    return out;
}

QImage whiteBarsOnBlack()
{
    QImage out(picture::DepthMapSize, QImage::Format_RGB32);
    out.fill(level(0));
    QPainter p(&out);
    for (int x = 20; x < 389; x += 60)
        p.fillRect(x, 30, 25, 270, level(15));
    return out;
}

// A painted map: discs of many levels on black, the way the editor's pen leaves them.
QImage paintedLevels()
{
    QImage out(picture::DepthMapSize, QImage::Format_RGB32);
    out.fill(level(0));
    QPainter p(&out);
    for (int n = 1; n < 16; ++n) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(level(n)));
        p.drawEllipse(QPoint(30 + (n % 5) * 80, 50 + (n / 5) * 100), 45, 40);
    }
    return out;
}

QImage throughJpeg(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG", 85);
    return ui::toQImage(picture::decodePicture(bytes));
}

// 200 x 100 black with `off` pixels in `greys` greys off every level grey (30, 35, 40 ...).
QImage offGreys(int off, int greys = 10)
{
    QImage out(200, 100, QImage::Format_Grayscale8);
    out.fill(0);
    for (int i = 0; i < off; ++i)
        out.scanLine(i / 200)[i % 200] = uchar(30 + 5 * (i % greys));
    return out;
}

// A level map with a flat patch of one colour that is no level colour.
QImage strayColour()
{
    QImage out = paintedLevels();
    QPainter(&out).fillRect(300, 260, 80, 60, QColor(255, 140, 0));
    return out;
}

// The share of pixels farther than 24 in some channel from every level colour, counted here
// on its own.
double offPaletteShare(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    qint64 off = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QColor c = rgb.pixelColor(x, y);
            bool near = false;
            for (int n = 0; n < 16; ++n) {
                const QColor l(level(n));
                near = near || (std::abs(c.red() - l.red()) <= 24 && std::abs(c.green() - l.green()) <= 24
                                && std::abs(c.blue() - l.blue()) <= 24);
            }
            off += !near;
        }
    return double(off) / (qint64(rgb.width()) * rgb.height());
}

int levelAt(const picture::Image &map, int x, int y)
{
    for (int n = 0; n < 16; ++n)
        if ((map.pixel(x, y) & 0xffffffu) == (level(n) & 0xffffffu))
            return n;
    return -1;
}

} // namespace

class TestMapKind : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data();
    void verdicts();
    void jpegOfALevelMapIsOffPaletteInPlaces();
    void offLevelPixelsCountWithTheirNeighbours_data();
    void offLevelPixelsCountWithTheirNeighbours();
    void levelMapsAreUsedAsTheyAre_data();
    void levelMapsAreUsedAsTheyAre();
    void scaleEnds_data();
    void scaleEnds();
    void scaleKnots_data();
    void scaleKnots();
    void readingAlongScales_data();
    void readingAlongScales();
    void conversions_data();
    void conversions();
    void asIsKeepsTheLiteralColours();
    void printedPicturesReadBack_data();
    void printedPicturesReadBack();
};

void TestMapKind::verdicts_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<MapKind>("kind");

    const QString data = QStringLiteral(ZOMVORN_TESTDATA);
    QTest::newRow("sphere on black, 1920 x 1080")
        << sphereOnBlack({1920, 1080}, 420, {960, 540}, QImage::Format_Grayscale8) << MapKind::Grey;
    QTest::newRow("sphere on black, as RGB")
        << sphereOnBlack({1920, 1080}, 420, {960, 540}, QImage::Format_RGB32) << MapKind::Grey;
    QTest::newRow("16-bit sphere on black")
        << sphereOnBlack({800, 600}, 250, {400, 300}, QImage::Format_Grayscale16)
        << MapKind::SixteenBit;
    QTest::newRow("relief on black") << reliefOnBlack() << MapKind::Grey;
    QTest::newRow("sphere through JPEG")
        << throughJpeg(sphereOnBlack({640, 480}, 150, {320, 240}, QImage::Format_RGB32))
        << MapKind::Grey;
    QTest::newRow("small map in the canvas's margin")
        << sphereOnBlack(picture::DepthMapSize, 50, {60, 60}, QImage::Format_RGB32) << MapKind::Grey;
    QTest::newRow("16-bit ramp") << testimages::sixteenBitRamp({512, 64}) << MapKind::SixteenBit;
    QTest::newRow("palette picture of blues") << testimages::bluesPalette({640, 480}) << MapKind::Colour;
    for (const picture::ColourScale scale : picture::AllColourScales)
        QTest::addRow("sphere in %s", qPrintable(picture::colourScaleName(scale)))
            << sphereOnScale(scale) << MapKind::ColourScale;
    QTest::newRow("jet sphere through JPEG")
        << throughJpeg(sphereOnScale(picture::ColourScale::Jet)) << MapKind::ColourScale;

    QTest::newRow("only the four greys") << fourGreys() << MapKind::LevelColours;
    QTest::newRow("four greys as an 8-bit grey picture")
        << fourGreys().convertToFormat(QImage::Format_Grayscale8) << MapKind::LevelColours;
    QTest::newRow("white bars on black") << whiteBarsOnBlack() << MapKind::LevelColours;
    QTest::newRow("4-bit BMP") << ui::toQImage(picture::loadPicture(data + u"/levels-4bit.bmp"_s))
                               << MapKind::LevelColours;
    QTest::newRow("painted levels") << paintedLevels() << MapKind::LevelColours;
    QTest::newRow("painted levels through JPEG") << throughJpeg(paintedLevels())
                                                 << MapKind::LevelColours;
    QTest::newRow("four greys through JPEG") << throughJpeg(fourGreys()) << MapKind::LevelColours;
    QTest::newRow("white bars through JPEG") << throughJpeg(whiteBarsOnBlack())
                                             << MapKind::LevelColours;
    QTest::newRow("one stray colour over levels") << strayColour() << MapKind::LevelColours;
    // 0.5 % of the pixels off-level is enough for a grey picture; 0.495 % is not.
    QTest::newRow("off-level greys on 100 of 20000 pixels") << offGreys(100) << MapKind::Grey;
    QTest::newRow("off-level greys on 99 of 20000 pixels") << offGreys(99) << MapKind::LevelColours;
    // And more than eight of them: eight may be a few strays.
    QTest::newRow("nine off-level greys") << offGreys(1000, 9) << MapKind::Grey;
    QTest::newRow("eight off-level greys") << offGreys(1000, 8) << MapKind::LevelColours;
    QTest::newRow("blank canvas") << ui::toQImage(picture::depthMapOf({})) << MapKind::LevelColours;
    QTest::newRow("no picture") << QImage() << MapKind::LevelColours;
}

void TestMapKind::verdicts()
{
    QFETCH(QImage, picture);
    QFETCH(MapKind, kind);
    const picture::MapVerdict verdict = picture::recogniseMap(ui::fromQImage(picture));
    qInfo("%s: off-level share %.4f, %d colours", QTest::currentDataTag(), verdict.offLevelShare,
          verdict.offLevelColours);
    QCOMPARE(verdict.kind, kind);
    QCOMPARE(verdict.isDepthPicture(), kind != MapKind::LevelColours);
}

// The JPEG rows above are meaningful only if the JPEG did move colours off the palette.
void TestMapKind::jpegOfALevelMapIsOffPaletteInPlaces()
{
    const double share = offPaletteShare(throughJpeg(paintedLevels()));
    qInfo("painted levels through JPEG: %.2f %% of pixels off the palette", share * 100);
    QVERIFY(share > 0.01);
    QVERIFY(share < 0.10);
}

void TestMapKind::offLevelPixelsCountWithTheirNeighbours_data()
{
    QTest::addColumn<QStringList>("rows"); // o: orange, off-level; .: black
    QTest::addColumn<int>("counted");
    QTest::newRow("all orange") << QStringList{u"oooo"_s, u"oooo"_s, u"oooo"_s} << 12;
    // The hole and its four neighbours are left out, and nothing else.
    QTest::newRow("a hole") << QStringList{u"oooo"_s, u"oo.o"_s, u"oooo"_s, u"oooo"_s} << 11;
    QTest::newRow("a black column")
        << QStringList{u"oo.oo"_s, u"oo.oo"_s, u"oo.oo"_s} << 6;
}

// A colour picture's off-level pixels count only with their four neighbours off-level too.
void TestMapKind::offLevelPixelsCountWithTheirNeighbours()
{
    QFETCH(QStringList, rows);
    QFETCH(int, counted);
    QImage picture(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, rows[y][x] == u'o' ? qRgb(255, 140, 0) : level(0));
    const picture::MapVerdict verdict = picture::recogniseMap(ui::fromQImage(picture));
    const qint64 pixels = qint64(picture.width()) * picture.height();
    QCOMPARE(qRound64(verdict.offLevelShare * double(pixels)), qint64(counted));
}

void TestMapKind::levelMapsAreUsedAsTheyAre_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::newRow("four greys") << fourGreys();
    QTest::newRow("painted levels") << paintedLevels();
    QTest::newRow("through JPEG") << throughJpeg(paintedLevels());
    QTest::newRow("larger than the canvas") << paintedLevels().scaled(800, 700);
    QTest::newRow("4-bit BMP")
        << ui::toQImage(
               picture::loadPicture(QStringLiteral(ZOMVORN_TESTDATA) + u"/levels-4bit.bmp"_s));
}

// What the editor always did with a map of level colours: the picture at the top left of the
// black canvas, clipped.
void TestMapKind::levelMapsAreUsedAsTheyAre()
{
    QFETCH(QImage, picture);
    const picture::MapOfPicture made = picture::mapOfPicture(ui::fromQImage(picture));
    QVERIFY(!made.converted);
    QImage expected(picture::DepthMapSize, QImage::Format_RGB32);
    expected.fill(qRgb(0, 0, 0));
    QPainter(&expected).drawImage(0, 0, picture.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(ui::toQImage(made.map), expected);
}

void TestMapKind::scaleEnds_data()
{
    QTest::addColumn<picture::ColourScale>("scale");
    QTest::addColumn<double>("t");
    QTest::addColumn<QRgb>("colour");
    using S = picture::ColourScale;
    QTest::newRow("jet cold") << S::Jet << 0.0 << qRgb(0, 0, 128);
    QTest::newRow("jet middle") << S::Jet << 0.5 << qRgb(123, 255, 123);
    QTest::newRow("jet warm") << S::Jet << 1.0 << qRgb(128, 0, 0);
    QTest::newRow("turbo cold") << S::Turbo << 0.0 << qRgb(48, 18, 59);
    QTest::newRow("turbo warm") << S::Turbo << 1.0 << qRgb(122, 4, 3);
    QTest::newRow("viridis cold") << S::Viridis << 0.0 << qRgb(68, 1, 84);
    QTest::newRow("viridis middle") << S::Viridis << 128 / 255.0 << qRgb(33, 145, 140);
    QTest::newRow("viridis warm") << S::Viridis << 1.0 << qRgb(253, 231, 37);
    QTest::newRow("plasma cold") << S::Plasma << 0.0 << qRgb(13, 8, 135);
    QTest::newRow("plasma warm") << S::Plasma << 1.0 << qRgb(240, 249, 33);
    QTest::newRow("inferno warm") << S::Inferno << 1.0 << qRgb(252, 255, 164);
    QTest::newRow("magma warm") << S::Magma << 1.0 << qRgb(252, 253, 191);
    QTest::newRow("cividis cold") << S::Cividis << 0.0 << qRgb(0, 34, 78);
    QTest::newRow("cividis warm") << S::Cividis << 1.0 << qRgb(254, 232, 56);
}

// The tables against colours the scales are known by.
void TestMapKind::scaleEnds()
{
    QFETCH(picture::ColourScale, scale);
    QFETCH(double, t);
    QFETCH(QRgb, colour);
    const QRgb got = picture::colourOnScale(scale, t);
    QVERIFY2(std::abs(qRed(got) - qRed(colour)) <= 1 && std::abs(qGreen(got) - qGreen(colour)) <= 1
                 && std::abs(qBlue(got) - qBlue(colour)) <= 1,
             qPrintable(u"got %1"_s.arg(got & 0xffffffu, 6, 16, QChar(u'0'))));
}

void TestMapKind::scaleKnots_data()
{
    QTest::addColumn<picture::ColourScale>("scale");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    // Sums of the channels at positions 0, 8, ... 248 and 255, from matplotlib's own listed
    // colour maps (its _cm_listed.py) times 255, rounded: one colour off by one shows.
    using S = picture::ColourScale;
    QTest::newRow("viridis") << S::Viridis << 2843 << 4520 << 3570;
    QTest::newRow("plasma") << S::Plasma << 5896 << 2892 << 3615;
    QTest::newRow("inferno") << S::Inferno << 5304 << 2840 << 2347;
    QTest::newRow("magma") << S::Magma << 5272 << 2787 << 3602;
    QTest::newRow("cividis") << S::Cividis << 4135 << 4191 << 3415;
    QTest::newRow("turbo") << S::Turbo << 4555 << 4772 << 3303;
}

void TestMapKind::scaleKnots()
{
    QFETCH(picture::ColourScale, scale);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    int sum[3] = {};
    for (int at = 0; at <= 256; at += 8) {
        const QRgb c = picture::colourOnScale(scale, std::min(at, 255) / 255.0);
        sum[0] += qRed(c);
        sum[1] += qGreen(c);
        sum[2] += qBlue(c);
    }
    QCOMPARE(sum[0], red);
    QCOMPARE(sum[1], green);
    QCOMPARE(sum[2], blue);
}

void TestMapKind::readingAlongScales_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<picture::ColourScale>("scale");
    QTest::addColumn<QList<int>>("greys"); // at x = 0, 64, 128, 192, 255 of the ramp
    using S = picture::ColourScale;
    // Ramps drawn by hand from the scales' known colours, cold on the left.
    auto ramp = [](const QList<QRgb> &stops) { return testimages::colourRamp({256, 8}, stops); };
    QTest::newRow("jet") << ramp(testimages::jetCorners())
                         << S::Jet << QList<int>{0, 48, 130, 215, 255};
    QTest::newRow("viridis") << ramp(testimages::viridisQuarters())
                             << S::Viridis << QList<int>{0, 64, 128, 192, 255};
    // plasma: #0d0887, #7e03a8, #cc4778, #f89540, #f0f921.
    QTest::newRow("plasma") << ramp({qRgb(13, 8, 135), qRgb(126, 3, 168), qRgb(204, 71, 120),
                                     qRgb(248, 149, 64), qRgb(240, 249, 33)})
                            << S::Plasma << QList<int>{0, 64, 128, 192, 255};
    // magma: #000004, #51127c, #b73779, #fc8961, #fcfdbf.
    QTest::newRow("magma") << ramp({qRgb(0, 0, 4), qRgb(81, 18, 124), qRgb(183, 55, 121),
                                    qRgb(252, 137, 97), qRgb(252, 253, 191)})
                           << S::Magma << QList<int>{0, 64, 128, 192, 255};
}

// A ramp along a scale reads as a grey ramp, warm end white, within a few greys.
void TestMapKind::readingAlongScales()
{
    QFETCH(QImage, picture);
    QFETCH(picture::ColourScale, scale);
    QFETCH(QList<int>, greys);
    QCOMPARE(picture::colourScaleOf(ui::fromQImage(picture)), std::optional(scale));
    const QImage shown = picture.copy();
    const picture::Image grey = picture::readAlongScale(ui::fromQImage(picture), scale);
    QCOMPARE(grey.format(), picture::Image::Format::Grayscale8);
    // A picture nothing else holds is read in place, to the same greys; one that is shared is
    // left as it was.
    picture::Image own = ui::fromQImage(picture);
    const uchar *const ownBits = own.constBits();
    const picture::Image inPlace = picture::readAlongScale(std::move(own), scale);
    QCOMPARE(inPlace.constBits(), ownBits);
    QCOMPARE(inPlace.format(), picture::Image::Format::Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        QCOMPARE(QByteArrayView(inPlace.constScanLine(y), grey.width()),
                 QByteArrayView(grey.constScanLine(y), grey.width()));
    QCOMPARE(picture, shown);
    const int xs[] = {0, 64, 128, 192, 255};
    for (int i = 0; i < 5; ++i)
        QVERIFY2(std::abs(qGray(grey.pixel(xs[i], 4)) - greys[i]) <= 8,
                 qPrintable(u"x %1: %2, not about %3"_s.arg(xs[i]).arg(qGray(grey.pixel(xs[i], 4)))
                                .arg(greys[i])));
}

void TestMapKind::conversions_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QList<int>>("levels"); // at the centre, halfway out, and a corner
    QTest::newRow("grey sphere")
        << sphereOnBlack({389, 333}, 150, {194, 166}, QImage::Format_Grayscale8)
        << QList<int>{15, 11, 0};
    QTest::newRow("16-bit sphere")
        << sphereOnBlack({389, 333}, 150, {194, 166}, QImage::Format_Grayscale16)
        << QList<int>{15, 11, 0};
    // The warm end near: a jet sphere on jet's cold end comes out as a hill, not a ring.
    QImage jet(389, 333, QImage::Format_RGB32);
    for (int y = 0; y < 333; ++y)
        for (int x = 0; x < 389; ++x)
            jet.setPixel(x, y, picture::colourOnScale(picture::ColourScale::Jet,
                                                      std::max(0.0, dome(std::hypot(x - 194, y - 166), 150))));
    QTest::newRow("jet sphere") << jet << QList<int>{15, 11, 0};
}

void TestMapKind::conversions()
{
    QFETCH(QImage, picture);
    QFETCH(QList<int>, levels);
    const picture::MapOfPicture made = picture::mapOfPicture(ui::fromQImage(picture));
    QVERIFY(made.converted);
    QCOMPARE(made.map.size(), picture::DepthMapSize);
    QCOMPARE(levelAt(made.map, 194, 166), levels[0]);
    QCOMPARE(levelAt(made.map, 194 + 106, 166), levels[1]);
    QCOMPARE(levelAt(made.map, 2, 2), levels[2]);
}

void TestMapKind::asIsKeepsTheLiteralColours()
{
    const QImage grey = sphereOnBlack({389, 333}, 150, {194, 166}, QImage::Format_RGB32);
    const picture::MapOfPicture made = picture::mapOfPicture(ui::fromQImage(grey), true);
    QVERIFY(!made.converted);
    QCOMPARE(made.verdict.kind, MapKind::Grey);
    QCOMPARE(ui::toQImage(made.map), grey);
}

void TestMapKind::printedPicturesReadBack_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<QPoint>("spoiled"); // a pixel of the print changed, or (-1, -1)
    QTest::addColumn<bool>("read");
    QTest::newRow("x2 as printed") << 2 << QPoint(-1, -1) << true;
    // Every pixel of every block is looked at, the first column of each row too.
    QTest::newRow("x2, first column, a block's second row") << 2 << QPoint(0, 1) << false;
    QTest::newRow("x3, a block's last pixel") << 3 << QPoint(5, 5) << false;
    QTest::newRow("x2, the last pixel") << 2 << QPoint(905, 665) << false;
}

void TestMapKind::printedPicturesReadBack()
{
    QFETCH(int, scale);
    QFETCH(QPoint, spoiled);
    QFETCH(bool, read);
    QImage stereogram(picture::StereogramSize, QImage::Format_RGB32);
    for (int y = 0; y < stereogram.height(); ++y)
        for (int x = 0; x < stereogram.width(); ++x)
            stereogram.setPixel(x, y, level((x * 7 + y * 3) % 16));
    picture::Image print = picture::printable(ui::fromQImage(stereogram), scale, false);
    QCOMPARE(print.size(), picture::StereogramSize * scale);
    if (spoiled.x() >= 0)
        print.setPixel(spoiled, qRgb(1, 2, 3));
    const std::optional<picture::Unprinted> back = picture::unprinted(print);
    QCOMPARE(back.has_value(), read);
    if (read) {
        QCOMPARE(back->scale, scale);
        QCOMPARE(ui::toQImage(back->stereogram.convertToFormat(picture::Image::Format::Rgb32)),
                 stereogram);
    }
}

QTEST_GUILESS_MAIN(TestMapKind)
#include "tst_mapkind.moc"
