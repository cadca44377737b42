// SPDX-License-Identifier: MIT

#include "clirun.h"

#include "cli/slices.h"
#include "picture/colour.h"
#include "picture/pictureio.h"
#include "picture/stereopictures.h"
#include "stereo/stereogramgenerator.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QRgb levelRgb(int level)
{
    return picture::toQRgb(picture::QBColor(level));
}

// Full-size maps of no level colour but for a rectangle of `level` (none when -1) in rows
// top to bottom - 1, so that their last rows hold no level colour.
QImage bandMap(int level, int top, int bottom, QRgb background = 0xff0a141eu)
{
    QImage map(389, 333, QImage::Format_RGB32);
    map.fill(background);
    for (int y = top; y < bottom && level >= 0; ++y)
        for (int x = 40; x < 300; ++x)
            map.setPixel(x, y, levelRgb(level));
    return map;
}

// The maps the tests name by letter.
const QList<std::pair<QString, QImage>> &letterMaps()
{
    static const QList<std::pair<QString, QImage>> maps{
        {u"a"_s, shapesMap(1, false)},
        {u"b"_s, bandMap(9, 10, 60)},           // leaves 9
        {u"c"_s, bandMap(-1, 0, 0)},            // no level colour at all
        {u"d"_s, bandMap(4, 100, 180)},         // leaves 4
        {u"e"_s, shapesMap(2, true)},
        {u"f"_s, bandMap(-1, 0, 0, 0xff5a0b33u)}, // none either
        {u"g"_s, bandMap(12, 0, 20).copy(0, 0, 30, 20)}, // small: the canvas around it is black
    };
    return maps;
}

// A folder that writes fast: written files are flushed to the disk before they take their name.
QString scratchBase()
{
    const QFileInfo shm(u"/dev/shm"_s);
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
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
    void mapsFrom_data();
    void mapsFrom();
    void wrongRuns_data();
    void wrongRuns();

private:
    QString map(const QString &letter) const { return m_dir.filePath(letter + u".png"_s); }
    QString writeList(const QStringList &names, char separator, bool lastSeparator = true);
    // Each file of `folder` and the MD5 of its bytes; the files are removed as they are read.
    static QMap<QString, QByteArray> takeHashes(const QString &folder);

    QTemporaryDir m_dir{scratchBase() + u"/tst_slices-XXXXXX"_s};
    int m_lists = 0;
};

void TestSlices::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const auto &[letter, image] : letterMaps())
        QVERIFY(image.save(map(letter), "PNG"));
}

QString TestSlices::writeList(const QStringList &names, char separator, bool lastSeparator)
{
    QByteArray bytes;
    for (const QString &name : names)
        bytes += QFile::encodeName(name) + separator;
    if (!lastSeparator && !bytes.isEmpty())
        bytes.chop(1);
    const QString path = m_dir.filePath(u"list%1.txt"_s.arg(++m_lists));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QMap<QString, QByteArray> TestSlices::takeHashes(const QString &folder)
{
    QMap<QString, QByteArray> hashes;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files)) {
        hashes.insert(name, QCryptographicHash::hash(fileBytes(dir.filePath(name)),
                                                     QCryptographicHash::Md5));
        QFile::remove(dir.filePath(name));
    }
    return hashes;
}

void TestSlices::carriedLevelAtTheBorder_data()
{
    QTest::addColumn<QString>("letters"); // the batch's maps
    QTest::addColumn<int>("first");
    QTest::addColumn<bool>("cross");
    QTest::addColumn<int>("carried"); // the level the slice's first run starts from
    QTest::newRow("one empty map back") << u"bcc"_s << 3 << false << 9;
    QTest::newRow("two empty maps back") << u"bcfc"_s << 4 << false << 9;
    QTest::newRow("the nearest band wins") << u"bdcf"_s << 4 << false << 4;
    QTest::newRow("crossed") << u"bdcf"_s << 4 << true << 11;
    QTest::newRow("empty back to the start") << u"cfc"_s << 3 << false << 0;
    QTest::newRow("a small map leaves black") << u"bgc"_s << 3 << false << 0;
    QTest::newRow("the map itself is empty") << u"bc"_s << 2 << false << 9;
}

