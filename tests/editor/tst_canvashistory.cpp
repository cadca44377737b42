// SPDX-License-Identifier: MIT

#include "editor/canvashistory.h"

#include "ui/picturesurface.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using editor::CanvasHistory;

namespace {

struct Layers
{
    QImage persistent;
    QImage screen;
    bool operator==(const Layers &o) const
    {
        return persistent == o.persistent && screen == o.screen;
    }
};

Layers blank()
{
    const ui::PictureSurface s({389, 333}, 0, ui::PictureSurface::FillStyle::Solid);
    return {s.persistentImage(), s.screenImage()};
}

// One stroke of discs of level colours, as the pen paints them; on the screen layer only when
// `screenOnly`, as the canvas does with AutoRedraw off.
void paintStroke(ui::PictureSurface &s, QRandomGenerator &random, bool screenOnly)
{
    s.setAutoRedraw(!screenOnly);
    const ui::Colour colour = ui::QBColor(int(random.bounded(16)));
    s.setFillColor(colour);
    const float x = float(random.bounded(389)), y = float(random.bounded(333));
    for (int i = 0; i < 8; ++i)
        s.Circle(x + float(i * 6), y, 14, colour);
}

} // namespace

class TestCanvasHistory : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedoFollowTheSteps_data();
    void undoAndRedoFollowTheSteps();
    void memoryStaysWithinTheBudget_data();
    void memoryStaysWithinTheBudget();
    void undoTellsWhatChanged_data();
    void undoTellsWhatChanged();
};

// `script`: p a stroke, s a stroke drawn on the screen layer only, n a step that changes nothing,
// u undo, r redo. After every letter both layers must be exactly the state the script reached.
void TestCanvasHistory::undoAndRedoFollowTheSteps_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("undos");
    QTest::addColumn<int>("redos");
    QTest::newRow("three strokes, undo twice, redo once") << u"pppuur"_s << 2 << 1;
    QTest::newRow("a new step drops the redo steps") << u"ppupr"_s << 2 << 0;
    QTest::newRow("undo and redo past the ends do nothing") << u"puuurrr"_s << 1 << 0;
    QTest::newRow("screen layer comes back bit for bit") << u"spsuuurrr"_s << 3 << 0;
    QTest::newRow("a step that changes nothing is not kept") << u"npnu"_s << 0 << 1;
}

void TestCanvasHistory::undoAndRedoFollowTheSteps()
{
    QFETCH(QString, script);
    QFETCH(int, undos);
    QFETCH(int, redos);
    QRandomGenerator random(7);
    ui::PictureSurface canvas({389, 333}, 0, ui::PictureSurface::FillStyle::Solid);
    CanvasHistory history;
    QList<Layers> states{blank()};
    qsizetype at = 0;
    auto now = [&] { return Layers{canvas.persistentImage(), canvas.screenImage()}; };
    for (QChar c : script) {
        if (c == u'u' || c == u'r') {
            canvas.drawLayers([&](QImage &p, QImage &s) {
                return c == u'u' ? history.undo(p, s) : history.redo(p, s);
            });
            at = std::clamp<qsizetype>(at + (c == u'u' ? -1 : 1), 0, states.size() - 1);
        } else {
            history.begin(canvas.persistentImage(), canvas.screenImage());
            if (c != u'n')
                paintStroke(canvas, random, c == u's');
            if (history.commit(canvas.persistentImage(), canvas.screenImage())) {
                states.resize(++at);
                states.append(now());
            }
        }
        QVERIFY2(now() == states[at], qPrintable(u"after '%1'"_s.arg(c)));
    }
    QCOMPARE(history.undoCount(), undos);
    QCOMPARE(history.redoCount(), redos);
}

// `noise`: every step replaces the whole canvas with pixels that do not compress.
void TestCanvasHistory::memoryStaysWithinTheBudget_data()
{
    QTest::addColumn<qsizetype>("budget");
    QTest::addColumn<int>("steps");
    QTest::addColumn<bool>("noise");
    QTest::addColumn<bool>("keepsAll");
    QTest::newRow("200 strokes in 64 MB") << CanvasHistory::DefaultBudget << 202 << false << true;
    QTest::newRow("whole-canvas noise under 4 MB") << qsizetype(4 << 20) << 20 << true << false;
}

