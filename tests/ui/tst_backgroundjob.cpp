// SPDX-License-Identifier: MIT

#include "picture/stereopictures.h"
#include "ui/qtimage.h"
#include "ui/backgroundjob.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <stdexcept>

using namespace Qt::StringLiterals;

class TestBackgroundJob : public QObject
{
    Q_OBJECT

private slots:
    void permille_data();
    void permille();
    void answersWhatTheJobAnswered_data();
    void answersWhatTheJobAnswered();
    void throwsOnTheWindowThread();
    void cancelStopsTheJob();
    void exportStoppedLeavesNoFile_data();
    void exportStoppedLeavesNoFile();
    void exportWithProgressIsTheSameFile_data();
    void exportWithProgressIsTheSameFile();

private:
    QTemporaryDir m_dir;
};

// Each row: the steps done and the steps in all that the job gave, and the bar's value.
void TestBackgroundJob::permille_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("permille");
    QTest::newRow("nothing told") << qint64(0) << qint64(0) << 0;
    QTest::newRow("a third, rounded down") << qint64(1) << qint64(3) << 333;
    QTest::newRow("all done") << qint64(3) << qint64(3) << 1000;
    QTest::newRow("more than all") << qint64(5) << qint64(3) << 1000;
    QTest::newRow("a total beyond int") << qint64(3) << qint64(6'000'000'000) << 0;
    QTest::newRow("half of a total beyond int") << qint64(3'000'000'000) << qint64(6'000'000'000)
                                                << 500;
}

void TestBackgroundJob::permille()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(int, permille);
    ui::JobState state;
    state.progress(done, total);
    QCOMPARE(state.permille(), permille);
}

// The job runs elsewhere than on the window's thread, and what it answers comes back.
void TestBackgroundJob::answersWhatTheJobAnswered_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("sleepMs");
    QTest::newRow("done at once") << true << 0;
    QTest::newRow("refused at once") << false << 0;
    QTest::newRow("done after the quiet while") << true << 120;
}

void TestBackgroundJob::answersWhatTheJobAnswered()
{
    QFETCH(bool, answer);
    QFETCH(int, sleepMs);
    QThread *ranOn = nullptr;
    const bool got = ui::runWithProgress(
        nullptr, u"t"_s, u"t"_s,
        [&](ui::JobState &) {
            ranOn = QThread::currentThread();
            QThread::msleep(ulong(sleepMs));
            return answer;
        },
        std::chrono::milliseconds(50));
    QCOMPARE(got, answer);
    QVERIFY(ranOn != nullptr);
    QVERIFY(ranOn != QThread::currentThread());
    // No window is left behind.
    QVERIFY(QApplication::topLevelWidgets().isEmpty()
            || !QApplication::topLevelWidgets().front()->isVisible());
}

void TestBackgroundJob::throwsOnTheWindowThread()
{
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ui::runWithProgress(nullptr, u"t"_s, u"t"_s, [](ui::JobState &) -> bool {
        throw std::runtime_error("no");
    }));
}

// キャンセル in the window of a long job sets the job's flag; the job's answer is what comes back.
void TestBackgroundJob::cancelStopsTheJob()
{
    bool sawWindow = false;
    QTimer press;
    press.setInterval(5);
    connect(&press, &QTimer::timeout, this, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == u"JobProgress"_s && w->isVisible()) {
                sawWindow = true;
                // The rest of the program takes no input meanwhile.
                QCOMPARE(QApplication::activeModalWidget(), w);
                QCOMPARE(w->findChild<QProgressBar *>()->value(), 500);
                w->findChild<QPushButton *>(u"Cancel"_s)->click();
                press.stop();
            }
    });
    press.start();
    int cancelledAfter = -1;
    const bool got = ui::runWithProgress(
        nullptr, u"t"_s, u"t"_s,
        [&](ui::JobState &job) {
            job.progress(5, 10);
            int waits = 0;
            while (!job.cancelled() && waits < 5000) {
                QThread::msleep(1);
                ++waits;
            }
            cancelledAfter = job.cancelled() ? waits : -1;
            return !job.cancelled();
        },
        std::chrono::milliseconds(0));
    QVERIFY(sawWindow);
    QVERIFY(cancelledAfter >= 0);
    QVERIFY(!got);
}