void TestSlices::carriedLevelAtTheBorder()
{
    QFETCH(QString, letters);
    QFETCH(int, first);
    QFETCH(bool, cross);
    QFETCH(int, carried);
    QStringList maps;
    for (const QChar c : letters)
        maps << map(c);
    const QString list = writeList(maps, '\n');
    const QString whole = m_dir.filePath(u"whole"_s);
    const QString slice = m_dir.filePath(u"slice"_s);
    QVERIFY(QDir().mkpath(whole) && QDir().mkpath(slice));
    QStringList options{u"make"_s, u"-q"_s, u"--maps-from"_s, list};
    if (cross)
        options << u"--cross"_s;
    QCOMPARE(runCli(options + QStringList{u"-o"_s, whole + u"/{n}.bmp"_s}).status, 0);
    const CliResult made = runCli(options + QStringList{u"-o"_s, slice + u"/{n}.bmp"_s,
                                                        u"--runs"_s,
                                                        u"%1-%2"_s.arg(first).arg(maps.size())});
    QCOMPARE(made.status, 0);

    // The slice's first picture is the one the generator makes from the level given here.
    const QString firstFile = u"/%1.bmp"_s.arg(first);
    stereo::StereogramRuns runs({2, 1, false, cross},
                                {stereo::runStart(quint64(first), 0).state, qint16(carried)});
    const QImage expected = runs.made(picture::depthMapOf(QImage(maps[first - 1])));
    QCOMPARE(QImage(slice + firstFile).convertToFormat(QImage::Format_RGB32), expected);

    const auto wholeFiles = takeHashes(whole);
    const auto sliceFiles = takeHashes(slice);
    QCOMPARE(sliceFiles.size(), maps.size() - first + 1);
    for (auto it = sliceFiles.cbegin(); it != sliceFiles.cend(); ++it)
        QCOMPARE(it.value(), wholeFiles.value(it.key()));
}

void TestSlices::piecesJoinedAreTheWhole_data()
{
    QTest::addColumn<int>("pieces");
    for (const int n : {1, 2, 7, 1000})
        QTest::addRow("%d", n) << n;
}

// 1,000 runs of the maps in an order where maps without a level colour often follow each other,
// split into pieces of as equal a size as they come and joined again.
void TestSlices::piecesJoinedAreTheWhole()
{
    QFETCH(int, pieces);
    constexpr int Runs = 1000;
    QRandomGenerator random(30);
    QStringList maps;
    for (int i = 0; i < Runs; ++i)
        maps << map(letterMaps()[int(random.bounded(qsizetype(letterMaps().size())))].first);
    const QString list = writeList(maps, '\0');
    const QString out = m_dir.filePath(u"pieces"_s);
    QVERIFY(QDir().mkpath(out));
    const QStringList make{u"make"_s, u"-q"_s, u"--maps-from"_s, list, u"-o"_s,
                           out + u"/{n}.bmp"_s};

    static QMap<QString, QByteArray> whole;
    if (whole.isEmpty()) {
        QCOMPARE(runCli(make).status, 0);
        whole = takeHashes(out);
        QCOMPARE(whole.size(), Runs);
    }
    for (int k = 0; k < pieces; ++k) {
        const int first = k * Runs / pieces + 1;
        const int last = (k + 1) * Runs / pieces;
        const CliResult made = runCli(make + QStringList{u"--runs"_s,
                                                         u"%1-%2"_s.arg(first).arg(last)});
        QVERIFY2(made.status == 0, qPrintable(made.err));
    }
    QVERIFY(takeHashes(out) == whole);
}

void TestSlices::unreadableMapsWriteNothing_data()
{
    QTest::addColumn<QString>("letters"); // x: a file that is not there
    QTest::addColumn<QString>("runs");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("read back") << u"bxcc"_s << u"3-4"_s << QStringList{u"x"_s};
    QTest::newRow("own") << u"bcxa"_s << u"3-4"_s << QStringList{u"x"_s};
    QTest::newRow("read back and own")
        << u"bxcy"_s << u"3-4"_s << QStringList{u"x"_s, u"y"_s};
    QTest::newRow("one beyond the first with a level is not read")
        << u"xbca"_s << u"3-4"_s << QStringList{};
}

