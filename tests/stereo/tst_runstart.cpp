// SPDX-License-Identifier: MIT

#include "stereo/stereogramgenerator.h"

#include "picture/colour.h"

#include <QTest>

using stereo::Rnd;

namespace {

// A map of no level colour, with `level` painted at the pixels given.
picture::Image mapWith(QSize size, const QList<QPoint> &pixels, int level)
{
    picture::Image map(size, picture::Image::Format::Rgb32);
    map.fill(0xff0a141eu);
    for (const QPoint &p : pixels)
        map.setPixel(p, picture::toQRgb(picture::QBColor(level)));
    return map;
}

} // namespace

class TestRunStart : public QObject
{
    Q_OBJECT

private slots:
    void jump_data();
    void jump();
    void drawsPerRun_data();
    void drawsPerRun();
    void levelLeftBy_data();
    void levelLeftBy();
};

void TestRunStart::jump_data()
{
    // The states were worked out apart from this code, stepping x -> (1140671485 x + 12820163)
    // mod 2^24 one value at a time; counted the same way, the sequence's period is 2^24.
    QTest::addColumn<quint32>("state");
    QTest::addColumn<quint64>("distance");
    QTest::addColumn<quint32>("expected");
    const quint64 period = 1ull << 24;
    QTest::newRow("none") << 327680u << quint64(0) << 327680u;
    QTest::newRow("one") << 327680u << quint64(1) << 11837123u;
    QTest::newRow("two from 0") << 0u << quint64(2) << 6000250u;
    QTest::newRow("one run") << 327680u << quint64(20374) << 4915438u;
    QTest::newRow("from the top state") << 0xffffffu << quint64(123457) << 9399558u;
    QTest::newRow("full period") << 327680u << period << 327680u;
    QTest::newRow("period and one") << 99u << period + 1 << 11856282u;
    QTest::newRow("three periods and a run") << 327680u << 3 * period + 20374 << 4915438u;
    QTest::newRow("to run 1000000") << 327680u << quint64(999999) * 20374 << 6430562u;
}

void TestRunStart::jump()
{
    QFETCH(quint32, state);
    QFETCH(quint64, distance);
    QFETCH(quint32, expected);
    Rnd jumped(state);
    jumped.skip(distance);
    QCOMPARE(jumped.state(), expected);
    if (distance <= (1ull << 24) + 1) { // and the generator's own steps
        Rnd stepped(state);
        for (quint64 i = 0; i < distance; ++i)
            stepped.nextGrey();
        QCOMPARE(stepped.state(), expected);
    }
    if (state == Rnd::StartState && distance % 20374 == 0)
        QCOMPARE(stereo::runStart(distance / 20374 + 1, 7).state, expected);
}

void TestRunStart::drawsPerRun_data()
{
    QTest::addColumn<picture::Image>("map");
    QTest::newRow("no map") << picture::Image();
    QTest::newRow("small map") << mapWith({10, 10}, {{3, 3}}, 9);
    QTest::newRow("larger than read") << mapWith({600, 400}, {{500, 350}, {5, 5}}, 15);
}

// Whatever the map, a stereogram draws 61 x 334 values: counted one by one up to its state.
void TestRunStart::drawsPerRun()
{
    QFETCH(picture::Image, map);
    Rnd rnd;
    stereo::StereogramGenerator generator(rnd);
    picture::Image out(453, 333, picture::Image::Format::Rgb32);
    generator.make(map, out, 2);
    Rnd counted;
    int draws = 0;
    for (; counted.state() != rnd.state() && draws < 100000; ++draws)
        counted.nextGrey();
    QCOMPARE(draws, 20374);
}

void TestRunStart::levelLeftBy_data()
{
    QTest::addColumn<picture::Image>("map");
    QTest::addColumn<bool>("cross");
    QTest::addColumn<int>("level"); // -1: none, the level carried in goes on
    QTest::newRow("none") << mapWith({389, 333}, {}, 0) << false << -1;
    QTest::newRow("one pixel") << mapWith({389, 333}, {{200, 100}}, 5) << false << 5;
    QTest::newRow("crossed") << mapWith({389, 333}, {{200, 100}}, 5) << true << 10;
    picture::Image two = mapWith({389, 333}, {{388, 20}, {387, 332}}, 3);
    two.setPixel(0, 21, picture::toQRgb(picture::QBColor(12)));
    QTest::newRow("last row, rightmost") << two << false << 3;
    picture::Image wide = mapWith({454, 340}, {{100, 10}}, 6);
    wide.setPixel(390, 300, picture::toQRgb(picture::QBColor(2))); // beyond the columns read
    wide.setPixel(100, 334, picture::toQRgb(picture::QBColor(1))); // beyond the rows made
    QTest::newRow("outside what is read") << wide << false << 6;
}

// The level found, and the one the generator itself leaves, run from level 13.
void TestRunStart::levelLeftBy()
{
    QFETCH(picture::Image, map);
    QFETCH(bool, cross);
    QFETCH(int, level);
    QCOMPARE(stereo::levelLeftBy(map, cross).value_or(-1), level);
    if (cross)
        return;
    Rnd rnd;
    stereo::StereogramGenerator generator(rnd, 13);
    picture::Image out(453, 333, picture::Image::Format::Rgb32);
    generator.make(map, out, 2);
    QCOMPARE(int(generator.depthLevel()), level < 0 ? 13 : level);
}

QTEST_APPLESS_MAIN(TestRunStart)
#include "tst_runstart.moc"
