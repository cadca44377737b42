// SPDX-License-Identifier: MIT

#include "clirun.h"
#include "ui/qtimage.h"

#include "picture/colour.h"
#include "picture/stereopictures.h"
#include "stereo/stereogramgenerator.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A full-size map of no level colour but for a band of `level` (none when -1) in rows top to
// bottom - 1: its last rows hold no level colour.
QImage bandMap(int level, int top, int bottom, QRgb background = 0xff0a141eu)
{
    QImage map(389, 333, QImage::Format_RGB32);
    map.fill(background);
    for (int y = top; y < bottom && level >= 0; ++y)
        for (int x = 40; x < 300; ++x)
            map.setPixel(x, y, picture::toQRgb(picture::QBColor(level)));
    return map;
}

const QList<std::pair<QChar, QImage>> Maps{
    {u'a', shapesMap(1, false)},
    {u'b', bandMap(9, 10, 60)},                       // leaves 9
    {u'c', bandMap(-1, 0, 0)},                        // no level colour at all
    {u'd', bandMap(4, 100, 180)},                     // leaves 4
    {u'e', shapesMap(2, true)},
    {u'f', bandMap(-1, 0, 0, 0xff5a0b33u)},           // none either
    {u'g', bandMap(12, 0, 20).copy(0, 0, 30, 20)},    // small: the canvas around it is black
};

// Files are flushed to the disk before they take their name: a memory file system is faster.
QString scratchBase()
{
    return QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm"_s : QDir::tempPath();
}

// Each file of `folder` and the MD5 of its bytes; the files are removed as they are read.
QMap<QString, QByteArray> takeHashes(const QString &folder)
{
    QMap<QString, QByteArray> hashes;
    for (const QFileInfo &f : QDir(folder).entryInfoList(QDir::Files)) {
        hashes.insert(f.fileName(), QCryptographicHash::hash(fileBytes(f.filePath()),
                                                             QCryptographicHash::Md5));
        QFile::remove(f.filePath());
    }
    return hashes;
}

} // namespace

class TestSlices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void carriedLevelAtTheBorder_data();
    void carriedLevelAtTheBorder();
    void piecesJoinedAreTheWhole_data();
    void piecesJoinedAreTheWhole();
    void unreadableMapsWriteNothing_data();
    void unreadableMapsWriteNothing();
    void noMapOfTheListWrittenOver();
    void mapsFrom_data();
    void mapsFrom();

private:
    // Map files by letter; x and y are not there.
    QStringList maps(const QString &letters) const
    {
        QStringList files;
        for (const QChar c : letters)
            files << m_dir.filePath(QString(c) + u".png"_s);
        return files;
    }
    // A list file of the names given, each followed by `separator`.
    QString list(const QStringList &names, char separator = '\n')
    {
        QByteArray bytes;
        for (const QString &name : names)
            bytes += QFile::encodeName(name) + separator;
        QFile file(m_dir.filePath(u"list.txt"_s));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
                   ? file.fileName() : QString();
    }
    QString folder(const QString &name) const
    {
        QDir().mkpath(m_dir.filePath(name));
        return m_dir.filePath(name);
    }

    QTemporaryDir m_dir{scratchBase() + u"/tst_slices-XXXXXX"_s};
};

void TestSlices::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const auto &[letter, image] : Maps)
        QVERIFY(image.save(maps(letter).constFirst(), "PNG"));
}

void TestSlices::carriedLevelAtTheBorder_data()
{
    QTest::addColumn<QString>("letters"); // the batch's maps
    QTest::addColumn<int>("first");
    QTest::addColumn<bool>("cross");
    QTest::addColumn<int>("carried"); // the level the slice's first run starts from
    QTest::newRow("one empty map back") << u"bcc"_s << 3 << false << 9;
    QTest::newRow("two empty maps back") << u"bdcfc"_s << 5 << false << 4;
    QTest::newRow("crossed") << u"bdcf"_s << 4 << true << 11;
    QTest::newRow("empty back to the start") << u"cfc"_s << 3 << false << 0;
    QTest::newRow("a small map leaves black") << u"bgc"_s << 3 << false << 0;
}

void TestSlices::carriedLevelAtTheBorder()
{
    QFETCH(QString, letters);
    QFETCH(int, first);
    QFETCH(bool, cross);
    QFETCH(int, carried);
    QStringList make{u"make"_s, u"-q"_s, u"--maps-from"_s, list(maps(letters))};
    if (cross)
        make << u"--cross"_s;
    const QString whole = folder(u"whole"_s), slice = folder(u"slice"_s);
    QCOMPARE(runCli(make + QStringList{u"-o"_s, whole + u"/{n}.bmp"_s}).status, 0);
    QCOMPARE(runCli(make + QStringList{u"-o"_s, slice + u"/{n}.bmp"_s, u"--runs"_s,
                                       u"%1-%2"_s.arg(first).arg(letters.size())})
                 .status,
             0);

    // The slice's first picture is the one the generator makes from the level given here.
    stereo::StereogramRuns runs({2, 1, false, cross},
                                {stereo::runStart(quint64(first), 0).state, qint16(carried)});
    const QImage expected = ui::toQImage(
        runs.made(picture::depthMapOf(ui::fromQImage(QImage(maps(letters)[first - 1])))));
    QCOMPARE(QImage(slice + u"/%1.bmp"_s.arg(first)).convertToFormat(QImage::Format_RGB32),
             expected);
    const auto wholeFiles = takeHashes(whole);
    const auto sliceFiles = takeHashes(slice);
    QCOMPARE(sliceFiles.size(), letters.size() - first + 1);
    for (auto it = sliceFiles.cbegin(); it != sliceFiles.cend(); ++it)
        QCOMPARE(it.value(), wholeFiles.value(it.key()));
}