void TestCanvasHistory::memoryStaysWithinTheBudget()
{
    QFETCH(qsizetype, budget);
    QFETCH(int, steps);
    QFETCH(bool, noise);
    QFETCH(bool, keepsAll);
    QRandomGenerator random(11);
    ui::PictureSurface canvas({389, 333}, 0, ui::PictureSurface::FillStyle::Solid);
    CanvasHistory history(budget);
    QList<QImage> states{canvas.Image()};
    for (int i = 0; i < steps; ++i) {
        history.begin(canvas.persistentImage(), canvas.screenImage());
        if (noise) {
            canvas.drawPersistent([&](QImage &p) {
                random.fillRange(reinterpret_cast<quint32 *>(p.bits()), p.sizeInBytes() / 4);
                return p.rect();
            });
        } else {
            paintStroke(canvas, random, false);
        }
        // A stroke of the colour already there changes nothing and is no step.
        if (history.commit(canvas.persistentImage(), canvas.screenImage()))
            states.append(canvas.Image());
        QVERIFY(history.bytes() <= budget);
    }
    const int made = int(states.size()) - 1;
    QVERIFY(made >= steps - 2);
    if (keepsAll)
        QCOMPARE(history.undoCount(), made);
    else
        QVERIFY(history.undoCount() < made);
    qInfo("%d steps kept in %lld bytes", history.undoCount(), qlonglong(history.bytes()));
    // Undo reaches exactly as far back as the steps kept.
    const int reach = history.undoCount();
    while (history.canUndo())
        canvas.drawLayers([&](QImage &p, QImage &s) { return history.undo(p, s); });
    QCOMPARE(canvas.Image(), states[made - reach]);
    QVERIFY(history.bytes() <= budget);
}

// Undo and redo name the tiles they wrote, so that the screen shows them; nothing else.
void TestCanvasHistory::undoTellsWhatChanged_data()
{
    QTest::addColumn<QList<QPoint>>("pixels");
    QTest::addColumn<QRect>("changed");
    QTest::newRow("the first tile") << QList<QPoint>{{0, 0}} << QRect(0, 0, 32, 32);
    QTest::newRow("the second tile") << QList<QPoint>{{40, 5}} << QRect(32, 0, 32, 32);
    QTest::newRow("the last row of a tile") << QList<QPoint>{{63, 31}} << QRect(32, 0, 32, 32);
    QTest::newRow("the narrow corner tile") << QList<QPoint>{{388, 332}} << QRect(384, 320, 5, 13);
    QTest::newRow("two tiles apart") << QList<QPoint>{{5, 5}, {70, 40}} << QRect(0, 0, 96, 64);
}

void TestCanvasHistory::undoTellsWhatChanged()
{
    QFETCH(QList<QPoint>, pixels);
    QFETCH(QRect, changed);
    ui::PictureSurface canvas({389, 333}, 0, ui::PictureSurface::FillStyle::Solid);
    const QImage before = canvas.Image();
    CanvasHistory history;
    history.begin(canvas.persistentImage(), canvas.screenImage());
    canvas.drawPersistent([&](QImage &p) {
        for (const QPoint at : pixels)
            p.setPixel(at, 0xff00ff00);
        return p.rect();
    });
    const QImage after = canvas.Image();
    QVERIFY(history.commit(canvas.persistentImage(), canvas.screenImage()));
    QRect undone, redone;
    canvas.drawLayers([&](QImage &p, QImage &s) { return undone = history.undo(p, s); });
    QCOMPARE(undone, changed);
    QCOMPARE(canvas.Image(), before);
    canvas.drawLayers([&](QImage &p, QImage &s) { return redone = history.redo(p, s); });
    QCOMPARE(redone, changed);
    QCOMPARE(canvas.Image(), after);
    canvas.drawLayers([&](QImage &p, QImage &s) { return redone = history.redo(p, s); });
    QCOMPARE(redone, QRect());
}

QTEST_GUILESS_MAIN(TestCanvasHistory)
#include "tst_canvashistory.moc"
