// SPDX-License-Identifier: MIT

#include "stereo/render.h"
#include "ui/qtimage.h"
#include "stereo/renderfile.h"

#include "../cli/clirun.h"
#include "picture/colour.h"

#include <QDir>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QCryptographicHash>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;
namespace R = stereo::render;

namespace {

R::DepthPlane flatPlane(int w, int h, quint16 z)
{
    R::DepthPlane p;
    p.width = w;
    p.height = h;
    p.z.assign(std::size_t(w) * std::size_t(h), z);
    return p;
}

// A plane whose depth at (x, y) is depthAt(x, y).
template<typename DepthAt>
R::DepthPlane planeOf(int w, int h, DepthAt depthAt)
{
    R::DepthPlane p = flatPlane(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.z[std::size_t(y) * std::size_t(w) + std::size_t(x)] = quint16(depthAt(x, y));
    return p;
}

QList<int> numbers(const QString &text)
{
    QList<int> out;
    for (const QString &n : text.split(u',', Qt::SkipEmptyParts))
        out << n.toInt();
    return out;
}

R::Settings smallSettings(QSize size)
{
    R::Settings s;
    s.size = size;
    return s;
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void separation_data();
    void separation();
    void separationInPixels_data();
    void separationInPixels();
    void readoutWarnings_data();
    void readoutWarnings();
    void eyePixels_data();
    void eyePixels();
    void thinNearObject_data();
    void thinNearObject();
    void onePartnerPerPixel_data();
    void onePartnerPerPixel();
    void patternIndex_data();
    void patternIndex();
    void depthPlane_data();
    void depthPlane();
    void smoothedDepth_data();
    void smoothedDepth();
    void rowsDependOnSeedAndRowOnly();
    void checkFigures_data();
    void checkFigures();
    void decodedDepth_data();
    void decodedDepth();
    void decodedDepthOfANarrowPicture();
    void fourRepeatingPixelsAreALink();
    void oversampledCheck();
    void checkOnASteepSlope_data();
    void checkOnASteepSlope();
    void noEchoAtAnEdge_data();
    void noEchoAtAnEdge();
    void sameBytes_data();
    void sameBytes();
    void settingsTravelInThePng();
    void pngAndBitmapAgree_data();
    void pngAndBitmapAgree();
    void cancelledLeavesNoFile_data();
    void cancelledLeavesNoFile();
    void workingBytesAt8K();
    void renderCommand_data();
    void renderCommand();
    void placement_data();
    void placement();
    void guideBand();
    void patternPicture_data();
    void patternPicture();
    void batchSeeds();
    void refused_data();
    void refused();
    void carriedSettings_data();
    void carriedSettings();
};

void TestRender::separation_data()
{
    QTest::addColumn<int>("z");
    QTest::addColumn<int>("eye");
    QTest::addColumn<int>("permille");
    QTest::addColumn<int>("expected");
    // (1 - mu z) E / (2 - mu z), worked out with a calculator and rounded.
    QTest::newRow("far, 96 dpi") << 0 << 240 << 333 << 120;        // 120.0
    QTest::newRow("near, 96 dpi") << 65535 << 240 << 333 << 96;    // 96.029
    QTest::newRow("half, 96 dpi") << 32768 << 240 << 333 << 109;   // 109.103
    QTest::newRow("quarter, 96 dpi") << 16384 << 240 << 333 << 115; // 114.788
    QTest::newRow("far, 300 dpi") << 0 << 750 << 333 << 375;
    QTest::newRow("near, 300 dpi") << 65535 << 750 << 333 << 300;  // 300.090
    QTest::newRow("half, 300 dpi") << 32768 << 750 << 333 << 341;  // 340.946
    QTest::newRow("near, x4") << 65535 << 960 << 333 << 384;       // 384.115
    QTest::newRow("one step, x4") << 1 << 960 << 333 << 480;       // 479.999
    QTest::newRow("near, mu 0.5") << 65535 << 600 << 500 << 200;
}

void TestRender::separation()
{
    QFETCH(int, z);
    QFETCH(int, eye);
    QFETCH(int, permille);
    QFETCH(int, expected);
    QCOMPARE(R::separationOf(z, eye, permille), expected);
}

void TestRender::separationInPixels_data()
{
    QTest::addColumn<int>("far");
    QTest::addColumn<int>("near");
    QTest::addColumn<int>("oversampling");
    QTest::addColumn<int>("z");
    QTest::addColumn<int>("expected");
    // E = 2 far, mu = 2 (far - near) / (2 far - near), then (1 - mu z) E / (2 - mu z) at the
    // virtual width, worked out with a calculator.
    QTest::newRow("far plane") << 100 << 80 << 1 << 0 << 100;
    QTest::newRow("near plane") << 100 << 80 << 1 << 65535 << 80;
    QTest::newRow("half") << 100 << 80 << 1 << 32768 << 91;       // 90.909
    QTest::newRow("half, x2") << 100 << 80 << 2 << 32768 << 182;  // 181.818
    QTest::newRow("60/45 half") << 60 << 45 << 1 << 32768 << 53;  // 53.333
    QTest::newRow("60/45 quarter, x3") << 60 << 45 << 3 << 16384 << 171; // 170.526
    QTest::newRow("200/110 three quarters") << 200 << 110 << 1 << 49152 << 139; // 139.325
}

void TestRender::separationInPixels()
{
    QFETCH(int, far);
    QFETCH(int, near);
    QFETCH(int, oversampling);
    QFETCH(int, z);
    QFETCH(int, expected);
    R::Geometry g;
    g.farPixels = far;
    g.nearPixels = near;
    g.oversampling = oversampling;
    g.dpi = 300; // no part in the separations
    QCOMPARE(R::separationOf(z, g), expected);
    R::Settings s;
    s.geometry = g;
    const R::Readout r = R::readoutOf(s);
    QCOMPARE(r.farPixels, double(far));
    QCOMPARE(r.nearPixels, double(near));
    QCOMPARE(qRound(r.farMm * 100), qRound(far * 2540.0 / 300));
    // What they stand for: eyes two far separations apart, and mu as above.
    QCOMPARE(qRound(r.eyeMm * 100), qRound(2 * far * 2540.0 / 300));
    QCOMPARE(qRound(r.depth * 1000), qRound(2000.0 * (far - near) / (2 * far - near)));
}

void TestRender::readoutWarnings_data()
{
    QTest::addColumn<int>("far");
    QTest::addColumn<int>("near");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("warnings");
    // At 96 dpi 40 mm are 151.2 pixels.
    QTest::newRow("none") << 100 << 55 << 200 << u""_s;
    QTest::newRow("near below 0.55 of far") << 100 << 54 << 200 << u"near"_s;
    QTest::newRow("far over 40 mm") << 152 << 100 << 304 << u"wide"_s;
    QTest::newRow("narrower than two far") << 100 << 80 << 199 << u"narrow"_s;
    QTest::newRow("seven steps") << 100 << 94 << 200 << u"steps"_s;
}

void TestRender::readoutWarnings()
{
    QFETCH(int, far);
    QFETCH(int, near);
    QFETCH(int, width);
    QFETCH(QString, warnings);
    R::Settings s = smallSettings({width, 50});
    s.geometry.farPixels = far;
    s.geometry.nearPixels = near;
    s.geometry.dpi = 96;
    const R::Readout r = R::readoutOf(s);
    QStringList got;
    for (const R::Readout::Warning w : r.warnings)
        got << std::array{u"near"_s, u"wide"_s, u"narrow"_s, u"steps"_s}[std::size_t(w)];
    QCOMPARE(got.join(u','), warnings);
    QCOMPARE(r.depthSteps, far - near + 1);
}

void TestRender::eyePixels_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("microns");
    QTest::addColumn<int>("oversampling");
    QTest::addColumn<int>("expected");
    QTest::newRow("2.5 in at 96 dpi") << 96 << 63500 << 1 << 240;
    QTest::newRow("2.5 in at 300 dpi") << 300 << 63500 << 1 << 750;
    QTest::newRow("2.5 in at 96 dpi x4") << 96 << 63500 << 4 << 960;
    QTest::newRow("65 mm at 72 dpi") << 72 << 65000 << 1 << 184; // 184.25
    QTest::newRow("65 mm at 72 dpi x6") << 72 << 65000 << 6 << 1106; // 1105.5 rounds up
}

void TestRender::eyePixels()
{
    QFETCH(int, dpi);
    QFETCH(int, microns);
    QFETCH(int, oversampling);
    QFETCH(int, expected);
    R::Geometry g;
    g.dpi = dpi;
    g.eyeMicrons = microns;
    g.oversampling = oversampling;
    QCOMPARE(R::eyePixels(g), expected);
}

void TestRender::thinNearObject_data()
{
    QTest::addColumn<int>("objectAt");
    QTest::addColumn<QString>("unlinkedLeftEnds");
    QTest::addColumn<int>("nearLeft");
    QTest::addColumn<int>("nearRight");
    // A far wall 60 pixels wide, E = 40 (far separation 20, near 16), one near pixel. The rays
    // of far points within 3 pixels of it pass through it (z_t = 19680 t reaches 65535 only at
    // t = 4), so those points are not linked; the near pixel links its own pair.
    QTest::newRow("in the middle") << 30 << u"17,18,19,20,21,23"_s << 22 << 38;
    QTest::newRow("off the middle") << 25 << u"12,13,14,15,16,18"_s << 17 << 33;
}

void TestRender::thinNearObject()
{
    QFETCH(int, objectAt);
    QFETCH(QString, unlinkedLeftEnds);
    QFETCH(int, nearLeft);
    QFETCH(int, nearRight);
    std::vector<quint16> z(60, 0);
    z[std::size_t(objectAt)] = 65535;
    R::Links links;
    R::linkRow(z.data(), 60, 40, 333, links);
    const QList<int> unlinked = numbers(unlinkedLeftEnds);
    for (int l = 0; l + 20 < 60; ++l) {
        if (l == nearLeft)
            QCOMPARE(links.right[std::size_t(l)], nearRight);
        else if (unlinked.contains(l))
            QCOMPARE(links.right[std::size_t(l)], l);
        else
            QCOMPARE(links.right[std::size_t(l)], l + 20); // the wall: pairs about l + 10
    }
    QCOMPARE(links.left[std::size_t(nearRight)], nearLeft);
}

void TestRender::onePartnerPerPixel_data()
{
    QTest::addColumn<QString>("row"); // depth in tenths, one digit a pixel
    QTest::addColumn<int>("eye");
    QTest::newRow("flat far") << u"0000000000000000000000000000000000000000"_s << 16;
    QTest::newRow("step up") << u"0000000000000000000099999999999999999999"_s << 24;
    QTest::newRow("step down") << u"9999999999999999999900000000000000000000"_s << 24;
    QTest::newRow("thin near") << u"0000000000000000000900000000000000000000"_s << 30;
    QTest::newRow("ramp") << u"0123456789987654321001234567899876543210"_s << 20;
    QTest::newRow("comb") << u"0909090909090909090909090909090909090909"_s << 18;
    QTest::newRow("wide eyes") << u"0000033333999990000099999333330000055555"_s << 36;
}

void TestRender::onePartnerPerPixel()
{
    QFETCH(QString, row);
    QFETCH(int, eye);
    std::vector<quint16> z;
    for (const QChar c : row)
        z.push_back(quint16((c.unicode() - u'0') * 65535 / 9));
    const int n = int(z.size());
    R::Links links;
    R::linkRow(z.data(), n, eye, 333, links);
    int pairs = 0;
    for (int x = 0; x < n; ++x) {
        const int l = links.left[std::size_t(x)];
        const int r = links.right[std::size_t(x)];
        QVERIFY(l <= x && r >= x);
        if (l != x)
            QCOMPARE(links.right[std::size_t(l)], x); // the pair is one link both ways
        if (r != x) {
            QCOMPARE(links.left[std::size_t(r)], x);
            ++pairs;
            // The pair stands about a point whose depth gives exactly its separation.
            const int s = r - x;
            const int centre = x + s / 2;
            QCOMPARE(R::separationOf(z[std::size_t(centre)], eye, 333), s);
        }
    }
    QVERIFY(pairs > 0);
}

void TestRender::patternIndex_data()
{
    QTest::addColumn<int>("vx");
    QTest::addColumn<int>("y");
    QTest::addColumn<QPoint>("expected");
    // Tile 20 x 30, the middle at 100, 6 rows down a refill.
    QTest::newRow("the middle") << 100 << 7 << QPoint(0, 7);
    QTest::newRow("first tile") << 119 << 7 << QPoint(19, 7);
    QTest::newRow("first refill") << 125 << 7 << QPoint(5, 13);
    QTest::newRow("left of the middle") << 99 << 7 << QPoint(19, 1);
    QTest::newRow("a tile left, wraps up") << 80 << 3 << QPoint(0, 27);
    QTest::newRow("five refills wrap") << 203 << 4 << QPoint(3, 4);
    QTest::newRow("bottom row wraps") << 121 << 29 << QPoint(1, 5);
}

void TestRender::patternIndex()
{
    QFETCH(int, vx);
    QFETCH(int, y);
    QFETCH(QPoint, expected);
    QCOMPARE(R::patternIndex(vx, y, 100, 20, 30, 6), expected);
}

void TestRender::depthPlane_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("invert");
    QTest::addColumn<bool>("noData");
    QTest::addColumn<int>("farGrey"); // -1: the end
    QTest::addColumn<int>("nearGrey");
    QTest::addColumn<int>("expected");
    // A picture of level colours only is read as levels: n * 4369.
    QTest::newRow("level 15") << QColor(255, 255, 255) << false << false << -1 << -1 << 65535;
    QTest::newRow("level 5") << QColor(128, 0, 128) << false << false << -1 << -1 << 21845;
    QTest::newRow("level 0") << QColor(0, 0, 0) << false << false << -1 << -1 << 0;
    // Any other colour makes the picture grey: 8-bit grey g is g * 257, not quantised.
    QTest::newRow("grey 100") << QColor(100, 100, 100) << false << false << -1 << -1 << 25700;
    QTest::newRow("grey 100 inverted") << QColor(100, 100, 100) << true << false << -1 << -1
                                       << 39835;
    QTest::newRow("grey 100 no data") << QColor(100, 100, 100) << false << true << -1 << -1 << 0;
    // Transparency is far: composited on black where white is near, on white where black is.
    QTest::newRow("grey 200 half transparent") << QColor(200, 200, 200, 128) << false << false
                                               << -1 << -1 << 25801;
    QTest::newRow("grey 200 half transparent inverted")
        << QColor(200, 200, 200, 128) << true << false << -1 << -1 << 7095;
    // Greys 50 to 200 spread over the whole depth: 100 is a third of the way, 220 is past near.
    QTest::newRow("grey 100 of 50-200") << QColor(100, 100, 100) << false << false << 50 << 200
                                        << 21845;
    QTest::newRow("grey 220 of 50-200") << QColor(220, 220, 220) << false << false << 50 << 200
                                        << 65535;
}

