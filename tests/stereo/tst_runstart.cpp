// SPDX-License-Identifier: MIT

#include "stereo/stereogramgenerator.h"

#include "picture/colour.h"

#include <QTest>

#include <optional>

using stereo::Rnd;

namespace {

QRgb levelRgb(int level)
{
    return picture::toQRgb(picture::QBColor(level));
}

constexpr QRgb OffPalette = 0xff0a141eu; // no level colour

// A map of no level colour, with `level` painted at the pixels given.
QImage mapWith(QSize size, const QList<QPoint> &pixels, int level)
{
    QImage map(size, QImage::Format_RGB32);
    map.fill(OffPalette);
    for (const QPoint &p : pixels)
        map.setPixel(p, levelRgb(level));
    return map;
}

} // namespace

class TestRunStart : public QObject
{
    Q_OBJECT

private slots:
    void jumpIsStepping_data();
    void jumpIsStepping();
    void jumpLiterals_data();
    void jumpLiterals();
    void drawsPerRun_data();
    void drawsPerRun();
    void levelLeftBy_data();
    void levelLeftBy();
    void levelLeftByIsTheGenerators_data();
    void levelLeftByIsTheGenerators();
};

void TestRunStart::jumpIsStepping_data()
{
    QTest::addColumn<quint32>("state");
    QTest::addColumn<quint64>("distance");
    const quint64 period = 1ull << 24;
    QTest::newRow("none") << Rnd::StartState << quint64(0);
    QTest::newRow("one") << Rnd::StartState << quint64(1);
    QTest::newRow("two") << quint32(0) << quint64(2);
    QTest::newRow("one run") << Rnd::StartState << quint64(20374);
    QTest::newRow("odd distance, top state") << quint32(0xffffff) << quint64(123457);
    QTest::newRow("full period") << Rnd::StartState << period;
    QTest::newRow("period and one") << quint32(99) << period + 1;
    QTest::newRow("three periods and a run") << Rnd::StartState << 3 * period + 20374;
}

void TestRunStart::jumpIsStepping()
{
    QFETCH(quint32, state);
    QFETCH(quint64, distance);
    Rnd stepped(state);
    for (quint64 i = 0; i < distance; ++i)
        stepped.nextGrey();
    Rnd jumped(state);
    jumped.skip(distance);
    QCOMPARE(jumped.state(), stepped.state());
}

void TestRunStart::jumpLiterals_data()
{
    // Worked out by stepping x -> (1140671485 x + 12820163) mod 2^24 one value at a time, apart
    // from this code; the sequence's period, 2^24, was counted the same way.
    QTest::addColumn<quint64>("run");
    QTest::addColumn<quint32>("state");
    QTest::newRow("run 1") << quint64(1) << quint32(327680);
    QTest::newRow("run 2") << quint64(2) << quint32(4915438);
    QTest::newRow("run 1000") << quint64(1000) << quint32(14783186);
    QTest::newRow("run 1000000") << quint64(1000000) << quint32(6430562);
    QTest::newRow("run 1000000 a period later")
        << quint64(1000000) + (1ull << 24) << quint32(6430562);
}

void TestRunStart::jumpLiterals()
{
    QFETCH(quint64, run);
    QFETCH(quint32, state);
    QCOMPARE(stereo::runStart(run, 7).state, state);
    QCOMPARE(stereo::runStart(run, 7).level, qint16(7));
}

void TestRunStart::drawsPerRun_data()
{
    QTest::addColumn<QImage>("map");
    QTest::newRow("no map") << QImage();
    QTest::newRow("small map") << mapWith({10, 10}, {{3, 3}}, 9);
    QTest::newRow("no level colour") << mapWith({389, 333}, {}, 0);
    QImage noisy(389, 333, QImage::Format_RGB32);
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, levelRgb((x * 7 + y * 3) % 16));
    QTest::newRow("noisy") << noisy;
    QTest::newRow("wider and taller than read") << mapWith({600, 400}, {{500, 350}, {5, 5}}, 15);
}

void TestRunStart::drawsPerRun()
{
    QFETCH(QImage, map);
    Rnd rnd;
    stereo::StereogramGenerator generator(rnd);
    QImage out(453, 333, QImage::Format_RGB32);
    generator.make(map, out, 2);
    Rnd counted;
    int draws = 0;
    while (counted.state() != rnd.state() && draws < 100000) {
        counted.nextGrey();
        ++draws;
    }
    QCOMPARE(draws, 20374);
    QCOMPARE(stereo::RandomValuesPerRun, quint64(20374));
}

void TestRunStart::levelLeftBy_data()
{
    QTest::addColumn<QImage>("map");
    QTest::addColumn<bool>("cross");
    QTest::addColumn<int>("level"); // -1: none
    QTest::newRow("none") << mapWith({389, 333}, {}, 0) << false << -1;
    QTest::newRow("only one pixel") << mapWith({389, 333}, {{200, 100}}, 5) << false << 5;
    QTest::newRow("crossed") << mapWith({389, 333}, {{200, 100}}, 5) << true << 10;
    QTest::newRow("black is level 0") << mapWith({389, 333}, {{0, 0}}, 0) << false << 0;
    QImage two = mapWith({389, 333}, {{388, 20}}, 3);
    two.setPixel(0, 21, levelRgb(12));
    QTest::newRow("later row wins over a later column") << two << false << 12;
    QImage row = mapWith({389, 333}, {{10, 332}}, 4);
    row.setPixel(11, 332, levelRgb(8));
    QTest::newRow("rightmost of the last row") << row << false << 8;
    QImage wide = mapWith({454, 340}, {{100, 10}}, 6);
    wide.setPixel(390, 300, levelRgb(2)); // beyond the columns read
    wide.setPixel(100, 334, levelRgb(1)); // beyond the rows made
    QTest::newRow("outside what is read") << wide << false << 6;
    QTest::newRow("no picture") << QImage() << false << -1;
    QImage indexed = mapWith({40, 30}, {{39, 29}}, 11).convertToFormat(QImage::Format_Indexed8);
    QTest::newRow("indexed picture") << indexed << false << 11;
}

void TestRunStart::levelLeftBy()
{
    QFETCH(QImage, map);
    QFETCH(bool, cross);
    QFETCH(int, level);
    QCOMPARE(stereo::levelLeftBy(map, cross).value_or(-1), level);
}

void TestRunStart::levelLeftByIsTheGenerators_data()
{
    QTest::addColumn<QImage>("map");
    QTest::addColumn<qint16>("carried");
    QTest::newRow("none: carried goes on") << mapWith({389, 333}, {}, 0) << qint16(13);
    QTest::newRow("top rows only") << mapWith({389, 333}, {{3, 0}, {300, 40}}, 9) << qint16(2);
    QImage bands = mapWith({389, 333}, {}, 0);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 389; ++x)
            bands.setPixel(x, y, levelRgb((x / 25 + y / 50) % 16));
    QTest::newRow("bands above empty rows") << bands << qint16(0);
}

// The generator itself, run from the level carried in, leaves the level found.
void TestRunStart::levelLeftByIsTheGenerators()
{
    QFETCH(QImage, map);
    QFETCH(qint16, carried);
    Rnd rnd;
    stereo::StereogramGenerator generator(rnd, carried);
    QImage out(453, 333, QImage::Format_RGB32);
    generator.make(map, out, 2);
    QCOMPARE(generator.depthLevel(), stereo::levelLeftBy(map).value_or(carried));
}

QTEST_APPLESS_MAIN(TestRunStart)
#include "tst_runstart.moc"
