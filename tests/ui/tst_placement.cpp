// SPDX-License-Identifier: MIT

#include "ui/placement.h"

#include <QTest>

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void placeBeside_data();
    void placeBeside();
};

// Frames as the window manager reports them. The main window is 400 × 560, the editor 700 × 500,
// both centred as they open; the views: 立体の確認 405 × 400, プレビュー 469 × 400, 見やすく表示
// at ×2 930 × 780 and at ×4 1834 × 1500.
void TestPlacement::placeBeside_data()
{
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QRect>("other");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QList<QRect>>("tools");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<bool>("shrunk");
    QTest::addColumn<bool>("covers");

    const QRect big(0, 0, 1600, 1200);
    const QRect laptop(0, 0, 1280, 800);
    QTest::newRow("1600x1200, main window: right of it")
        << QSize(405, 400) << QRect(600, 300, 400, 560) << QRect() << big << QList<QRect>()
        << QRect(1008, 300, 405, 400) << false << false;
    QTest::newRow("1600x1200, editor: narrowed to the right strip")
        << QSize(469, 400) << QRect(450, 350, 700, 500) << QRect(600, 300, 400, 560) << big << QList<QRect>()
        << QRect(1158, 350, 442, 400) << true << false;
    QTest::newRow("1600x1200, x4 viewing: the right strip, screen high")
        << QSize(1834, 1500) << QRect(600, 300, 400, 560) << QRect() << big << QList<QRect>()
        << QRect(1008, 0, 592, 1200) << true << false;
    QTest::newRow("1600x1200, main window at the right: left of it")
        << QSize(405, 400) << QRect(1100, 100, 400, 560) << QRect() << big << QList<QRect>()
        << QRect(687, 100, 405, 400) << false << false;
    QTest::newRow("1280x800, editor: narrowed to the right strip")
        << QSize(405, 420) << QRect(290, 150, 700, 500) << QRect(440, 120, 400, 560) << laptop << QList<QRect>()
        << QRect(998, 150, 282, 420) << true << false;
    QTest::newRow("1280x800, x2 viewing: right strip, raised into the screen")
        << QSize(930, 780) << QRect(440, 120, 400, 560) << QRect() << laptop << QList<QRect>()
        << QRect(848, 20, 432, 780) << true << false;
    QTest::newRow("1280x800 under a panel, x4 viewing")
        << QSize(1834, 1500) << QRect(440, 140, 400, 560) << QRect() << QRect(0, 27, 1280, 773) << QList<QRect>()
        << QRect(848, 27, 432, 773) << true << false;
    QTest::newRow("1280x800, a wide window: below it")
        << QSize(405, 400) << QRect(100, 0, 1080, 300) << QRect() << laptop << QList<QRect>()
        << QRect(100, 308, 405, 400) << false << false;
    // 42 pixels below it are too few: above it, at full size.
    QTest::newRow("1280x800, a wide window low down: above it")
        << QSize(405, 400) << QRect(100, 500, 1080, 250) << QRect() << laptop << QList<QRect>()
        << QRect(100, 92, 405, 400) << false << false;
    QTest::newRow("no free place: inside the screen, over the window")
        << QSize(405, 400) << QRect(0, 0, 1280, 800) << QRect() << laptop << QList<QRect>()
        << QRect(875, 0, 405, 400) << false << true;
    QTest::newRow("right taken by another tool window: left")
        << QSize(469, 400) << QRect(600, 300, 400, 560) << QRect() << big
        << QList<QRect>{QRect(1008, 300, 405, 400)} << QRect(123, 300, 469, 400) << false << false;
    QTest::newRow("both sides taken: below")
        << QSize(405, 400) << QRect(600, 300, 400, 560) << QRect() << big
        << QList<QRect>{QRect(1008, 300, 405, 400), QRect(123, 300, 469, 400)}
        << QRect(600, 868, 405, 332) << true << false;
    QTest::newRow("no place clear of the tool windows: beside the window over them")
        << QSize(405, 400) << QRect(100, 0, 1080, 300) << QRect() << laptop
        << QList<QRect>{QRect(0, 300, 1280, 500)} << QRect(100, 308, 405, 400) << false << false;
    QTest::newRow("screen at an offset, right of the window")
        << QSize(300, 200) << QRect(1700, 100, 400, 300) << QRect() << QRect(1600, 0, 1280, 800) << QList<QRect>()
        << QRect(2108, 100, 300, 200) << false << false;
}

void TestPlacement::placeBeside()
{
    QFETCH(QSize, wanted);
    QFETCH(QRect, anchor);
    QFETCH(QRect, other);
    QFETCH(QRect, available);
    QFETCH(QList<QRect>, tools);
    QFETCH(QRect, frame);
    QFETCH(bool, shrunk);
    QFETCH(bool, covers);
    const ui::Placement placed = ui::placeBeside(wanted, anchor, other, available, 8, tools);
    QCOMPARE(placed.frame, frame);
    QCOMPARE(placed.shrunk, shrunk);
    QCOMPARE(placed.covers, covers);
    QVERIFY(available.contains(placed.frame));
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "tst_placement.moc"
