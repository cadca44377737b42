// SPDX-License-Identifier: MIT

#include "support/testimages.h"

#include "editor/draftlist.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDraftList : public QObject
{
    Q_OBJECT

private slots:
    void description_data();
    void description();
    void thumbnailKeepsTheLevelColours();
    void offersNewestFirstWithTheirDamage();
};

void TestDraftList::description_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("line");
    const QString at = u"2026/12/09 17:05 に保存、"_s;
    QTest::newRow("a few bytes") << qint64(60) << at + u"60 バイト"_s;
    QTest::newRow("just under a KB") << qint64(1023) << at + u"1023 バイト"_s;
    QTest::newRow("one KB") << qint64(1024) << at + u"1 KB"_s;
    QTest::newRow("rounded up") << qint64(1025) << at + u"2 KB"_s;
    QTest::newRow("a painted canvas") << qint64(12345) << at + u"13 KB"_s;
}

void TestDraftList::description()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, line);
    const QDateTime written(QDate(2026, 12, 9), QTime(17, 5, 41), Qt::LocalTime);
    QCOMPARE(editor::draftDescription(written, bytes), line);
}

// Every fourth pixel, never a blend: a thumbnail shows only colours of the canvas.
void TestDraftList::thumbnailKeepsTheLevelColours()
{
    const QImage canvas = testimages::shapeMap();
    const QImage small = editor::draftThumbnail(canvas);
    QCOMPARE(small.size(), QSize(98, 84));
    QSet<QRgb> seen;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            seen.insert(canvas.pixel(x, y));
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            QVERIFY(seen.contains(small.pixel(x, y)));
    QVERIFY(editor::draftThumbnail(QImage()).isNull());
}

// Three drafts left by ended instances, one of them cut short: all three offered, newest first,
// with their sizes on disk; the damaged one with its reason and no canvas. Once the offers are
// let go, the next start finds them all again.
void TestDraftList::offersNewestFirstWithTheirDamage()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"drafts"_s);
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        editor::DraftStore ended(folder);
        ended.setSource([] { return testimages::shapeMap(); });
        ended.changed();
        ended.flush();
        paths << ended.draftPath();
    }
    QVERIFY(QFile::resize(paths[1], QFileInfo(paths[1]).size() - 5));
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < 3; ++i) {
        QFile file(paths[i]);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(now.addSecs(-600 * (i + 1)), QFileDevice::FileModificationTime));
    }
    {
        editor::DraftStore store(folder);
        const QList<editor::DraftOffer> offers =
            editor::takeDraftOffers(store, testimages::CanvasSize);
        QCOMPARE(offers.size(), 3);
        QStringList order;
        for (const editor::DraftOffer &offer : offers)
            order << offer.orphan.path;
        QCOMPARE(order, paths);
        QCOMPARE(offers[0].canvas, testimages::shapeMap());
        QCOMPARE(offers[1].canvas, QImage());
        QVERIFY2(offers[1].damage.endsWith(u"ファイルが途中で切れています。"_s),
                 qPrintable(offers[1].damage));
        QCOMPARE(offers[1].bytes, QFileInfo(paths[0]).size() - 5);
        QCOMPARE(offers[2].written.secsTo(now), 1800);
        // Held here: another start sees none of them meanwhile.
        editor::DraftStore other(folder);
        QCOMPARE(editor::takeDraftOffers(other, testimages::CanvasSize).size(), 0);
    }
    editor::DraftStore later(folder);
    QCOMPARE(editor::takeDraftOffers(later, testimages::CanvasSize).size(), 3);
}

QTEST_GUILESS_MAIN(TestDraftList)
#include "tst_draftlist.moc"