void TestRender::depthPlane()
{
    QFETCH(QColor, colour);
    QFETCH(bool, invert);
    QFETCH(bool, noData);
    QFETCH(int, farGrey);
    QFETCH(int, nearGrey);
    QFETCH(int, expected);
    using Format = picture::Image::Format;
    picture::Image picture(4, 2, colour.alpha() < 255 ? Format::Argb32 : Format::Rgb32);
    picture.fill(0xff000000u);
    picture.setPixel(1, 1, colour.rgba());
    picture::LevelsSettings settings;
    settings.invert = invert;
    if (noData)
        settings.noData = 100;
    using Kind = picture::Bound::Kind;
    if (farGrey >= 0)
        settings.farGrey = {Kind::Value, farGrey};
    if (nearGrey >= 0)
        settings.nearGrey = {Kind::Value, nearGrey};
    const R::DepthPlane plane = R::depthPlaneOf(picture, settings);
    QCOMPARE(plane.width, 4);
    QCOMPARE(int(plane.at(1, 1)), expected);
    // The same in the first column: every column decides whether the picture is of levels.
    picture.fill(0xff000000u);
    picture.setPixel(0, 1, colour.rgba());
    QCOMPARE(int(R::depthPlaneOf(picture, settings).at(0, 1)), expected);
}