static QImage stereogramLike()
{
    QImage picture(453, 333, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int g = int(random.bounded(200)); // a palette PNG even with the guides
            picture.setPixel(x, y, qRgb(g, 0, 0));
        }
    return picture;
}

// Stopped at any row, the enlarged export leaves no file, and a file that was there as it was.
void TestBackgroundJob::exportStoppedLeavesNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("stopAtRow"); // rows handed to the encoder before the flag is set
    QTest::addColumn<bool>("existing");
    QTest::newRow("png, before the first row") << u"a.png"_s << 0 << false;
    QTest::newRow("png, while its colours are read") << u"b.png"_s << 100 << false;
    QTest::newRow("png, while its rows are written") << u"c.png"_s << 3 * 333 + 5 << true;
    QTest::newRow("png, at its last row") << u"d.png"_s << 2 * 4 * 333 - 1 << true;
    QTest::newRow("bmp, before the first row") << u"e.bmp"_s << 0 << true;
    QTest::newRow("bmp, halfway") << u"f.bmp"_s << 666 << false;
    QTest::newRow("bmp, at its last row") << u"g.bmp"_s << 4 * 333 - 1 << true;
}

void TestBackgroundJob::exportStoppedLeavesNoFile()
{
    QFETCH(QString, name);
    QFETCH(int, stopAtRow);
    QFETCH(bool, existing);
    const QString path = m_dir.filePath(name);
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the old file");
    }
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
    std::atomic<bool> cancel{stopAtRow == 0};
    int lastDone = 0;
    const bool written = picture::writeStereogram(
        ui::fromQImage(stereogramLike()), 4, false, path,
        name.endsWith(u".bmp"_s) ? picture::FileFormat::Bmp : picture::FileFormat::Png,
        picture::SavedDotsPerMeter, &cancel, [&](int done, int) {
            lastDone = done;
            if (done == stopAtRow)
                cancel = true;
        });
    QVERIFY(!written);
    QCOMPARE(lastDone, stopAtRow);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("the old file"));
    }
}

// Watched and never stopped, the export writes the file it writes unwatched, and its progress ends
// at its total: 333 rows a scale, twice for a PNG.
void TestBackgroundJob::exportWithProgressIsTheSameFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("guides");
    QTest::addColumn<int>("total");
    QTest::newRow("png x3, guides") << u"p.png"_s << 3 << true << 2 * 3 * (333 + 20);
    QTest::newRow("bmp x2") << u"b.bmp"_s << 2 << false << 2 * 333;
    QTest::newRow("png x1") << u"q.png"_s << 1 << false << 2 * 333;
}

void TestBackgroundJob::exportWithProgressIsTheSameFile()
{
    QFETCH(QString, name);
    QFETCH(int, scale);
    QFETCH(bool, guides);
    QFETCH(int, total);
    const auto format = name.endsWith(u".bmp"_s) ? picture::FileFormat::Bmp : picture::FileFormat::Png;
    const QImage stereogram = stereogramLike();
    const QString plain = m_dir.filePath(u"plain-"_s + name);
    const QString watched = m_dir.filePath(u"watched-"_s + name);
    QVERIFY(picture::writeStereogram(ui::fromQImage(stereogram), scale, guides, plain, format));
    std::atomic<bool> cancel{false};
    int last = 0;
    bool inOrder = true;
    QVERIFY(picture::writeStereogram(ui::fromQImage(stereogram), scale, guides, watched, format,
                                     picture::SavedDotsPerMeter, &cancel, [&](int done, int all) {
                                         inOrder = inOrder && done > last && all == total;
                                         last = done;
                                     }));
    QVERIFY(inOrder);
    QCOMPARE(last, total);
    QFile a(plain), b(watched);
    QVERIFY(a.open(QIODevice::ReadOnly));
    QVERIFY(b.open(QIODevice::ReadOnly));
    const QByteArray bytes = a.readAll();
    QVERIFY(bytes.size() > 1000);
    QCOMPARE(b.readAll(), bytes);
}

QTEST_MAIN(TestBackgroundJob)
#include "tst_backgroundjob.moc"