void TestSlices::unreadableMapsWriteNothing()
{
    QFETCH(QString, letters);
    QFETCH(QString, runs);
    QFETCH(QStringList, named);
    QStringList maps;
    for (const QChar c : letters)
        maps << map(c);
    const QString out = m_dir.filePath(u"unreadable"_s);
    QVERIFY(QDir().mkpath(out));
    const CliResult made = runCli({u"make"_s, u"-q"_s, u"-o"_s, out + u"/{n}.bmp"_s,
                                   u"--runs"_s, runs, u"--maps-from"_s, writeList(maps, '\n')});
    const QStringList written = QDir(out).entryList(QDir::Files);
    takeHashes(out);
    if (named.isEmpty()) {
        QCOMPARE(made.status, 0);
        QCOMPARE(written.size(), 2);
        return;
    }
    QCOMPARE(made.status, 1);
    QCOMPARE(written, QStringList());
    for (const QString &letter : named)
        QVERIFY2(made.err.contains(u"cannot read %1: file not found"_s.arg(map(letter))),
                 qPrintable(made.err));
    QVERIFY2(made.err.contains(u"nothing written"_s), qPrintable(made.err));
}

void TestSlices::mapsFrom_data()
{
    QTest::addColumn<QByteArray>("list"); // map letters; | stands for the separator
    QTest::addColumn<char>("separator");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("written");
    QTest::newRow("lines") << "a|b|c|"_ba << '\n' << 0 << QStringList{u"1-a"_s, u"2-b"_s, u"3-c"_s};
    QTest::newRow("no newline after the last")
        << "a|b"_ba << '\n' << 0 << QStringList{u"1-a"_s, u"2-b"_s};
    QTest::newRow("NUL-separated") << "c|a|"_ba << '\0' << 0 << QStringList{u"1-c"_s, u"2-a"_s};
    QTest::newRow("a map twice") << "a|a"_ba << '\n' << 0 << QStringList{u"1-a"_s, u"2-a"_s};
    QTest::newRow("empty list") << ""_ba << '\n' << 2 << QStringList{};
    QTest::newRow("an empty line") << "a||b"_ba << '\n' << 2 << QStringList{};
}

void TestSlices::mapsFrom()
{
    QFETCH(QByteArray, list);
    QFETCH(char, separator);
    QFETCH(int, status);
    QFETCH(QStringList, written);
    QStringList names;
    for (const QByteArray &letter : list.split('|'))
        names << (letter.isEmpty() ? QString() : map(QString::fromLatin1(letter)));
    QByteArray bytes = QFile::encodeName(names.join(QLatin1Char(separator)));
    const QString path = m_dir.filePath(u"list-from.txt"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    const QString out = m_dir.filePath(u"from"_s);
    QVERIFY(QDir().mkpath(out));
    const CliResult made = runCli({u"make"_s, u"-q"_s, u"--maps-from"_s, path, u"-o"_s,
                                   out + u"/{n}-{name}.bmp"_s});
    QCOMPARE(made.status, status);
    QStringList files = QDir(out).entryList(QDir::Files);
    takeHashes(out);
    for (QString &f : files)
        f.chop(4);
    QCOMPARE(files, written);
}

void TestSlices::wrongRuns_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("from 0") << QStringList{u"--runs"_s, u"0-2"_s} << u"--runs takes"_s;
    QTest::newRow("backwards") << QStringList{u"--runs"_s, u"3-2"_s} << u"--runs takes"_s;
    QTest::newRow("open end") << QStringList{u"--runs"_s, u"2-"_s} << u"--runs takes"_s;
    QTest::newRow("signed") << QStringList{u"--runs"_s, u"+1-2"_s} << u"--runs takes"_s;
    QTest::newRow("beyond the list")
        << QStringList{u"--runs"_s, u"2-4"_s} << u"--runs 2-4 goes beyond the batch's 3 runs"_s;
    QTest::newRow("to standard output")
        << QStringList{u"--runs"_s, u"1"_s, u"-o"_s, u"-"_s} << u"give no -o -"_s;
    QTest::newRow("animation")
        << QStringList{u"--runs"_s, u"1-2"_s, u"--animate"_s, u"x.gif"_s} << u"not split"_s;
    QTest::newRow("list and names") << QStringList{u"--maps-from"_s, u"l.txt"_s, u"a.png"_s}
                                    << u"name none after it"_s;
}

void TestSlices::wrongRuns()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QStringList line{u"make"_s, u"-q"_s};
    line << arguments;
    if (!arguments.contains(u"--maps-from"_s))
        line << map(u"a"_s) << map(u"b"_s) << map(u"c"_s);
    QByteArray stdoutBytes;
    const CliResult made = runCliWithStreams(line, {}, &stdoutBytes);
    QCOMPARE(made.status, 2);
    QVERIFY2(made.err.contains(message), qPrintable(made.err));
}

QTEST_GUILESS_MAIN(TestSlices)
#include "tst_slices.moc"