void TestRender::smoothedDepth_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("grey");
    // Greys 10, 20, ... 120 row by row, 4 x 3; the median of each 3 x 3 neighbourhood inside the
    // picture, the upper of the two middle ones where there are four.
    QTest::newRow("top left") << QPoint(0, 0) << 50;      // 10 20 50 60
    QTest::newRow("top right") << QPoint(3, 0) << 70;     // 30 40 70 80
    QTest::newRow("inside") << QPoint(1, 1) << 60;        // 10 20 30 50 60 70 90 100 110
    QTest::newRow("bottom right") << QPoint(3, 2) << 110; // 70 80 110 120
    QTest::newRow("bottom left") << QPoint(0, 2) << 90;   // 50 60 90 100
}

void TestRender::smoothedDepth()
{
    QFETCH(QPoint, at);
    QFETCH(int, grey);
    picture::Image picture(4, 3, picture::Image::Format::Rgb32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            picture.setPixel(x, y, qRgb(10 * (y * 4 + x + 1), 10 * (y * 4 + x + 1), 10 * (y * 4 + x + 1)));
    picture::LevelsSettings settings;
    settings.smooth = 1;
    QCOMPARE(int(R::depthPlaneOf(picture, settings).at(at.x(), at.y())), grey * 257);
}

void TestRender::rowsDependOnSeedAndRowOnly()
{
    R::Settings s = smallSettings({300, 60});
    R::DepthPlane flat = flatPlane(300, 60, 0);
    R::DepthPlane bumped = flat;
    for (int y = 40; y < 60; ++y)
        for (int x = 100; x < 200; ++x)
            bumped.z[std::size_t(y * 300 + x)] = 50000;
    const picture::Image a = R::renderImage(flat, s);
    const picture::Image b = R::renderImage(bumped, s);
    QCOMPARE(R::renderImage(flat, s), a); // the same every time
    for (int y = 0; y < 40; ++y)
        QVERIFY2(a.copy(0, y, 300, 1) == b.copy(0, y, 300, 1), qPrintable(QString::number(y)));
    QVERIFY(a.copy(0, 50, 300, 1) != b.copy(0, 50, 300, 1));
    // A taller picture of the same seed begins with the same rows.
    R::Settings taller = s;
    taller.size = {300, 90};
    QCOMPARE(R::renderImage(flatPlane(300, 60, 0), taller).copy(0, 0, 300, 10),
             R::renderImage(flatPlane(300, 60, 0), s).copy(0, 0, 300, 10));
    R::Settings other = s;
    other.seed = 2;
    QVERIFY(R::renderImage(flat, other) != a);
}

void TestRender::checkFigures_data()
{
    QTest::addColumn<QString>("spoil");
    QTest::addColumn<bool>("withDepth");
    QTest::addColumn<qint64>("linked");
    QTest::addColumn<qint64>("exact");
    QTest::addColumn<qint64>("wrong");
    QTest::addColumn<qint64>("echo");
    QTest::addColumn<qint64>("echoRegions");
    // A flat far picture 400 x 40 at 96 dpi: each row's pixels from 120 on repeat the one 120
    // to their left, so 280 a row are linked.
    QTest::newRow("as made") << u"none"_s << true << 11200LL << 11200LL << 0LL << 0LL << 0LL;
    // A 10 x 10 block painted red: its pixels and those 120 to their right lose their link.
    QTest::newRow("a wrong link") << u"paint"_s << true << 11200LL << 11000LL << 200LL << 0LL
                                  << 0LL;
    // A 30 x 10 block copied 100 to the right: there the eyes find 100, not 120.
    QTest::newRow("an echo") << u"copy"_s << true << 11200LL << 10900LL << 300LL << 300LL << 1LL;
    // Two pixels a row, in three rows, that also repeat 118 to their left, every link kept: a
    // chance match narrower than a window is no echo.
    QTest::newRow("chance repeats") << u"chance"_s << true << 11200LL << 11200LL << 0LL << 0LL
                                    << 0LL;
    QTest::newRow("as made, no depth") << u"none"_s << false << 0LL << 0LL << 0LL << 0LL << 0LL;
    // A blank picture repeats at every separation the check tries, 95 (the near 96 less 1) to
    // 121: each pixel from x = 97 on matches at two more than a dot apart, 303 a row.
    QTest::newRow("blank, no depth") << u"blank"_s << false << 0LL << 0LL << 0LL << 12120LL << 1LL;
}

void TestRender::checkFigures()
{
    QFETCH(QString, spoil);
    QFETCH(bool, withDepth);
    QFETCH(qint64, linked);
    QFETCH(qint64, exact);
    QFETCH(qint64, wrong);
    QFETCH(qint64, echo);
    QFETCH(qint64, echoRegions);
    const R::Settings s = smallSettings({400, 40});
    const R::DepthPlane depth = flatPlane(400, 40, 0);
    picture::Image picture = R::renderImage(depth, s);
    if (spoil == u"paint"_s) {
        for (int y = 10; y < 20; ++y)
            for (int x = 200; x < 210; ++x)
                picture.setPixel(x, y, qRgb(255, 0, 0));
    } else if (spoil == u"blank"_s) {
        picture.fill(qRgb(255, 255, 255));
    } else if (spoil == u"chance"_s) {
        // Columns 82 and 83 take the colours of 80 and 81, in every pixel that repeats them.
        for (int y = 19; y < 22; ++y)
            for (int x = 82; x < 400; x += 120)
                for (int d = 0; d < 2; ++d)
                    picture.setPixel(x + d, y, picture.pixel(x - 2 + d, y));
    } else if (spoil == u"copy"_s) {
        for (int y = 10; y < 20; ++y)
            for (int x = 200; x < 230; ++x)
                picture.setPixel(x + 100, y, picture.pixel(x, y));
    }
    const R::CheckResult r = R::check(picture, s, withDepth ? &depth : nullptr);
    QCOMPARE(r.pixels, 16000);
    QCOMPARE(r.linked, linked);
    QCOMPARE(r.exact, exact);
    QCOMPARE(r.wrong, wrong);
    QCOMPARE(r.echo, echo);
    QCOMPARE(r.echoRegions, echoRegions);
    if (withDepth) {
        QCOMPARE(r.inputSteps, 1);
        QCOMPARE(r.outputSteps, 1);
    }
}

void TestRender::decodedDepth_data()
{
    QTest::addColumn<int>("z");
    QTest::addColumn<int>("grey");
    // E = 240, mu = 0.333: a separation s decodes as (E - 2 s) / (mu (E - s)), times 255.
    QTest::newRow("far, 120") << 0 << 0;
    QTest::newRow("near, 96") << 65535 << 255;          // 48 / 47.952, clamped
    QTest::newRow("half, 109") << 32768 << 129;         // 22 / 43.623 = 0.5043
}

// A flat plane decodes as its grey from 120 pixels in; where nothing repeats, dark red.
void TestRender::decodedDepth()
{
    QFETCH(int, z);
    QFETCH(int, grey);
    const R::Settings s = smallSettings({400, 40});
    const picture::Image decoded =
        R::decodedDepth(R::renderImage(flatPlane(400, 40, quint16(z)), s), s);
    QCOMPARE(decoded.size(), QSize(400, 40));
    QCOMPARE(decoded.pixel(300, 20), qRgb(grey, grey, grey));
    QCOMPARE(decoded.pixel(10, 20), qRgb(160, 0, 0));
}

// A picture 96 pixels wide, as wide as the near separation: the one separation left to try,
// 95, repeats nowhere, and the decoding says so rather than showing nothing.
void TestRender::decodedDepthOfANarrowPicture()
{
    const R::Settings s = smallSettings({96, 40});
    const picture::Image decoded = R::decodedDepth(R::renderImage(flatPlane(96, 40, 0), s), s);
    QCOMPARE(decoded.size(), QSize(96, 40));
    QCOMPARE(decoded.pixel(95, 20), qRgb(160, 0, 0));
    // Narrower still, no separation is left to try: there is no decoding.
    const R::Settings narrower = smallSettings({50, 40});
    QVERIFY(R::decodedDepth(R::renderImage(flatPlane(50, 40, 0), narrower), narrower).isNull());
}

// One row where nothing repeats but four pixels, copies of those 120 to their left: for dots of
// colour four are enough to be read as a link (far: black); the rest repeats nowhere.
void TestRender::fourRepeatingPixelsAreALink()
{
    const R::Settings s = smallSettings({400, 1});
    QCOMPARE(s.pattern == R::Pattern::BlackWhite, false);
    picture::Image picture(400, 1, picture::Image::Format::Rgb32);
    QRandomGenerator random(5);
    for (int x = 0; x < 400; ++x)
        picture.setPixel(x, 0, random.generate() | 0xff000000u);
    for (int x = 300; x < 304; ++x)
        picture.setPixel(x, 0, picture.pixel(x - 120, 0));
    const picture::Image decoded = R::decodedDepth(picture, s);
    QCOMPARE(decoded.pixel(301, 0), qRgb(0, 0, 0));
    QCOMPARE(decoded.pixel(310, 0), qRgb(160, 0, 0));
}

// At x2 the far plane's separation is 240 virtual pixels, 120 output pixels, and the decoding
// finds it to well within a pixel.
void TestRender::oversampledCheck()
{
    R::Settings s = smallSettings({400, 40});
    s.geometry.oversampling = 2;
    const R::DepthPlane depth = flatPlane(400, 40, 0);
    const R::CheckResult r = R::check(R::renderImage(depth, s), s, &depth);
    qInfo("sub-pixel error %.4f", r.subpixelError);
    QCOMPARE(r.linked, 11200);
    QVERIFY(r.subpixelError < 0.25);
    // A blank picture repeats alike at every separation: nothing is refined away from the one
    // intended.
    picture::Image blank(400, 40, picture::Image::Format::Rgb32);
    blank.fill(qRgb(255, 255, 255));
    const R::CheckResult b = R::check(blank, s, &depth);
    qInfo("blank: sub-pixel error %.4f", b.subpixelError);
    QCOMPARE(b.subpixelError, 0.0);
}

void TestRender::sameBytes_data()
{
    QTest::addColumn<int>("oversampling");
    QTest::addColumn<bool>("cross");
    QTest::addColumn<QByteArray>("md5");
    // A ramp from far to near under a near block, 300 x 16 in grey dots: the pictures this
    // version makes, which no later one nor another machine may change.
    QTest::newRow("x1") << 1 << false << "9d55b2a2a6ea3717fde9767c13040e44"_ba;
    QTest::newRow("x1, cross-eyed") << 1 << true << "b97bdb06ed626150aca9ef23e7b40a4c"_ba;
    QTest::newRow("x2") << 2 << false << "21509a083898250b48c7220e7b57d34c"_ba;
    QTest::newRow("x3") << 3 << false << "e157c7ae65ee3e377b8ad1f7b27779ef"_ba;
    QTest::newRow("x4") << 4 << false << "f21d55f8b2ebb83a61e2969028641753"_ba;
    QTest::newRow("x6") << 6 << false << "146fd4d6f8240ca98708450347469586"_ba;
    QTest::newRow("x8, cross-eyed") << 8 << true << "de650270018c3aec521d0054276d211d"_ba;
}

void TestRender::sameBytes()
{
    QFETCH(int, oversampling);
    QFETCH(bool, cross);
    QFETCH(QByteArray, md5);
    constexpr int W = 300, H = 16;
    const R::DepthPlane plane = planeOf(W, H, [](int x, int y) {
        return y >= 6 && y < 10 && x >= 150 && x < 200 ? 60000 : x * 200;
    });
    R::Settings s = smallSettings({W, H});
    s.pattern = R::Pattern::Grey;
    s.geometry.oversampling = oversampling;
    s.cross = cross;
    const picture::Image image = R::renderImage(plane, s);
    QCryptographicHash hash(QCryptographicHash::Md5);
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(image.constScanLine(y)),
                                    qsizetype(W) * 4));
    QCOMPARE(hash.result().toHex(), md5);
}

