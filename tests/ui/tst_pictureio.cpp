#include "support/testimages.h"

#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

class TestPictureIo : public QObject
{
    Q_OBJECT

private slots:
    void emptyPathIsTheEmptyPicture();
    void loadFailures_data();
    void loadFailures();
    void saveWritesA24BitBitmapUnderTheExactName();
    void failedSaveLeavesTheOldFileWhole_data();
    void failedSaveLeavesTheOldFileWhole();
    void errorText();

private:
    QTemporaryDir m_dir;
};

void TestPictureIo::emptyPathIsTheEmptyPicture()
{
    QVERIFY(ui::LoadPicture().isNull());
    QVERIFY(ui::LoadPicture(QString()).isNull());
}

void TestPictureIo::loadFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("number");
    QVERIFY(m_dir.isValid());
    QFile text(m_dir.filePath(u"notes.bmp"_s));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("this is not a picture\n");
    text.close();
    QFile empty(m_dir.filePath(u"empty.bmp"_s));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();

    QTest::newRow("missing file") << m_dir.filePath(u"missing.bmp"_s)
                                  << int(ui::RuntimeError::FileNotFound);
    QTest::newRow("a folder") << m_dir.path() << int(ui::RuntimeError::PathFileAccessError);
    QTest::newRow("text named .bmp") << text.fileName() << int(ui::RuntimeError::InvalidPicture);
    QTest::newRow("empty file") << empty.fileName() << int(ui::RuntimeError::InvalidPicture);
    const QString enormous = testimages::bmpsuite(u"b/reallybig.bmp"_s);
    VERIFY_TEST_FILE(enormous);
    QTest::newRow("claims 3000000 x 2000000") << enormous << int(ui::RuntimeError::InvalidPicture);
}

void TestPictureIo::loadFailures()
{
    QFETCH(QString, path);
    QFETCH(int, number);
    try {
        ui::LoadPicture(path);
        QFAIL("the picture was read");
    } catch (const ui::RuntimeError &e) {
        QCOMPARE(e.number(), number);
        QVERIFY(!e.description().isEmpty());
    }
}

void TestPictureIo::saveWritesA24BitBitmapUnderTheExactName()
{
    QImage image(453, 333, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, (x * y) & 0xff));
    const QString path = m_dir.filePath(u"stereo"_s); // no extension is added
    ui::SavePicture(image, path);
    QVERIFY(QFile::exists(path));
    QVERIFY(!QFile::exists(path + u".bmp"_s));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(54);
    QCOMPARE(header.left(2), QByteArray("BM"));
    QCOMPARE(quint8(header[28]) | quint8(header[29]) << 8, 24); // bits per pixel
    file.close();

    const QImage back(path, "bmp");
    QCOMPARE(back.size(), image.size());
    QCOMPARE(testimages::maxChannelDifference(back, image), 0);
}

// Each row: where the save goes, and a limit on file size that stops the write part-way, as a full
// disk would (0: none). An empty path means onto the old file itself.
void TestPictureIo::failedSaveLeavesTheOldFileWhole_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("sizeLimit");
    QTest::newRow("into a missing folder") << m_dir.filePath(u"no/such/folder/x.bmp"_s) << 0;
    QTest::newRow("onto a folder") << m_dir.path() << 0;
    QTest::newRow("empty name") << u"-"_s << 0;
    QTest::newRow("name too long") << m_dir.filePath(QString(300, u'x')) << 0;
    QTest::newRow("no room left, onto the old file") << QString() << 64 * 1024;
}

void TestPictureIo::failedSaveLeavesTheOldFileWhole()
{
    QFETCH(QString, path);
    QFETCH(int, sizeLimit);
    const QString keep = m_dir.filePath(u"keep.bmp"_s);
    if (path.isEmpty())
        path = keep;
    else if (path == u"-"_s)
        path.clear();
    QImage old(10, 10, QImage::Format_RGB32);
    old.fill(Qt::green);
    ui::SavePicture(old, keep);
    QFile f(keep);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    QImage image(453, 333, QImage::Format_RGB32);
    image.fill(Qt::white);
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (sizeLimit > 0) {
        rlimit small = saved;
        small.rlim_cur = rlim_t(sizeLimit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    int number = 0;
    try {
        ui::SavePicture(image, path);
    } catch (const ui::RuntimeError &e) {
        number = e.number();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY2(number == ui::RuntimeError::PathFileAccessError
                 || number == ui::RuntimeError::PathNotFound,
             "the save did not fail");
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestPictureIo::errorText()
{
    QCOMPARE(ui::uncaughtErrorText(481, u"ピクチャが不正です。"_s),
             u"実行時エラー '481':\n\nピクチャが不正です。"_s);
    const auto e = ui::RuntimeError::withDetail(53, u"detail"_s);
    QCOMPARE(e.description(), u"ファイルが見つかりません。\ndetail"_s);
}

QTEST_GUILESS_MAIN(TestPictureIo)
#include "tst_pictureio.moc"