void TestSlices::piecesJoinedAreTheWhole_data()
{
    QTest::addColumn<int>("pieces");
    for (const int n : {1, 2, 7, 200})
        QTest::addRow("%d", n) << n;
}

// 200 runs of the maps at random, so that maps without a level colour often follow each other,
// in pieces of as equal a size as they come (down to one run each), joined again.
void TestSlices::piecesJoinedAreTheWhole()
{
    QFETCH(int, pieces);
    constexpr int Runs = 200;
    QRandomGenerator random(30);
    QString letters;
    for (int i = 0; i < Runs; ++i)
        letters += Maps[random.bounded(Maps.size())].first;
    const QString out = folder(u"pieces"_s);
    const QStringList make{u"make"_s, u"-q"_s, u"--maps-from"_s, list(maps(letters), '\0'),
                           u"-o"_s, out + u"/{n}.bmp"_s};
    static QMap<QString, QByteArray> whole;
    if (whole.isEmpty()) {
        QCOMPARE(runCli(make).status, 0);
        whole = takeHashes(out);
        QCOMPARE(whole.size(), Runs);
    }
    for (int k = 0; k < pieces; ++k) {
        const CliResult made = runCli(make + QStringList{u"--runs"_s,
                                                         u"%1-%2"_s.arg(k * Runs / pieces + 1)
                                                             .arg((k + 1) * Runs / pieces)});
        QVERIFY2(made.status == 0, qPrintable(made.err));
    }
    QVERIFY(takeHashes(out) == whole);
}

void TestSlices::unreadableMapsWriteNothing_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("named"); // the files named as unreadable
    QTest::newRow("read back") << u"bxcc"_s << u"x"_s;
    QTest::newRow("read back and own") << u"bxcy"_s << u"xy"_s;
    QTest::newRow("before the level is found, not read") << u"xbca"_s << QString();
}

// Runs 3-4 of a batch whose maps x and y are not there.
void TestSlices::unreadableMapsWriteNothing()
{
    QFETCH(QString, letters);
    QFETCH(QString, named);
    const QString out = folder(u"unreadable"_s);
    const CliResult made = runCli({u"make"_s, u"-q"_s, u"-o"_s, out + u"/{n}.bmp"_s, u"--runs"_s,
                                   u"3-4"_s, u"--maps-from"_s, list(maps(letters))});
    QCOMPARE(made.status, named.isEmpty() ? 0 : 1);
    const QStringList expected = named.isEmpty() ? QStringList{u"3.bmp"_s, u"4.bmp"_s} : QStringList();
    QCOMPARE(takeHashes(out).keys(), expected);
    for (const QString &file : maps(named))
        QVERIFY2(made.err.contains(u"cannot read %1: file not found"_s.arg(file)),
                 qPrintable(made.err));
}

// A map of another slice that is the file this slice would write, by a link of another name:
// refused before anything is written, the map as it was.
void TestSlices::noMapOfTheListWrittenOver()
{
    const QString out = folder(u"linked"_s);
    const QString theirs = out + u"/1.bmp"_s;
    QVERIFY(QFile::copy(maps(u"b"_s)[0], theirs));
    const QByteArray before = fileBytes(theirs);
    const QString link = m_dir.filePath(u"elsewhere.png"_s);
    QVERIFY(QFile::link(theirs, link));
    const CliResult made = runCli({u"make"_s, u"-q"_s, u"-o"_s, out + u"/{n}.bmp"_s, u"--runs"_s,
                                   u"1"_s, u"--maps-from"_s, list(maps(u"a"_s) << link)});
    QCOMPARE(made.status, 2);
    QVERIFY2(made.err.contains(u"run 1 would write over the depth map"_s), qPrintable(made.err));
    QCOMPARE(fileBytes(theirs), before);
}

void TestSlices::mapsFrom_data()
{
    QTest::addColumn<QByteArray>("bytes"); // a letter stands for that map's file name
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("written");
    const QStringList abc{u"1-a.bmp"_s, u"2-b.bmp"_s, u"3-c.bmp"_s};
    QTest::newRow("lines") << "a\nb\nc\n"_ba << 0 << abc;
    QTest::newRow("no newline after the last") << "a\nb\nc"_ba << 0 << abc;
    QTest::newRow("NUL-separated") << "a\0b\0c\0"_ba << 0 << abc;
    QTest::newRow("an empty line") << "a\n\nb\n"_ba << 2 << QStringList();
}

void TestSlices::mapsFrom()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QStringList, written);
    QByteArray names;
    for (const char c : bytes)
        names += c >= 'a' && c <= 'g' ? QFile::encodeName(maps(QString(QLatin1Char(c)))[0])
                                      : QByteArray(1, c);
    QFile file(m_dir.filePath(u"names.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(names) == names.size());
    file.close();
    const QString out = folder(u"from"_s);
    QCOMPARE(runCli({u"make"_s, u"-q"_s, u"--maps-from"_s, file.fileName(), u"-o"_s,
                     out + u"/{n}-{name}.bmp"_s})
                 .status,
             status);
    QCOMPARE(takeHashes(out).keys(), written);
}

QTEST_GUILESS_MAIN(TestSlices)
#include "tst_slices.moc"