void TestRender::noEchoAtAnEdge_data()
{
    QTest::addColumn<int>("pattern");
    QTest::addColumn<int>("oversampling");
    QTest::newRow("bw") << int(R::Pattern::BlackWhite) << 1;
    QTest::newRow("grey") << int(R::Pattern::Grey) << 1;
    QTest::newRow("bw, x2") << int(R::Pattern::BlackWhite) << 2;
}

// A near block on the far plane: where the block begins, the far plane's run of matches goes on
// by chance for a pixel or two (every other pixel, with two colours). That is the far surface
// seen to its edge, not a second depth.
void TestRender::noEchoAtAnEdge()
{
    QFETCH(int, pattern);
    QFETCH(int, oversampling);
    constexpr int W = 400, H = 40;
    const R::DepthPlane plane = planeOf(W, H, [](int x, int y) {
        return y >= 10 && y < 30 && x >= 200 && x < 300 ? 30000 : 0;
    });
    R::Settings s = smallSettings({W, H});
    s.pattern = R::Pattern(pattern);
    s.geometry.oversampling = oversampling;
    const R::CheckResult r = R::check(R::renderImage(plane, s), s, &plane);
    if (oversampling == 1)
        QCOMPARE(r.exact, r.linked);
    QCOMPARE(r.echo, 0);
}

