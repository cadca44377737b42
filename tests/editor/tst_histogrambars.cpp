// SPDX-License-Identifier: MIT

#include "editor/histogrambars.h"

#include <QList>
#include <QTest>

class TestHistogramBars : public QObject
{
    Q_OBJECT

private slots:
    void heights_data();
    void heights();
};

using Counts = QList<int>;

// Counts of the first levels (the rest are 0), the heights expected in 62 pixels, and the bar
// cut short.
void TestHistogramBars::heights_data()
{
    QTest::addColumn<Counts>("counts");
    QTest::addColumn<Counts>("heights");
    QTest::addColumn<int>("cut");
    QTest::newRow("nothing") << Counts{} << Counts{} << -1;
    QTest::newRow("one level") << Counts{0, 0, 0, 500} << Counts{0, 0, 0, 62} << -1;
    QTest::newRow("even") << Counts{100, 50} << Counts{62, 31} << -1;
    QTest::newRow("four times is not swamping") << Counts{400, 100} << Counts{62, 15} << -1;
    QTest::newRow("black background swamps")
        << Counts{10000, 100, 50, 0, 25} << Counts{62, 31, 15, 0, 7} << 0;
    QTest::newRow("swamping bar in the middle")
        << Counts{30, 60, 0, 0, 0, 0, 0, 0, 90000} << Counts{15, 31, 0, 0, 0, 0, 0, 0, 62} << 8;
    QTest::newRow("a used level stays visible") << Counts{124000, 100000, 1} << Counts{62, 50, 1}
                                                << -1;
    QTest::newRow("one pixel beside a million") << Counts{1000000, 1} << Counts{62, 31} << 0;
}

void TestHistogramBars::heights()
{
    QFETCH(Counts, counts);
    QFETCH(Counts, heights);
    QFETCH(int, cut);
    std::array<int, 16> in{};
    std::copy(counts.begin(), counts.end(), in.begin());
    const editor::HistogramBars bars = editor::histogramBars(in, 62);
    Counts got(bars.heights.begin(), bars.heights.end());
    heights.resize(16);
    QCOMPARE(got, heights);
    QCOMPARE(bars.cut, cut);
}

QTEST_GUILESS_MAIN(TestHistogramBars)
#include "tst_histogrambars.moc"