void TestRender::checkOnASteepSlope_data()
{
    QTest::addColumn<int>("pattern");
    QTest::addColumn<int>("slope"); // depth steps a pixel, from x = 120 on
    QTest::addColumn<bool>("spoil");
    QTest::addColumn<int>("fewest");
    QTest::addColumn<int>("most"); // wrong pixels
    const int grey = int(R::Pattern::Grey), bw = int(R::Pattern::BlackWhite);
    // Falling from near to far: linked pixels alone between free ones.
    QTest::newRow("falling, grey") << grey << -2000 << false << 0 << 0;
    // The pixel, and the one that repeats it where it is also a left image.
    QTest::newRow("falling, grey, spoiled") << grey << -2000 << true << 1 << 2;
    QTest::newRow("falling, bw") << bw << -2000 << false << 0 << 0;
    // Two-colour windows are 32 pixels: one pixel spoils the windows that hold it.
    QTest::newRow("falling, bw, spoiled") << bw << -2000 << true << 1 << 64;
    // Rising from far to near: the separation jumps by 2 from one linked pixel to the next.
    QTest::newRow("rising, grey") << grey << 2000 << false << 0 << 0;
    // The short stretch that holds the pixel (under a window of 4), and the pixel repeating it.
    QTest::newRow("rising, grey, spoiled") << grey << 2000 << true << 1 << 4;
    QTest::newRow("rising, bw") << bw << 2000 << false << 0 << 0;
}

// A steep slope leaves too few linked pixels at one separation for any window; each is still
// exact, and a spoiled one is found.
void TestRender::checkOnASteepSlope()
{
    QFETCH(int, pattern);
    QFETCH(int, slope);
    QFETCH(bool, spoil);
    QFETCH(int, fewest);
    QFETCH(int, most);
    constexpr int W = 300, H = 6;
    const R::DepthPlane plane = planeOf(W, H, [slope](int x, int) {
        return std::clamp((slope < 0 ? 65535 : 0) + (x - 120) * slope, 0, 65535);
    });
    R::Settings s = smallSettings({W, H});
    s.pattern = R::Pattern(pattern);
    // The row's links: the pixels this test is about, lone linked ones or ones whose separation
    // differs from their linked neighbour's by 2 or more (the first kept to spoil).
    R::Links links;
    R::linkRow(plane.z.data(), W, R::eyePixels(s.geometry), s.geometry.depthPermille, links);
    const auto &left = links.left;
    int found = 0, first = -1;
    for (int x = 1; x + 1 < W; ++x) {
        const bool lone = left[x] != x && left[x - 1] == x - 1 && left[x + 1] == x + 1;
        const bool jump = left[x] != x && left[x - 1] != x - 1
                          && std::abs((x - left[x]) - (x - 1 - left[x - 1])) > 1;
        if (slope < 0 ? lone : jump) {
            ++found;
            if (first < 0)
                first = x;
        }
    }
    QVERIFY2(found >= 8, qPrintable(QString::number(found)));
    picture::Image picture = R::renderImage(plane, s);
    if (spoil) {
        const QRgb partner = picture.pixel(left[first], 2);
        picture.setPixel(first, 2, partner == qRgb(0, 0, 0) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
    const R::CheckResult r = R::check(picture, s, &plane);
    QVERIFY2(r.wrong >= fewest && r.wrong <= most, qPrintable(QString::number(r.wrong)));
    QCOMPARE(r.exact + r.wrong, r.linked);
}

void TestRender::settingsTravelInThePng()
{
    R::Settings s = smallSettings({200, 50});
    s.geometry = {300, 65000, 400, 2};
    s.placement = R::Placement::Fill;
    s.pattern = R::Pattern::BlackWhite;
    s.density = 30;
    s.dotSize = 3;
    s.guides = true;
    s.cross = true;
    s.seed = 4000000000u;
    const QByteArray png = R::encodeRender(flatPlane(10, 10, 0), s, R::FileFormat::Png);
    const auto back = R::settingsOfFile(png);
    QVERIFY(back);
    QCOMPARE(R::settingsText(*back), R::settingsText(s));
    QCOMPARE(back->size, QSize(200, 50));
    QCOMPARE(back->geometry, s.geometry);
    QVERIFY(back->guides && back->cross);
    QCOMPARE(back->seed, 4000000000u);
    QVERIFY(!R::settingsOfFile(R::encodeRender(flatPlane(10, 10, 0), s, R::FileFormat::Bmp)));
    // They are looked for before the picture's data only: moved behind it, they are not read.
    const qsizetype text = png.indexOf("tEXt") - 4;
    QVERIFY(text > 8 && text < png.indexOf("IDAT"));
    const qsizetype length = qFromBigEndian<quint32>(png.constData() + text) + 12;
    QByteArray moved = png;
    const QByteArray chunk = moved.mid(text, length);
    moved.remove(text, length);
    moved.insert(moved.indexOf("IEND") - 4, chunk);
    QVERIFY(!R::settingsOfFile(moved));
    // Another program's text chunk before them is passed over.
    const QByteArray comment("Comment\0made elsewhere", 22);
    QByteArray commentChunk(4, '\0');
    qToBigEndian<quint32>(quint32(comment.size()), commentChunk.data());
    commentChunk += "tEXt" + comment + QByteArray(4, '\0');
    QByteArray commented = png;
    commented.insert(8, commentChunk);
    const auto found = R::settingsOfFile(commented);
    QVERIFY(found);
    QCOMPARE(R::settingsText(*found), R::settingsText(s));
    // A file cut inside the chunk, before its CRC, is not trusted for them either.
    QVERIFY(!R::settingsOfFile(png.left(text + length - 4)));
}

void TestRender::pngAndBitmapAgree_data()
{
    QTest::addColumn<int>("pattern");
    QTest::addColumn<int>("oversampling");
    QTest::addColumn<bool>("guides");
    QTest::addColumn<int>("pngDepth"); // bits a pixel of the PNG read back
    QTest::newRow("bw") << int(R::Pattern::BlackWhite) << 1 << true << 1;
    QTest::newRow("bw x2: greys") << int(R::Pattern::BlackWhite) << 2 << false << 8;
    QTest::newRow("grey, guides") << int(R::Pattern::Grey) << 1 << true << 8;
    QTest::newRow("red x3") << int(R::Pattern::Red) << 3 << false << 8;
    // Black and white guide marks are in no tint's palette.
    QTest::newRow("blue, guides") << int(R::Pattern::Blue) << 1 << true << 32;
    QTest::newRow("green x2, guides") << int(R::Pattern::Green) << 2 << true << 32;
    QTest::newRow("colour x4") << int(R::Pattern::Colour) << 4 << false << 32;
}

void TestRender::pngAndBitmapAgree()
{
    QFETCH(int, pattern);
    QFETCH(int, oversampling);
    QFETCH(bool, guides);
    QFETCH(int, pngDepth);
    R::Settings s = smallSettings({160, 40});
    s.pattern = R::Pattern(pattern);
    s.geometry.oversampling = oversampling;
    s.guides = guides;
    R::DepthPlane plane = flatPlane(160, 40, 0);
    for (int y = 10; y < 30; ++y)
        for (int x = 50; x < 110; ++x)
            plane.z[std::size_t(y * 160 + x)] = quint16(x * 500);
    const picture::Image png =
        ui::fromQImage(QImage::fromData(R::encodeRender(plane, s, R::FileFormat::Png)));
    const picture::Image bmp =
        ui::fromQImage(QImage::fromData(R::encodeRender(plane, s, R::FileFormat::Bmp)));
    QCOMPARE(png.depth(), pngDepth);
    QCOMPARE(png.size(), QSize(160, 40 + R::guideBandHeight(s)));
    QCOMPARE(png.convertToFormat(picture::Image::Format::Rgb32),
             bmp.convertToFormat(picture::Image::Format::Rgb32));
    if (guides) // the band's marks are black on white
        QCOMPARE(png.pixel(80 - 60, R::guideBandHeight(s) / 2), qRgb(0, 0, 0));
}

void TestRender::cancelledLeavesNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("png") << u"a.png"_s;
    QTest::newRow("bmp") << u"a.bmp"_s;
    QTest::newRow("webp") << u"a.webp"_s;
}

void TestRender::cancelledLeavesNoFile()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const R::Settings s = smallSettings({200, 100});
    const auto format = *R::fileFormatOfName(path);
    // Cancelled after 40 rows: the file there before stays as it was.
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    std::atomic<bool> cancel{false};
    int rows = 0;
    QVERIFY(!R::writeRender(flatPlane(20, 10, 0), s, path, format, &cancel, [&](int done, int) {
        rows = done;
        cancel = done >= 40;
    }));
    QCOMPARE(rows, 64);
    QCOMPARE(fileBytes(path), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    cancel = false;
    QVERIFY(R::writeRender(flatPlane(20, 10, 0), s, path, format, &cancel));
    QVERIFY(fileBytes(path).size() > 100);
}

void TestRender::workingBytesAt8K()
{
    R::Settings s = smallSettings({7680, 4320});
    s.geometry.oversampling = 4;
    // 30720 virtual pixels of depth (2), partners (4 + 4) and colour (4); the 7680-pixel output
    // row; the separations of 65536 depths.
    QCOMPARE(R::workingBytes(s), 30720LL * 14 + 7680 * 4 + 65536 * 4);
}

void TestRender::renderCommand_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("depth"); // the picture's bits a pixel when read back
    QTest::newRow("png, tint") << QStringList{} << u"a.png"_s << QSize(640, 200) << 8;
    QTest::newRow("png, bw") << QStringList{u"--pattern"_s, u"bw"_s} << u"b.png"_s
                             << QSize(640, 200) << 1;
    QTest::newRow("png, colour") << QStringList{u"--pattern"_s, u"colour"_s} << u"c.png"_s
                                 << QSize(640, 200) << 32;
    QTest::newRow("bmp, guides") << QStringList{u"--guides"_s} << u"d.bmp"_s << QSize(640, 224)
                                 << 32;
    QTest::newRow("separations in pixels")
        << QStringList{u"--far-px"_s, u"110"_s, u"--near-px"_s, u"88"_s} << u"f.png"_s
        << QSize(640, 200) << 8;
    QTest::newRow("mm at 300 dpi") << QStringList{u"--dpi"_s, u"300"_s, u"--size"_s,
                                                  u"60x20mm"_s}
                                   << u"e.png"_s << QSize(709, 236) << 8;
}

void TestRender::renderCommand()
{
    QFETCH(QStringList, options);
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(int, depth);
    QTemporaryDir dir;
    // The map at the picture's size, so that no step is smoothed into separations a pixel wide.
    picture::Image map(640, 200, picture::Image::Format::Rgb32);
    map.fill(picture::toQRgb(picture::QBColor(0)));
    for (int y = 40; y < 160; ++y)
        for (int x = 200; x < 440; ++x)
            map.setPixel(x, y, picture::toQRgb(picture::QBColor(12)));
    const QString mapPath = dir.filePath(u"map.png"_s);
    QVERIFY(ui::toQImage(map).save(mapPath));
    const QString out = dir.filePath(name);
    QStringList words{u"render"_s, u"-q"_s, u"--size"_s, u"640x200"_s};
    words << options << mapPath << u"-o"_s << out;
    const CliResult first = runCli(words);
    QCOMPARE(first.status, 0);
    const QByteArray bytes = fileBytes(out);
    const picture::Image read = ui::fromQImage(QImage::fromData(bytes));
    QCOMPARE(read.size(), size);
    QCOMPARE(read.depth(), depth);
    // Again: the very same bytes.
    QCOMPARE(runCli(words).status, 0);
    QCOMPARE(fileBytes(out), bytes);
    if (name.endsWith(u".png"_s)) {
        const CliResult checked = runCli({u"check"_s, out, mapPath});
        QCOMPARE(checked.status, 0);
        QVERIFY2(checked.out.contains(u"(100.000 %)"_s),
                 qPrintable(checked.out));
        // reveal writes the depth map where -o says.
        const QString depthMap = dir.filePath(u"depth of %1"_s.arg(name));
        QCOMPARE(runCli({u"reveal"_s, out, u"-o"_s, depthMap}).status, 0);
        QVERIFY(QFileInfo::exists(depthMap));
    } else {
        // A BMP carries no settings: check says so and what to give.
        const CliResult checked = runCli({u"check"_s, out});
        QCOMPARE(checked.status, 1);
        QVERIFY(checked.err.contains(u"carries no settings"_s));
    }
}

void TestRender::placement_data()
{
    QTest::addColumn<QString>("plane");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("placement");
    QTest::addColumn<int>("oversampling");
    QTest::addColumn<bool>("cross");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("expected");
    // A plane of two pixels, far and near, on a 4 x 4 picture. Bilinear at pixel centres: the
    // source position of output x is (x + 0.5) * 2 / placed width - 0.5, clamped to the plane.
    const QString farNear = u"0,65535"_s;
    const QSize square(4, 4);
    // stretch: positions -0.25, 0.25, 0.75, 1.25.
    QTest::newRow("stretch") << farNear << square << 0 << 1 << false << 0
                             << u"0,16384,49151,65535"_s;
    QTest::newRow("stretch, near to far") << u"65535,0"_s << square << 0 << 1 << false << 0
                                          << u"65535,49151,16384,0"_s;
    // fit: 4 x 2 placed in the middle rows; the margin is far.
    QTest::newRow("fit, margin") << farNear << square << 1 << 1 << false << 0 << u"0,0,0,0"_s;
    QTest::newRow("fit, inside") << farNear << square << 1 << 1 << false << 1
                                 << u"0,16384,49151,65535"_s;
    QTest::newRow("fit, cross-eyed") << farNear << square << 1 << 1 << true << 1
                                     << u"65535,49151,16384,0"_s;
    QTest::newRow("fit, cross-eyed margin") << farNear << square << 1 << 1 << true << 3
                                            << u"65535,65535,65535,65535"_s;
    // fill: 8 x 4 placed from x = -2: positions 0.125, 0.375, 0.625, 0.875.
    QTest::newRow("fill") << farNear << square << 2 << 1 << false << 2
                          << u"8192,24576,40959,57343"_s;
    // x2: eight virtual columns, positions -0.375 to 1.375 in steps of 0.25.
    QTest::newRow("stretch x2") << farNear << square << 0 << 2 << false << 0
                                << u"0,0,8192,24576,40959,57343,65535,65535"_s;
    // One to one: the plane's own values, inverted or not.
    QTest::newRow("one to one") << farNear << QSize(2, 3) << 1 << 1 << false << 1
                                << u"0,65535"_s;
    QTest::newRow("one to one, cross-eyed") << farNear << QSize(2, 3) << 1 << 1 << true << 1
                                            << u"65535,0"_s;
    // Fit into 4 x 2: one to one, a column of margin either side; cross-eyed, far is 65535.
    QTest::newRow("fit, side margins, cross-eyed")
        << u"0,65535;0,65535"_s << QSize(4, 2) << 1 << 1 << true << 0 << u"65535,65535,0,65535"_s;
    // Two rows, far over near, stretched to four: row 1 stands a quarter of the way down.
    QTest::newRow("between rows") << u"0,0;65535,65535"_s << QSize(2, 4) << 0 << 1 << false << 1
                                  << u"16384,16384"_s;
}

void TestRender::placement()
{
    QFETCH(QString, plane);
    QFETCH(QSize, size);
    QFETCH(int, placement);
    QFETCH(int, oversampling);
    QFETCH(bool, cross);
    QFETCH(int, row);
    QFETCH(QString, expected);
    R::DepthPlane depth;
    const QStringList rows = plane.split(u';');
    depth.width = 2;
    depth.height = int(rows.size());
    for (const QString &line : rows)
        for (const QString &value : line.split(u','))
            depth.z.push_back(quint16(value.toUInt()));
    R::Settings s = smallSettings(size);
    s.placement = std::array{R::Placement::Stretch, R::Placement::Fit,
                             R::Placement::Fill}[std::size_t(placement)];
    s.geometry.oversampling = oversampling;
    s.cross = cross;
    const R::Sampler sampler(depth, s);
    std::vector<quint16> z(static_cast<std::size_t>(sampler.virtualWidth()));
    sampler.row(row, z.data());
    QStringList got;
    for (const quint16 v : z)
        got << QString::number(v);
    QCOMPARE(got.join(u','), expected);
}

void TestRender::guideBand()
{
    R::Settings s = smallSettings({400, 40});
    s.guides = true;
    QCOMPARE(R::guideBandHeight(s), 24); // a quarter inch at 96 dpi
    const picture::Image image = R::renderImage(flatPlane(400, 40, 0), s);
    QCOMPARE(image.size(), QSize(400, 64));
    // Two dots of radius 4 on row 12, centred 120 apart (the far separation) about x = 200.
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    for (const auto &[x, y, colour] : {std::tuple{140, 12, black}, std::tuple{260, 12, black},
                                      std::tuple{144, 12, black}, std::tuple{145, 12, white},
                                      std::tuple{140, 16, black}, std::tuple{140, 17, white},
                                      std::tuple{200, 12, white}, std::tuple{0, 0, white}})
        QCOMPARE(image.pixel(x, y), colour);
}

void TestRender::patternPicture_data()
{
    QTest::addColumn<QColor>("colour"); // of the pattern picture; invalid: none given
    QTest::newRow("an orange picture") << QColor(255, 140, 0);
    // A file's settings name the picture pattern without the picture: dots instead.
    QTest::newRow("no picture") << QColor();
}

void TestRender::patternPicture()
{
    QFETCH(QColor, colour);
    R::Settings s = smallSettings({300, 20});
    s.pattern = R::Pattern::Picture;
    if (colour.isValid()) {
        s.patternPicture = picture::Image(16, 16, picture::Image::Format::Rgb32);
        s.patternPicture.fill(colour.rgb());
    }
    const picture::Image image = R::renderImage(flatPlane(300, 20, 0), s);
    QCOMPARE(image.size(), QSize(300, 20));
    if (colour.isValid())
        for (const int x : {0, 150, 299})
            QCOMPARE(image.pixel(x, 10), colour.rgb());
}

void TestRender::batchSeeds()
{
    QTemporaryDir dir;
    picture::Image map(64, 36, picture::Image::Format::Grayscale8);
    map.fill(40);
    const QString a = dir.filePath(u"a.png"_s);
    const QString b = dir.filePath(u"b.png"_s);
    QVERIFY(ui::toQImage(map).save(a) && ui::toQImage(map).save(b));
    QCOMPARE(runCli({u"render"_s, u"-q"_s, u"--size"_s, u"300x60"_s, u"--seed"_s, u"5"_s, a, b,
                     u"-o"_s, dir.filePath(u"{name}-out.png"_s)})
                 .status,
             0);
    QCOMPARE(runCli({u"render"_s, u"-q"_s, u"--size"_s, u"300x60"_s, u"--seed"_s, u"6"_s, b,
                     u"-o"_s, dir.filePath(u"alone.png"_s)})
                 .status,
             0);
    // The second picture of the batch is made from seed + 1; the maps are alike, the dots not.
    QCOMPARE(fileBytes(dir.filePath(u"b-out.png"_s)), fileBytes(dir.filePath(u"alone.png"_s)));
    QVERIFY(fileBytes(dir.filePath(u"a-out.png"_s)).size() > 1000);
    QVERIFY(QImage(dir.filePath(u"a-out.png"_s)) != QImage(dir.filePath(u"b-out.png"_s)));

    // A slice of the batch: picture 2 alone, under its batch name and from its batch seed.
    const QString slices = dir.filePath(u"slice"_s);
    QVERIFY(QDir().mkpath(slices));
    QCOMPARE(runCli({u"render"_s, u"-q"_s, u"--size"_s, u"300x60"_s, u"--seed"_s, u"5"_s,
                     u"--runs"_s, u"2-2"_s, a, b, u"-o"_s, slices + u"/{name}-out.png"_s})
                 .status,
             0);
    QCOMPARE(QDir(slices).entryList(QDir::Files), QStringList{u"b-out.png"_s});
    QCOMPARE(fileBytes(slices + u"/b-out.png"_s), fileBytes(dir.filePath(u"b-out.png"_s)));
}

void TestRender::refused_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("says");
    QTest::newRow("oversampling 5") << QStringList{u"--oversample"_s, u"5"_s} << u"o.png"_s
                                    << u"--oversample takes 1, 2, 3, 4, 6 or 8"_s;
    QTest::newRow("too wide") << QStringList{u"--size"_s, u"20000x100"_s} << u"o.png"_s
                              << u"--size takes WxH"_s;
    QTest::newRow("eyes too close") << QStringList{u"--eye"_s, u"5mm"_s} << u"o.png"_s
                                    << u"--eye takes a length"_s;
    QTest::newRow("unknown format") << QStringList{} << u"o.jpg"_s << u"must end in .png"_s;
    QTest::newRow("webp too large") << QStringList{u"--size"_s, u"5000x3000"_s} << u"o.webp"_s
                                    << u"a WebP is written whole"_s;
    QTest::newRow("guides too tall") << QStringList{u"--size"_s, u"100x16384"_s, u"--guides"_s}
                                     << u"o.png"_s << u"taller than 16384"_s;
    QTest::newRow("far without near") << QStringList{u"--far-px"_s, u"100"_s} << u"o.png"_s
                                      << u"give both --far-px and --near-px"_s;
    QTest::newRow("near not below far")
        << QStringList{u"--far-px"_s, u"100"_s, u"--near-px"_s, u"100"_s} << u"o.png"_s
        << u"--near-px takes a whole number from 1 to 99"_s;
    QTest::newRow("far too wide") << QStringList{u"--far-px"_s, u"9000"_s, u"--near-px"_s, u"10"_s}
                                  << u"o.png"_s << u"--far-px takes a whole number from 2 to 8192"_s;
    QTest::newRow("pixels and eyes") << QStringList{u"--far-px"_s, u"100"_s, u"--near-px"_s,
                                                    u"80"_s, u"--eye"_s, u"60mm"_s}
                                     << u"o.png"_s << u"not both"_s;
}

void TestRender::refused()
{
    QFETCH(QStringList, options);
    QFETCH(QString, output);
    QFETCH(QString, says);
    QTemporaryDir dir;
    picture::Image map(8, 8, picture::Image::Format::Grayscale8);
    map.fill(0);
    const QString mapPath = dir.filePath(u"m.png"_s);
    QVERIFY(ui::toQImage(map).save(mapPath));
    const CliResult r = runCli(QStringList{u"render"_s} + options
                               + QStringList{mapPath, u"-o"_s, dir.filePath(output)});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
    QVERIFY(!QFile::exists(dir.filePath(output)));
}

void TestRender::carriedSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("read");
    const QString good = u"zomvorn-render 1 size=640x200 dpi=96 eye-um=63500 depth-permille=333 "
                         "oversampling=2 placement=fill pattern=bw density=40 dot=2 guides=1 "
                         "cross=0 seed=9"_s;
    QTest::newRow("as written") << good << true;
    QTest::newRow("another version") << QString(good).replace(u"render 1"_s, u"render 2"_s) << false;
    // A picture's own text must not make check or reveal work without bound.
    QTest::newRow("dpi beyond the options") << QString(good).replace(u"dpi=96"_s, u"dpi=10000"_s)
                                            << false;
    QTest::newRow("eyes a metre apart")
        << QString(good).replace(u"eye-um=63500"_s, u"eye-um=1000000"_s) << false;
    QTest::newRow("oversampling 5") << QString(good).replace(u"oversampling=2"_s, u"oversampling=5"_s)
                                    << false;
    QTest::newRow("too wide") << QString(good).replace(u"size=640x200"_s, u"size=16385x200"_s)
                              << false;
    QTest::newRow("unknown pattern") << QString(good).replace(u"pattern=bw"_s, u"pattern=x"_s)
                                     << false;
    QTest::newRow("no value") << good + u" seed"_s << false;
    QTest::newRow("separations in pixels") << good + u" far-px=110 near-px=90"_s << true;
    QTest::newRow("far without near") << good + u" far-px=110"_s << false;
    QTest::newRow("near not below far") << good + u" far-px=90 near-px=90"_s << false;
    QTest::newRow("far beyond the options") << good + u" far-px=9000 near-px=90"_s << false;
    // The ends of the ranges the options take.
    QTest::newRow("dpi 4800") << QString(good).replace(u"dpi=96"_s, u"dpi=4800"_s) << true;
    QTest::newRow("dpi 4801") << QString(good).replace(u"dpi=96"_s, u"dpi=4801"_s) << false;
    QTest::newRow("density 0") << QString(good).replace(u"density=40"_s, u"density=0"_s) << true;
    QTest::newRow("dot 0") << QString(good).replace(u"dot=2"_s, u"dot=0"_s) << false;
    // Words of later versions are passed over, one without a name too.
    QTest::newRow("unknown words") << good + u" later=1 =5"_s << true;
}

void TestRender::carriedSettings()
{
    QFETCH(QString, text);
    QFETCH(bool, read);
    R::Settings s;
    QCOMPARE(R::settingsFromText(text, s), read);
    if (!read)
        return;
    if (QTest::currentDataTag() == "as written"_ba) {
        QCOMPARE(s.size, QSize(640, 200));
        QCOMPARE(s.geometry.oversampling, 2);
        QCOMPARE(s.placement, R::Placement::Fill);
        QCOMPARE(s.pattern, R::Pattern::BlackWhite);
        QCOMPARE(s.density, 40);
        QCOMPARE(s.dotSize, 2);
        QVERIFY(s.guides && !s.cross);
        QCOMPARE(s.seed, 9u);
    }
    if (!text.contains(u"later"_s))
        QCOMPARE(R::settingsText(s), text);
}

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
