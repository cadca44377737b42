// SPDX-License-Identifier: MIT

#include "clirun.h"

#include "support/guardpage.h"
#include "support/hostilefiles.h"
#include "support/testimages.h"

#include "cli/batch.h"
#include "cli/standardoutput.h"
#include "picture/colour.h"
#include "picture/levels.h"
#include "picture/stereopictures.h"
#include "picture/reveal.h"
#include "picture/viewingaids.h"

#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImageReader>
#include <QLocale>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <atomic>
#include <cmath>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using ui::QBColor;

namespace {

QRgb levelRgb(int level)
{
    return ui::toQRgb(QBColor(level));
}

// The level of each pixel as the generator takes it: the map's own where it is a level colour,
// the last one matched before it in reading order where it is not. `carried` goes on from map
// to map, as in one session.
std::vector<int> takenLevels(const QImage &map, int &carried)
{
    std::vector<int> levels;
    for (int y = 0; y < 333; ++y) {
        for (int x = 0; x < 390; ++x) {
            const QRgb p = map.valid(x, y) ? (map.pixel(x, y) & 0xffffffu) : 0x1000000u;
            for (int k = 0; k < 16; ++k)
                if ((levelRgb(k) & 0xffffffu) == p)
                    carried = k;
            if (x < 389)
                levels.push_back(carried);
        }
    }
    return levels;
}

// The share of pixels of `revealed` in the colour of the level given for them.
double agreement(const QImage &revealed, const std::vector<int> &levels)
{
    qint64 same = 0;
    for (int y = 0; y < 333; ++y)
        for (int x = 0; x < 389; ++x)
            same += (revealed.pixel(x, y) & 0xffffffu)
                    == (levelRgb(levels[size_t(y) * 389 + size_t(x)]) & 0xffffffu);
    return double(same) / (389.0 * 333.0);
}

bool onlyLevelColours(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            bool level = false;
            for (int k = 0; k < 16; ++k)
                level = level || (image.pixel(x, y) & 0xffffffu) == (levelRgb(k) & 0xffffffu);
            if (!level)
                return false;
        }
    return true;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void filesAsTheyWereWritten();
    void outputName_data();
    void outputName();
    void wrongUsage_data();
    void wrongUsage();
    void unreadableMapsWriteNothing_data();
    void unreadableMapsWriteNothing();
    void failedWrites_data();
    void failedWrites();
    void partialBatchNamesWhatWasWritten();
    void streamedBatchWritesTheSameFiles();
    void longBatchInBoundedMemory();
    void controlCharactersInNamesAreShownEscaped();
    void standardInputAndOutput_data();
    void standardInputAndOutput();
    void helpIsWrappedWithDefaults();
    void existingFileIsReplaced();
    void filesSayNinetySixDpiWhateverTheScreen_data();
    void filesSayNinetySixDpiWhateverTheScreen();
    void scaleAndGuides_data();
    void scaleAndGuides();
    void progressLine_data();
    void progressLine();
    void packedPicturesUnpackExactly_data();
    void packedPicturesUnpackExactly();
    void packingReadsNothingPastThePicture();

    void revealRoundTrip_data();
    void revealRoundTrip();
    void revealRefuses_data();
    void revealRefuses();

    void revealReadsPrintedPictures_data();
    void revealReadsPrintedPictures();
    void anaglyphOfASavedStereogram_data();
    void anaglyphOfASavedStereogram();
    void crossEyedMakeAndReveal();

    void levelsOfAGreyRamp_data();
    void levelsOfAGreyRamp();
    void levelsOptions_data();
    void levelsOptions();
    void makeConvertsDepthPictures_data();
    void makeConvertsDepthPictures();
    void levelsSaysNearBelowFarInverts();

    void helpAndVersion();
    void messagesInTheUsersLanguage_data();
    void messagesInTheUsersLanguage();
    void standardOutputThatIsFullIsAFailure_data();
    void standardOutputThatIsFullIsAFailure();
    void aRefusingOutputDeviceGivesItsOwnReason();
    void standardOutputGoesOnAfterASignal();

private:
    QString path(const QString &name) const { return m_work.filePath(name); }
    QString writeMap(const QString &name, const QImage &map);
    QStringList written() const;

    QTemporaryDir m_dir;
    QDir m_work;
};

void TestCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestCli::init()
{
    // Each test works in a folder of its own, so that "nothing written" can be seen.
    const QString name = QString::fromLatin1(QTest::currentTestFunction()) + u'-'
                         + QString::number(qHash(QString::fromUtf8(QTest::currentDataTag())));
    QVERIFY(QDir(m_dir.path()).mkpath(name));
    m_work.setPath(m_dir.filePath(name));
}

QString TestCli::writeMap(const QString &name, const QImage &map)
{
    const QString p = path(name);
    return map.save(p) ? p : QString();
}

QStringList TestCli::written() const
{
    return m_work.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

// The files the commands wrote before their pixel code moved into the picture library, and the
// PNGs as Qt's writer made them before the programs wrote PNG themselves, recorded as checksums:
// the same command lines must write the same bytes, enlarged ones a row at a time included.
void TestCli::filesAsTheyWereWritten()
{
    const QString suite = testimages::bmpsuite(u"g/"_s);
    QImage black(453, 333, QImage::Format_RGB32);
    black.fill(Qt::black);
    QVERIFY(!writeMap(u"black.png"_s, black).isEmpty());
    const QList<QStringList> commands = {
        {u"levels"_s, suite + u"rgb24.bmp"_s, u"-o"_s, path(u"levels.bmp"_s)},
        {u"levels"_s, u"--invert"_s, suite + u"pal8.bmp"_s, u"-o"_s, path(u"levels-inv.bmp"_s)},
        {u"make"_s, u"-q"_s, u"-o"_s, path(u"make-{n}.bmp"_s), path(u"levels.bmp"_s),
         path(u"levels-inv.bmp"_s), path(u"levels.bmp"_s)},
        {u"make"_s, u"-q"_s, u"--colour"_s, u"red"_s, u"--scale"_s, u"3"_s, u"--guides"_s,
         u"-o"_s, path(u"scaled.bmp"_s), path(u"levels.bmp"_s)},
        {u"make"_s, u"-q"_s, u"--colour"_s, u"green"_s, u"-o"_s, path(u"make-green.bmp"_s),
         path(u"levels-inv.bmp"_s)},
        {u"make"_s, u"-q"_s, u"--colour"_s, u"green"_s, u"-o"_s, path(u"make.png"_s),
         path(u"levels-inv.bmp"_s)},
        {u"reveal"_s, path(u"make-1.bmp"_s), u"-o"_s, path(u"reveal.bmp"_s)},
        {u"levels"_s, suite + u"rgb24.bmp"_s, u"-o"_s, path(u"levels.png"_s)},
        {u"make"_s, u"-q"_s, u"--colour"_s, u"red"_s, u"--scale"_s, u"3"_s, u"--guides"_s,
         u"-o"_s, path(u"scaled.png"_s), path(u"levels.bmp"_s)},
        // A black depth map reads back as black: a palette of the grey 0 alone, which goes
        // into the file as a grey PNG.
        {u"make"_s, u"-q"_s, u"-o"_s, path(u"flat.bmp"_s), path(u"black.png"_s)},
        {u"reveal"_s, path(u"flat.bmp"_s), u"-o"_s, path(u"flat.png"_s)},
    };
    for (const QStringList &command : commands) {
        const CliResult result = runCli(command);
        QVERIFY2(result.status == cli::Done, qPrintable(result.err));
    }
    const QList<std::pair<QString, QByteArray>> recorded = {
        {u"levels.bmp"_s, "2bd76664bd5027d5928c2b628d59ff4142b0e16de200af38229e461cb372e76c"},
        {u"levels-inv.bmp"_s, "bdee6682e37f367eeb4eed95d0991f1f9ccac1a1de2f0b6db7cae29e1f21bd63"},
        {u"make-1.bmp"_s, "295c7a651f26f4a126ea27e51556106b6705b4f3eabb65a5b77c2de938504123"},
        {u"make-2.bmp"_s, "5e6aa124bb42518492de99167fe0fbe2691684fd191bf6dcc39f494efb868c95"},
        {u"make-3.bmp"_s, "ca506075ce89597b18d8d5d75f615dcd7c1cf6f3987734e8be8b119cfaa10618"},
        {u"scaled.bmp"_s, "ee835f09b5e90248a0d4c731f8eaae41d411987a641d3d5cb59fb735db0e48b5"},
        {u"make-green.bmp"_s, "29a7dc3a70606d0d465babf3a32d30ab67e12e5ff30bf56a5adf073f984c45cd"},
        {u"reveal.bmp"_s, "460f4611f96ac038ff1ed5ea7a253711dcecbbe19d8b7dafc3f09e8471c186d3"},
        {u"make.png"_s, "1a2db51778d849ef11e220a773d0b2d50369e8a81cfe5569fd9eac69d069aa4d"},
        {u"levels.png"_s, "948b0a38e42cb170813f69f8c39192e4beba47f47abe050acad26f3445de43ee"},
        {u"scaled.png"_s, "64824a63ee0649b50f9facdce49678912c80c048ce429643065b8daf8f5555a5"},
        {u"flat.bmp"_s, "3e45dd46fc54607acba741a0250d12d83493a557f30cb08eb3e8a9ff7bdb3895"},
        {u"flat.png"_s, "42dd717c656ca57137291009ca7266982141fbaa06dbd41db94e6a1cb11e5626"},
    };
    for (const auto &[name, sha] : recorded)
        QVERIFY2(QCryptographicHash::hash(fileBytes(path(name)), QCryptographicHash::Sha256)
                         .toHex()
                     == sha,
                 qPrintable(name));
}

void TestCli::outputName_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("map");
    QTest::addColumn<int>("run");
    QTest::addColumn<QString>("expected");
    QTest::newRow("default") << u"{name}-stereo.bmp"_s << u"maps/face.bmp"_s << 1
                             << u"face-stereo.bmp"_s;
    QTest::newRow("run number") << u"out/{n}.png"_s << u"a.bmp"_s << 12 << u"out/12.png"_s;
    QTest::newRow("both, twice") << u"{name}{n}-{name}-{n}.BMP"_s << u"x.y.bmp"_s << 3
                                 << u"x.y3-x.y-3.BMP"_s;
    QTest::newRow("a name holding {n} stays as it is") << u"{name}.bmp"_s << u"a{n}.bmp"_s << 7
                                                      << u"a{n}.bmp"_s;
    QTest::newRow("other braces are kept") << u"{x}{name.bmp"_s << u"m.png"_s << 1
                                           << u"{x}{name.bmp"_s;
    QTest::newRow("no extension") << u"{name}.png"_s << u"/tmp/plain"_s << 1 << u"plain.png"_s;
}

void TestCli::outputName()
{
    QFETCH(QString, pattern);
    QFETCH(QString, map);
    QFETCH(int, run);
    QFETCH(QString, expected);
    QCOMPARE(cli::outputName(pattern, map, run), expected);
}

// Each row: the arguments ("MAP" and "DIR/" stand for a readable map and the working folder),
// and a piece of the message. Nothing may be written, and the status is 2.
void TestCli::wrongUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    auto row = [](const char *name, QStringList arguments, const QString &message) {
        QTest::newRow(name) << arguments << message;
    };
    row("no command", {}, u"no command given"_s);
    row("unknown command", {u"draw"_s}, u"unknown command 'draw'"_s);
    row("option before the command", {u"--quiet"_s, u"make"_s}, u"unknown command"_s);
    row("unknown option", {u"make"_s, u"--fast"_s, u"MAP"_s}, u"fast"_s);
    row("no depth map", {u"make"_s, u"-o"_s, u"DIR/x.bmp"_s}, u"no depth map given"_s);
    row("empty file name", {u"make"_s, u""_s}, u"empty file name"_s);
    row("unknown colour", {u"make"_s, u"--colour"_s, u"pink"_s, u"MAP"_s},
        u"unknown colour 'pink'"_s);
    row("empty colour", {u"make"_s, u"--colour"_s, u""_s, u"MAP"_s}, u"unknown colour ''"_s);
    row("levels: gamma 0", {u"levels"_s, u"--gamma"_s, u"0"_s, u"MAP"_s}, u"--gamma"_s);
    row("levels: unknown fit", {u"levels"_s, u"--fit"_s, u"wide"_s, u"MAP"_s}, u"--fit"_s);
    row("levels: smooth 4", {u"levels"_s, u"--smooth"_s, u"4"_s, u"MAP"_s}, u"--smooth"_s);
    row("levels: near not a grey", {u"levels"_s, u"--near"_s, u"x"_s, u"MAP"_s}, u"--near"_s);
    row("levels: no-data auto", {u"levels"_s, u"--no-data"_s, u"auto"_s, u"MAP"_s},
        u"--no-data"_s);
    row("levels: near equals far", {u"levels"_s, u"--near"_s, u"100"_s, u"--far"_s, u"100"_s, u"MAP"_s},
        u"--near and --far are both 100: they must differ"_s);
    row("levels: far beyond an 8-bit map", {u"levels"_s, u"--far"_s, u"256"_s, u"MAP"_s},
        u"beyond the greys"_s);
    row("scale 0", {u"make"_s, u"--scale"_s, u"0"_s, u"MAP"_s}, u"--scale"_s);
    row("scale 17", {u"make"_s, u"--scale"_s, u"17"_s, u"MAP"_s}, u"--scale"_s);
    row("scale not a number", {u"make"_s, u"-s"_s, u"2x"_s, u"MAP"_s}, u"'2x'"_s);
    row("dpi 71", {u"make"_s, u"--dpi"_s, u"71"_s, u"MAP"_s},
        u"--dpi takes a whole number from 72 to 4800, not '71'"_s);
    row("dpi not a number", {u"make"_s, u"--dpi"_s, u"300dpi"_s, u"MAP"_s}, u"'300dpi'"_s);
    row("dpi with an animation", {u"make"_s, u"--animate"_s, u"DIR/a.gif"_s, u"--dpi"_s,
                                  u"300"_s, u"MAP"_s},
        u"--dpi is for separate files"_s);
    row("-o without its value", {u"make"_s, u"MAP"_s, u"-o"_s}, u"-o"_s);
    row("output not .bmp or .png", {u"make"_s, u"-o"_s, u"DIR/{n}.jpg"_s, u"MAP"_s},
        u"must end in .bmp or .png"_s);
    row("two runs, one file", {u"make"_s, u"-o"_s, u"DIR/same.bmp"_s, u"MAP"_s, u"MAP"_s},
        u"runs 1 and 2 would both write"_s);
    row("one map twice by {name}", {u"make"_s, u"-o"_s, u"DIR/{name}.png"_s, u"MAP"_s, u"MAP"_s},
        u"runs 1 and 2"_s);
    row("one file by two spellings",
        {u"make"_s, u"-o"_s, u"DIR/{n}.bmp"_s, u"MAP"_s, u"MAP"_s, u"MAP"_s, u"-o"_s,
         u"DIR/./x/../same.bmp"_s},
        u"would both write"_s);
    row("a run over its depth map", {u"make"_s, u"-o"_s, u"DIR/map.bmp"_s, u"MAP"_s},
        u"would write over the depth map"_s);
    row("reveal: no stereogram", {u"reveal"_s}, u"exactly one STEREOGRAM"_s);
    row("reveal: two", {u"reveal"_s, u"MAP"_s, u"MAP"_s}, u"exactly one"_s);
    row("reveal: over its input", {u"reveal"_s, u"-o"_s, u"DIR/map.bmp"_s, u"MAP"_s},
        u"would be written over the STEREOGRAM it reads"_s);
    row("levels: over its input", {u"levels"_s, u"-o"_s, u"DIR/./map.bmp"_s, u"MAP"_s},
        u"would be written over the PICTURE it reads"_s);
    row("levels: an empty name", {u"levels"_s, u""_s}, u"exactly one PICTURE"_s);
    row("levels: no picture", {u"levels"_s, u"--invert"_s}, u"exactly one PICTURE"_s);
    row("levels: output format", {u"levels"_s, u"-o"_s, u"DIR/x.gif"_s, u"MAP"_s},
        u".bmp or .png"_s);
}

void TestCli::wrongUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QString map = writeMap(u"map.bmp"_s, shapesMap(1, false));
    for (QString &a : arguments) {
        if (a == u"MAP"_s)
            a = map;
        a.replace(u"DIR/"_s, m_work.path() + u'/');
    }
    const QStringList before = written();
    const CliResult result = runCli(arguments);
    QCOMPARE(result.status, int(cli::WrongUsage));
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QVERIFY(result.err.contains(u"--help"_s));
    QCOMPARE(result.out, QString());
    QCOMPARE(written(), before);
}

// Every kind of file the load path refuses: make names each with the load path's own reason and
// writes nothing, not even the stereograms of the maps it could read. Files the load path takes
// are made into stereograms like any other.
void TestCli::unreadableMapsWriteNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason"); // empty: the file loads
    const QString damaged = u"the picture is damaged"_s;
    QTest::newRow("missing") << u"missing.bmp"_s << u"file not found"_s;
    QTest::newRow("a folder") << u"folder"_s << u"it is a folder"_s;
    QTest::newRow("empty") << u"empty.bmp"_s << u"the file is empty (0 bytes)"_s;
    QTest::newRow("text named .bmp")
        << u"notes.bmp"_s
        << u"not a picture, or a format that is not read (BMP, PNG, GIF and JPEG are)"_s;
    QTest::newRow("cut short") << u"short.bmp"_s << u"the file is cut short"_s;
    const QList<std::pair<QString, QString>> suite = {
        {u"badbitcount.bmp"_s, u"a kind of picture that is not supported"_s},
        {u"badbitssize.bmp"_s, {}},
        {u"baddens1.bmp"_s, {}},
        {u"baddens2.bmp"_s, {}},
        {u"badfilesize.bmp"_s, {}},
        {u"badheadersize.bmp"_s, damaged},
        {u"badpalettesize.bmp"_s, damaged},
        {u"badplanes.bmp"_s, damaged},
        {u"badrle.bmp"_s, {}},
        {u"badrle4.bmp"_s, {}},
        {u"badrle4bis.bmp"_s, {}},
        {u"badrle4ter.bmp"_s, {}},
        {u"badrlebis.bmp"_s, {}},
        {u"badrleter.bmp"_s, {}},
        {u"badwidth.bmp"_s, damaged},
        {u"pal8badindex.bmp"_s, {}},
        {u"reallybig.bmp"_s,
         u"too large: 3000000 x 2000000 pixels; pictures up to 8000 x 8000 pixels are read"_s},
        {u"rgb16-880.bmp"_s, {}},
        {u"rletopdown.bmp"_s, {}},
        {u"shortfile.bmp"_s, u"the file is cut short"_s},
    };
    for (const auto &[name, reason] : suite)
        QTest::addRow("bmpsuite b/%s", qPrintable(name))
            << testimages::bmpsuite(u"b/"_s + name) << reason;
}

void TestCli::unreadableMapsWriteNothing()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    const QString good = writeMap(u"good.bmp"_s, shapesMap(2, false));
    QVERIFY(m_work.mkdir(u"folder"_s));
    QFile(path(u"empty.bmp"_s)).open(QIODevice::WriteOnly);
    QFile notes(path(u"notes.bmp"_s));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("these are notes, not a picture\n");
    notes.close();
    QFile cut(path(u"short.bmp"_s));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(fileBytes(good).left(20000));
    cut.close();
    if (QFileInfo(file).isRelative())
        file = path(file);

    const QStringList before = written();
    const CliResult result =
        runCli({u"make"_s, u"-o"_s, path(u"out-{n}.bmp"_s), good, file, good});
    if (reason.isEmpty()) {
        QVERIFY2(result.status == cli::Done, qPrintable(result.err));
        QVERIFY(QFile::exists(path(u"out-2.bmp"_s)));
        return;
    }
    QCOMPARE(result.status, int(cli::FileFailed));
    QVERIFY2(result.err.contains(QDir::toNativeSeparators(file) + u": "_s + reason + u'\n'),
             qPrintable(result.err));
    QVERIFY(result.err.contains(u"nothing written: 1 of 2 depth maps could not be read"_s));
    QCOMPARE(written(), before);
}

// Each row: where the stereogram goes, and a limit on file size that stops the write part-way,
// as a full disk would (0: none). The old file there stays whole.
void TestCli::failedWrites_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("sizeLimit");
    QTest::addColumn<QString>("reason");
    QTest::newRow("into a missing folder") << u"no/such/folder/x.bmp"_s << 0
                                           << u"path not found"_s;
    QTest::newRow("onto a folder") << u"folder.bmp"_s << 0 << u"it is a folder"_s;
    QTest::newRow("onto a named pipe") << u"pipe.bmp"_s << 0
                                       << u"not a regular file (a named pipe, socket or device)"_s;
    QTest::newRow("no room left") << u"full.bmp"_s << 300 * 1000
                                  << u"the disk is full: 0.5 MB are needed"_s;
    QTest::newRow("a name too long") << QString(300, u'x') + u".bmp"_s << 0 << u"path not found"_s;
}

void TestCli::failedWrites()
{
    QFETCH(QString, target);
    QFETCH(int, sizeLimit);
    QFETCH(QString, reason);
    const QString map = writeMap(u"map.bmp"_s, shapesMap(3, false));
    QVERIFY(m_work.mkdir(u"folder.bmp"_s));
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"pipe.bmp"_s)).constData(), 0600), 0);
    QFile old(path(u"full.bmp"_s));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the old file");
    old.close();

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (sizeLimit > 0) {
        rlimit small = saved;
        small.rlim_cur = rlim_t(sizeLimit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    const CliResult broken = runCli({u"make"_s, u"-o"_s, path(target), map});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(broken.status, int(cli::FileFailed));
    QVERIFY2(broken.err.contains(u"cannot write "_s + QDir::toNativeSeparators(path(target))
                                 + u": "_s + reason + u'\n'),
             qPrintable(broken.err));
    QVERIFY(broken.err.contains(u"0 of 1 stereograms written\n"_s));
    QVERIFY(broken.err.contains(u"not written: runs 1\n"_s));
    QCOMPARE(fileBytes(path(u"full.bmp"_s)), QByteArray("the old file"));
}

// A run that cannot write stops the batch; the runs already under way finish. The message names
// exactly the runs whose files are there and those whose files are not.
void TestCli::partialBatchNamesWhatWasWritten()
{
    const QString map = writeMap(u"map.bmp"_s, shapesMap(6, false));
    QVERIFY(m_work.mkdir(u"out"_s));
    QVERIFY(m_work.mkdir(u"out/5.bmp"_s));
    const QStringList maps(40, map);
    const CliResult result = runCli(QStringList{u"make"_s, u"-o"_s, path(u"out/{n}.bmp"_s)} + maps);
    QCOMPARE(result.status, int(cli::FileFailed));
    QList<int> written;
    QList<int> missing;
    for (int run = 1; run <= 40; ++run)
        (QFileInfo(path(u"out/%1.bmp"_s.arg(run))).isFile() ? written : missing) << run;
    QCOMPARE(written.mid(0, 4), (QList<int>{1, 2, 3, 4}));
    QVERIFY(missing.contains(5) && missing.contains(40));
    QVERIFY2(result.err.contains(u"cannot write %1: it is a folder\n"_s.arg(
                 QDir::toNativeSeparators(path(u"out/5.bmp"_s)))),
             qPrintable(result.err));
    QVERIFY2(result.err.contains(u"%1 of 40 stereograms written (runs %2)\n"_s.arg(written.size())
                                     .arg(cli::runRanges(written))),
             qPrintable(result.err));
    QVERIFY2(result.err.contains(u"not written: runs %1\n"_s.arg(cli::runRanges(missing))),
             qPrintable(result.err));
    QCOMPARE(cli::runRanges({1, 2, 3, 5, 7, 8}), u"1-3, 5, 7-8"_s);
}

// Maps that are not kept after the check are read again for their runs: the files are the same.
void TestCli::streamedBatchWritesTheSameFiles()
{
    QStringList maps;
    for (int i = 0; i < 5; ++i)
        maps << writeMap(u"map%1.png"_s.arg(i), shapesMap(20 + i, i % 2 == 1));
    maps << maps[1] << maps[0];
    QStringList kept;
    QStringList streamed;
    for (int i = 0; i < maps.size(); ++i) {
        kept << path(u"kept-%1.bmp"_s.arg(i + 1));
        streamed << path(u"streamed-%1.bmp"_s.arg(i + 1));
    }
    QTextStream out(stdout);
    QString err;
    QTextStream errStream(&err);
    cli::Io io{out, errStream, false};
    cli::MakeRequest request;
    request.maps = maps;
    request.outputs = kept;
    QCOMPARE(cli::make(request, io), int(cli::Done));
    request.outputs = streamed;
    request.keptMapBytes = 0;
    QCOMPARE(cli::make(request, io), int(cli::Done));
    for (int i = 0; i < maps.size(); ++i)
        QVERIFY2(fileBytes(kept[i]) == fileBytes(streamed[i]), qPrintable(kept[i]));
}

// Distinct noisy maps pack no smaller than they are: a batch of them may not hold them all.
void TestCli::longBatchInBoundedMemory()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer keeps freed memory in quarantine");
#endif
    constexpr int Maps = 300; // about 155 MB as pictures of 389 x 333
    QStringList arguments{u"make"_s, u"-q"_s, u"-o"_s, path(u"out-{n}.png"_s)};
    QRandomGenerator random(7);
    QImage map(389, 333, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int k = 0; k < 16; ++k)
        table << levelRgb(k);
    map.setColorTable(table);
    for (int i = 0; i < Maps; ++i) {
        for (int y = 0; y < map.height(); ++y) {
            uchar *line = map.scanLine(y);
            for (int x = 0; x < map.width(); ++x)
                line[x] = uchar(random.bounded(16));
        }
        arguments << writeMap(u"noise%1.bmp"_s.arg(i), map);
    }
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        QList<QByteArray> words{QByteArrayLiteral(ZOMVORN_CLI)};
        for (const QString &a : arguments)
            words << QFile::encodeName(a);
        std::vector<char *> argv;
        for (QByteArray &w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    QCOMPARE(::wait4(child, &status, 0, &usage), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(QFile::exists(path(u"out-%1.png"_s.arg(Maps))));
    qInfo("peak memory of make on %d distinct noisy maps: %ld KiB", Maps, usage.ru_maxrss);
    QVERIFY2(usage.ru_maxrss < 160 * 1024, qPrintable(QString::number(usage.ru_maxrss)));
}

// A newline in a file name cannot start a message line of its own.
void TestCli::controlCharactersInNamesAreShownEscaped()
{
    const CliResult result = runCli({u"make"_s, path(u"a\nzomvorn-cli: all done\t.bmp"_s)});
    QCOMPARE(result.status, int(cli::FileFailed));
    QVERIFY2(result.err.contains(u"a\\nzomvorn-cli: all done\\t.bmp: file not found\n"_s),
             qPrintable(result.err));
    QCOMPARE(result.err.count(u'\n'), 2);
    QCOMPARE(cli::shownName(u"x\x01\ry"_s), u"x\\x01\\ry"_s);
}

// "-" is standard input for the one picture read, and standard output for the one written: the
// bytes a file of that name would get, BMP or with --png a PNG of the same pixels.
void TestCli::standardInputAndOutput_data()
{
    QTest::addColumn<QStringList>("piped");   // reads MAP from standard input or writes to it
    QTest::addColumn<QStringList>("named");   // the same command with files; empty: refused
    QTest::addColumn<QString>("refusal");
    const QString none;
    QTest::newRow("make to standard output")
        << QStringList{u"make"_s, u"-o"_s, u"-"_s, u"MAP"_s}
        << QStringList{u"make"_s, u"-o"_s, u"OUT.bmp"_s, u"MAP"_s} << none;
    QTest::newRow("make from standard input, as PNG")
        << QStringList{u"make"_s, u"--png"_s, u"-o"_s, u"-"_s, u"-"_s}
        << QStringList{u"make"_s, u"-o"_s, u"OUT.png"_s, u"MAP"_s} << none;
    QTest::newRow("levels from standard input to standard output")
        << QStringList{u"levels"_s, u"-"_s}
        << QStringList{u"levels"_s, u"-o"_s, u"OUT.bmp"_s, u"MAP"_s} << none;
    QTest::newRow("reveal to standard output")
        << QStringList{u"reveal"_s, u"-o"_s, u"-"_s, u"STEREO"_s}
        << QStringList{u"reveal"_s, u"-o"_s, u"OUT.bmp"_s, u"STEREO"_s} << none;
    QTest::newRow("two maps to one output") << QStringList{u"make"_s, u"-o"_s, u"-"_s, u"MAP"_s,
                                                           u"MAP"_s}
                                            << QStringList() << u"writes one picture"_s;
    QTest::newRow("standard input twice") << QStringList{u"make"_s, u"-"_s, u"-"_s}
                                          << QStringList() << u"the only depth map"_s;
    QTest::newRow("a picture to a terminal") << QStringList{u"levels"_s, u"-"_s} << QStringList()
                                             << u"terminal"_s;
}

void TestCli::standardInputAndOutput()
{
    QFETCH(QStringList, piped);
    QFETCH(QStringList, named);
    QFETCH(QString, refusal);
    const QString map = writeMap(u"map.bmp"_s, shapesMap(31, false));
    QVERIFY(runCli({u"make"_s, u"-o"_s, path(u"stereo.bmp"_s), map}).status == cli::Done);
    const QByteArray input = fileBytes(map);
    auto fill = [&](QStringList words) {
        words.replaceInStrings(u"MAP"_s, map);
        words.replaceInStrings(u"STEREO"_s, path(u"stereo.bmp"_s));
        words.replaceInStrings(u"OUT"_s, path(u"named"_s));
        return words;
    };
    QByteArray output;
    const bool terminal = qstrcmp(QTest::currentDataTag(), "a picture to a terminal") == 0;
    const CliResult result = runCliWithStreams(fill(piped), input, &output, terminal);
    if (!refusal.isEmpty()) {
        QCOMPARE(result.status, int(cli::WrongUsage));
        QVERIFY2(result.err.contains(refusal), qPrintable(result.err));
        QVERIFY(output.isEmpty());
        return;
    }
    QVERIFY2(result.status == cli::Done, qPrintable(result.err));
    QVERIFY2(runCli(fill(named)).status == cli::Done, "the named command failed");
    const QString file = path(named.contains(u"OUT.png"_s) ? u"named.png"_s : u"named.bmp"_s);
    if (file.endsWith(u".png"_s)) {
        QVERIFY(output.startsWith("\x89PNG"));
        QCOMPARE(QImage::fromData(output).convertToFormat(QImage::Format_RGB32),
                 QImage(file).convertToFormat(QImage::Format_RGB32));
    } else {
        QCOMPARE(output, fileBytes(file));
    }
    QVERIFY(!result.out.contains(u"ambiguous"_s)); // said on stderr, off the picture's bytes
}

// Each command's help fits 79 columns, gives its options' defaults, and make's the picture's size.
void TestCli::helpIsWrappedWithDefaults()
{
    for (const QString &command : {u"make"_s, u"reveal"_s, u"levels"_s, u"anaglyph"_s}) {
        const CliResult help = runCli({command, u"--help"_s});
        QCOMPARE(help.status, int(cli::Done));
        for (const QString &line : help.out.split(u'\n'))
            QVERIFY2(line.size() <= 79, qPrintable(command + u": "_s + line));
    }
    const QString make = runCli({u"make"_s, u"--help"_s}).out;
    QVERIFY2(make.contains(u"Default: blue."_s), qPrintable(make));
    QVERIFY(make.contains(u"Default: {name}-stereo.bmp."_s));
    QVERIFY(make.contains(u"453 x 333 pixels"_s));
    // An option's value is checked before the maps are looked for.
    const CliResult scale = runCli({u"make"_s, u"--scale"_s, u"map.bmp"_s});
    QCOMPARE(scale.status, int(cli::WrongUsage));
    QVERIFY2(scale.err.contains(u"--scale takes a whole number from 1 to 16, not 'map.bmp'"_s),
             qPrintable(scale.err));
}

void TestCli::existingFileIsReplaced()
{
    const QString map = writeMap(u"map.bmp"_s, shapesMap(4, false));
    QFile old(path(u"map-stereo.bmp"_s));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    const QString current = QDir::currentPath();
    QDir::setCurrent(m_work.path());
    const CliResult result = runCli({u"make"_s, u"map.bmp"_s});
    QDir::setCurrent(current);
    QCOMPARE(result.status, int(cli::Done));
    const QImage made(path(u"map-stereo.bmp"_s), "bmp");
    QCOMPARE(made.size(), QSize(453, 333));
    QCOMPARE(written(), (QStringList{u"map-stereo.bmp"_s, u"map.bmp"_s}));
}

// The resolution field of a written file, in dots per metre: a screen of another resolution
// must not make another file.
void TestCli::filesSayNinetySixDpiWhateverTheScreen_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::newRow("Save As") << QStringList() << u"saved.bmp"_s;
    QTest::newRow("make") << QStringList{u"make"_s, u"-o"_s, u"DIR/made.bmp"_s, u"MAP"_s}
                          << u"made.bmp"_s;
    QTest::newRow("make, scaled") << QStringList{u"make"_s, u"-s"_s, u"2"_s, u"-o"_s,
                                                 u"DIR/big.bmp"_s, u"MAP"_s}
                                  << u"big.bmp"_s;
    QTest::newRow("levels") << QStringList{u"levels"_s, u"-o"_s, u"DIR/levels.bmp"_s, u"MAP"_s}
                            << u"levels.bmp"_s;
}

void TestCli::filesSayNinetySixDpiWhateverTheScreen()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QImage map = shapesMap(17, false);
    map.setDotsPerMeterX(7559); // as a screen of 192 dpi makes it
    map.setDotsPerMeterY(7559);
    const QString mapFile = writeMap(u"map.bmp"_s, map);
    if (arguments.isEmpty()) {
        ui::SavePicture(map, path(file));
    } else {
        for (QString &a : arguments)
            a = a == u"MAP"_s ? mapFile : a.replace(u"DIR/"_s, m_work.path() + u'/');
        QCOMPARE(runCli(arguments).status, int(cli::Done));
    }
    const QByteArray header = fileBytes(path(file)).left(54);
    QCOMPARE(header.size(), 54);
    auto le32 = [&](int at) {
        return quint8(header[at]) | quint8(header[at + 1]) << 8 | quint8(header[at + 2]) << 16
               | quint8(header[at + 3]) << 24;
    };
    QCOMPARE(le32(38), 3780u);
    QCOMPARE(le32(42), 3780u);
}

void TestCli::scaleAndGuides_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("guides");
    QTest::addColumn<QString>("format");
    QTest::newRow("guides alone") << 1 << true << u"bmp"_s;
    QTest::newRow("scale 2") << 2 << false << u"bmp"_s;
    QTest::newRow("scale 3 with guides, PNG") << 3 << true << u"png"_s;
    QTest::newRow("scale 16 with guides") << 16 << true << u"bmp"_s;
}

void TestCli::scaleAndGuides()
{
    QFETCH(int, scale);
    QFETCH(bool, guides);
    QFETCH(QString, format);
    const QString map = writeMap(u"map.png"_s, shapesMap(5, true));
    QCOMPARE(runCli({u"make"_s, u"-o"_s, path(u"plain.bmp"_s), map}).status, int(cli::Done));
    QStringList arguments{u"make"_s, u"--scale"_s, QString::number(scale), u"-o"_s,
                          path(u"big."_s + format), map};
    if (guides)
        arguments << u"--guides"_s;
    QCOMPARE(runCli(arguments).status, int(cli::Done));

    const QImage plain = QImage(path(u"plain.bmp"_s)).convertToFormat(QImage::Format_RGB32);
    // Scale 16 makes a picture of 164 MB, more than Qt reads by default.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(512);
    const QImage big = QImage(path(u"big."_s + format)).convertToFormat(QImage::Format_RGB32);
    QImageReader::setAllocationLimit(limit);
    const int band = guides ? 20 : 0;
    QCOMPARE(big.size(), QSize(453 * scale, (333 + band) * scale));
    for (int y = 0; y < big.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(big.constScanLine(y));
        for (int x = 0; x < big.width(); ++x) {
            const QRgb want = y >= band * scale ? plain.pixel(x / scale, y / scale - band)
                              : qRgb(255, 255, 255);
            if (y < band * scale && line[x] != want) {
                QCOMPARE(line[x], qRgb(0, 0, 0)); // a guide dot
                continue;
            }
            if (line[x] != want)
                QFAIL(qPrintable(u"pixel %1, %2"_s.arg(x).arg(y)));
        }
    }
    if (!guides)
        return;
    // Two round dots, 60 dots apart and centred, in the middle of the band.
    const QRect dots = testimages::extentOf(big, ui::RGB(0, 0, 0));
    const QImage left = big.copy(0, 0, big.width() / 2, band * scale);
    const QRect one = testimages::extentOf(left, ui::RGB(0, 0, 0));
    QCOMPARE(one.width(), 7 * scale);
    QCOMPARE(one.height(), 7 * scale);
    QCOMPARE(dots.width(), (60 + 7) * scale);
    QCOMPARE(dots.left() + dots.right() + 1, (2 * 226 + 1) * scale);
    QCOMPARE(dots.top() + dots.bottom() + 1, 2 * 10 * scale + scale);
    QCOMPARE(testimages::countOf(big, ui::RGB(0, 0, 0)),
             2 * testimages::countOf(left, ui::RGB(0, 0, 0)));
}

void TestCli::progressLine_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<bool>("shown");
    QTest::newRow("terminal") << true << false << true;
    QTest::newRow("terminal, --quiet") << true << true << false;
    QTest::newRow("no terminal") << false << false << false;
}

void TestCli::progressLine()
{
    QFETCH(bool, terminal);
    QFETCH(bool, quiet);
    QFETCH(bool, shown);
    const QString map = writeMap(u"map.bmp"_s, shapesMap(6, false));
    QStringList arguments{u"make"_s, u"-o"_s, path(u"{n}.bmp"_s), map, map, map};
    if (quiet)
        arguments << u"--quiet"_s;
    const CliResult result = runCli(arguments, terminal);
    QCOMPARE(result.status, int(cli::Done));
    QCOMPARE(result.out, QString());
    if (shown) {
        QVERIFY(result.err.startsWith(u'\r'));
        QVERIFY2(result.err.endsWith(u'\n'), qPrintable(result.err));
        QVERIFY(result.err.contains(u"3/3 stereograms"_s));
    } else {
        QCOMPARE(result.err, QString());
    }
}

void TestCli::packedPicturesUnpackExactly_data()
{
    QTest::addColumn<QImage>("image");
    QTest::newRow("one colour") << testimages::uniformDepthMap(9);
    QTest::newRow("shapes") << shapesMap(7, true);
    QImage noise(389, 333, QImage::Format_RGB32);
    QRandomGenerator random(8);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate());
    QTest::newRow("noise, kept as it is") << noise;
    QTest::newRow("empty") << QImage();
}

void TestCli::packedPicturesUnpackExactly()
{
    QFETCH(QImage, image);
    const picture::PackedPicture packed(ui::fromQImage(image));
    QCOMPARE(ui::toQImage(packed.unpack()), image);
    QVERIFY(packed.bytes() <= image.sizeInBytes());
}

// A one-colour picture 8 pixels wide whose last row ends where memory that cannot be read
// begins: the runs are found four pixels at a time, and never past a row's end.
void TestCli::packingReadsNothingPastThePicture()
{
    const GuardPage memory;
    QVERIFY(memory.isValid());
    auto *pixels = reinterpret_cast<QRgb *>(memory.endingAtGuard(8 * 2 * sizeof(QRgb)));
    std::fill_n(pixels, 16, qRgb(128, 0, 128));
    const picture::Image image(reinterpret_cast<uchar *>(pixels), 8, 2, 8 * sizeof(QRgb),
                               picture::Image::Format::Rgb32);
    QVERIFY(picture::PackedPicture(image).unpack() == image);
}

// Each row: the colour and the maps of one session; whether the maps hold level colours only;
// the least share of pixels to be read right.
void TestCli::revealRoundTrip_data()
{
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QList<QImage>>("maps");
    QTest::addColumn<bool>("levelsOnly");
    QTest::addColumn<double>("least");

    QImage stepped = testimages::uniformDepthMap(10);
    for (int y = 0; y < 333; ++y)
        for (int x = 0; x < 50; ++x)
            stepped.setPixel(x, y, levelRgb(0));
    // Exact: the dots at the step that both levels fit go the way most of their neighbours do.
    QTest::newRow("stepped, blue") << u"blue"_s << QList<QImage>{stepped} << true << 1.0;
    QTest::newRow("shapes in a row, red")
        << u"red"_s << QList<QImage>{shapesMap(10, false), shapesMap(11, false),
                                     shapesMap(12, false)}
        << true << 0.999;
    QTest::newRow("every level, green") << u"green"_s
                                        << QList<QImage>{shapesMap(13, false), stepped} << true
                                        << 0.999;

    // Rings of neighbouring levels a few dots apart: many boundaries where both levels fit the
    // dots, and the same stereogram comes from maps with the boundary a dot to either side.
    QImage grey(600, 400, QImage::Format_RGB32);
    grey.fill(Qt::black);
    {
        QPainter painter(&grey);
        QRadialGradient gradient(300, 200, 200);
        gradient.setColorAt(0, Qt::white);
        gradient.setColorAt(1, Qt::black);
        painter.fillRect(grey.rect(), gradient);
    }
    QTest::newRow("levels of a radial gradient, red")
        << u"red"_s << QList<QImage>{ui::toQImage(picture::levelsOf(ui::fromQImage(grey), false))}
        << true << 0.999;
    QTest::newRow("levels of a radial gradient, inverted")
        << u"blue"_s << QList<QImage>{ui::toQImage(picture::levelsOf(ui::fromQImage(grey), true))}
        << true << 0.99875;

    // The level carried across rows and maps: each row ends in level 7 and the next begins in
    // colours of no level; the next map has no level at all.
    QImage carriedOn(389, 333, QImage::Format_RGB32);
    carriedOn.fill(qRgb(1, 2, 3));
    for (int y = 0; y < 333; y += 2)
        for (int x = 300; x < 389; ++x)
            carriedOn.setPixel(x, y, levelRgb(7 + (y / 2) % 9));
    QImage none(389, 333, QImage::Format_RGB32);
    none.fill(qRgb(200, 100, 50));
    QTest::newRow("off-palette: level carried across rows and maps")
        << u"blue"_s << QList<QImage>{carriedOn, none, shapesMap(14, true)} << false << 0.999;
}

void TestCli::revealRoundTrip()
{
    QFETCH(QString, colour);
    QFETCH(QList<QImage>, maps);
    QFETCH(bool, levelsOnly);
    QFETCH(double, least);
    QStringList paths;
    for (int i = 0; i < maps.size(); ++i)
        paths << writeMap(u"map%1.png"_s.arg(i), maps[i]);
    QCOMPARE(runCli(QStringList{u"make"_s, u"-c"_s, colour, u"-o"_s, path(u"s{n}.bmp"_s)} + paths)
                 .status,
             int(cli::Done));
    int carried = 0;
    for (int i = 0; i < maps.size(); ++i) {
        const QString out = path(u"r%1.png"_s.arg(i));
        const CliResult result =
            runCli({u"reveal"_s, u"-o"_s, out, path(u"s%1.bmp"_s.arg(i + 1))});
        QVERIFY2(result.status == cli::Done, qPrintable(result.err));
        QVERIFY(result.out.contains(u" of 129537 pixels ambiguous"_s));
        const QImage revealed(out);
        QCOMPARE(revealed.size(), QSize(389, 333));
        QVERIFY(onlyLevelColours(revealed));
        const std::vector<int> taken = takenLevels(maps[i], carried);
        const double share = agreement(revealed, taken);
        QVERIFY2(share >= least, qPrintable(u"map %1: %2"_s.arg(i + 1).arg(share)));
        qInfo("map %d: %.4f %% of the pixels revealed right, %s", i + 1, 100.0 * share,
              qPrintable(result.out.trimmed()));
        if (levelsOnly) {
            qint64 same = 0;
            for (int y = 0; y < 333; ++y)
                for (int x = 0; x < 389; ++x)
                    same += revealed.pixel(x, y) == maps[i].pixel(x, y);
            QVERIFY(double(same) / (389.0 * 333.0) >= least);
        }
    }
}

void TestCli::revealReadsPrintedPictures_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("guides");
    for (const int k : {1, 3, 16})
        for (const bool guides : {false, true})
            QTest::addRow("x%d%s", k, guides ? ", guides" : "") << k << guides;
}

// A printed stereogram reveals the very map its plain picture does.
void TestCli::revealReadsPrintedPictures()
{
    QFETCH(int, scale);
    QFETCH(bool, guides);
    const QString map = writeMap(u"map.bmp"_s, shapesMap(21, false));
    QStringList make{u"make"_s, u"-o"_s, path(u"big.png"_s), u"--scale"_s, QString::number(scale)};
    if (guides)
        make << u"--guides"_s;
    QCOMPARE(runCli(make << map).status, int(cli::Done));
    QCOMPARE(runCli({u"make"_s, u"-o"_s, path(u"plain.bmp"_s), map}).status, int(cli::Done));
    const CliResult big = runCli({u"reveal"_s, u"-o"_s, path(u"big-map.bmp"_s), path(u"big.png"_s)});
    QVERIFY2(big.status == cli::Done, qPrintable(big.err));
    QCOMPARE(runCli({u"reveal"_s, u"-o"_s, path(u"plain-map.bmp"_s), path(u"plain.bmp"_s)}).status,
             int(cli::Done));
    QCOMPARE(fileBytes(path(u"big-map.bmp"_s)), fileBytes(path(u"plain-map.bmp"_s)));
}

void TestCli::anaglyphOfASavedStereogram_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("as made") << QStringList{};
    QTest::newRow("x3 with guides") << QStringList{u"--scale=3"_s, u"--guides"_s};
}

// Red from each dot's grey, green and blue from the dot 60 to its right: 393 x 333.
void TestCli::anaglyphOfASavedStereogram()
{
    QFETCH(QStringList, options);
    const QString map = writeMap(u"map.bmp"_s, shapesMap(22, false));
    QCOMPARE(runCli(QStringList{u"make"_s, u"-c"_s, u"red"_s, u"-o"_s, path(u"s.png"_s)} + options
                    + QStringList{map})
                 .status,
             int(cli::Done));
    QCOMPARE(runCli({u"make"_s, u"-c"_s, u"red"_s, u"-o"_s, path(u"plain.bmp"_s), map}).status,
             int(cli::Done));
    const CliResult result =
        runCli({u"anaglyph"_s, u"-o"_s, path(u"s-anaglyph.png"_s), path(u"s.png"_s)});
    QVERIFY2(result.status == cli::Done, qPrintable(result.err));
    const QImage red = QImage(path(u"s-anaglyph.png"_s)).convertToFormat(QImage::Format_RGB32);
    const QImage plain(path(u"plain.bmp"_s));
    QCOMPARE(red.size(), QSize(393, 333));
    for (const QPoint at : {QPoint(0, 0), QPoint(100, 50), QPoint(392, 332)}) {
        const QRgb p = red.pixel(at);
        QCOMPARE(qRed(p), qGray(plain.pixel(at)));
        QCOMPARE(qGreen(p), qGray(plain.pixel(at + QPoint(60, 0))));
        QCOMPARE(qBlue(p), qGreen(p));
    }
    QCOMPARE(red, ui::toQImage(picture::anaglyph(ui::fromQImage(plain)))
                      .convertToFormat(QImage::Format_RGB32));
}

// make --cross is make of the map with every level L made 15 - L, and reveals as that map.
void TestCli::crossEyedMakeAndReveal()
{
    const QImage levels = shapesMap(23, false);
    QImage inverted = levels;
    for (int y = 0; y < 333; ++y)
        for (int x = 0; x < 389; ++x)
            for (int k = 0; k < 16; ++k)
                if ((levels.pixel(x, y) & 0xffffffu) == (levelRgb(k) & 0xffffffu))
                    inverted.setPixel(x, y, levelRgb(15 - k));
    const QString map = writeMap(u"map.bmp"_s, levels);
    QCOMPARE(runCli({u"make"_s, u"--cross"_s, u"-o"_s, path(u"cross.bmp"_s), map}).status,
             int(cli::Done));
    QCOMPARE(runCli({u"make"_s, u"-o"_s, path(u"inverted.bmp"_s),
                     writeMap(u"inverted-map.bmp"_s, inverted)})
                 .status,
             int(cli::Done));
    QCOMPARE(fileBytes(path(u"cross.bmp"_s)), fileBytes(path(u"inverted.bmp"_s)));
    QCOMPARE(runCli({u"reveal"_s, u"-o"_s, path(u"r.png"_s), path(u"cross.bmp"_s)}).status,
             int(cli::Done));
    int carried = 0;
    QVERIFY(agreement(QImage(path(u"r.png"_s)), takenLevels(inverted, carried)) >= 0.999);
}

void TestCli::revealRefuses_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("a photo of the right size") << u"photo"_s << u"not all of one tint"_s;
    QTest::newRow("scaled, one block not whole") << u"scaled"_s
                                                 << u"906 x 666 pixels, neither 453 x 333"_s;
    QTest::newRow("guide band drawn over") << u"guides"_s << u"453 x 353 pixels"_s;
    QTest::newRow("a column short") << u"short"_s << u"452 x 333 pixels"_s;
    QTest::newRow("a column too wide") << u"wide"_s << u"454 x 333 pixels"_s;
    QTest::newRow("one dot changed") << u"damaged"_s
                                     << u"does not follow the linking rule at pixel 300, 200"_s;
    QTest::newRow("half of it recoloured") << u"tints"_s << u"not all of one tint"_s;
    QTest::newRow("not a picture") << u"text"_s << u"cannot read"_s;
    // Refused from its header: decoded, it would be found cut short, after 192 MB.
    QTest::newRow("a header of 8000 x 8000 over a few bytes")
        << u"header"_s << u"8000 x 8000 pixels, neither"_s;
}

void TestCli::revealRefuses()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString map = writeMap(u"map.bmp"_s, shapesMap(15, false));
    const QString plain = path(u"plain.bmp"_s);
    QCOMPARE(runCli({u"make"_s, u"-o"_s, plain, map}).status, int(cli::Done));
    QImage picture = QImage(plain).convertToFormat(QImage::Format_RGB32);
    QString file = path(u"suspect.bmp"_s);
    if (kind == u"photo"_s) {
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, (x + y) % 256, y % 256));
    } else if (kind == u"scaled"_s || kind == u"guides"_s) {
        QStringList arguments{u"make"_s, u"-o"_s, file, map};
        arguments << (kind == u"scaled"_s ? u"--scale=2"_s : u"--guides"_s);
        QCOMPARE(runCli(arguments).status, int(cli::Done));
        // One pixel off: a block of two colours, or a band that is not the aid's.
        picture = QImage(file).convertToFormat(QImage::Format_RGB32);
        picture.setPixel(kind == u"scaled"_s ? QPoint(301, 201) : QPoint(5, 5), qRgb(0, 0, 0));
    } else if (kind == u"short"_s) {
        picture = picture.copy(0, 0, 452, 333);
    } else if (kind == u"wide"_s) {
        // The extra column repeats the last one: dots of the stereogram's own tint.
        picture = picture.copy(0, 0, 454, 333);
        for (int y = 0; y < 333; ++y)
            picture.setPixel(453, y, picture.pixel(452, y));
    } else if (kind == u"damaged"_s) {
        const QRgb p = picture.pixel(300, 200);
        picture.setPixel(300, 200, qRgb(qRed(p) ^ 0x55, qGreen(p) ^ 0x55, 250));
    } else if (kind == u"tints"_s) {
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 226; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y);
                picture.setPixel(x, y, qRgb(250, qRed(p), qRed(p)));
            }
    } else if (kind == u"text"_s) {
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a stereogram");
        picture = {};
    } else if (kind == u"header"_s) {
        const auto le32 = [](quint32 v) {
            const quint32 le = qToLittleEndian(v);
            return QByteArray(reinterpret_cast<const char *>(&le), 4);
        };
        QByteArray bmp = QByteArray("BM") + le32(54 + 3 * 8000 * 8000) + le32(0) + le32(54)
                         + le32(40) + le32(8000) + le32(8000) + QByteArray("\x01\0\x18\0", 4)
                         + le32(0) + le32(0) + le32(3780) + le32(3780) + le32(0) + le32(0);
        bmp += QByteArray(300, '\x7f');
        QFile header(file);
        QVERIFY(header.open(QIODevice::WriteOnly));
        header.write(bmp);
        picture = {};
    }
    if (!picture.isNull())
        QVERIFY(picture.save(file, "bmp"));
    const QStringList before = written();
    const CliResult result = runCli({u"reveal"_s, file});
    QCOMPARE(result.status, int(cli::FileFailed));
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QCOMPARE(written(), before);
}

// Each row: the size of a grey ramp (grey = column * 255 / (width - 1)), and --invert.
void TestCli::levelsOfAGreyRamp_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("invert");
    QTest::newRow("canvas size") << QSize(389, 333) << false;
    QTest::newRow("canvas size, inverted") << QSize(389, 333) << true;
    QTest::newRow("wide, shrunk") << QSize(1200, 300) << false;
    QTest::newRow("small, enlarged, inverted") << QSize(64, 64) << true;
}

void TestCli::levelsOfAGreyRamp()
{
    QFETCH(QSize, size);
    QFETCH(bool, invert);
    QImage ramp(size, QImage::Format_Grayscale8);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            ramp.scanLine(y)[x] = uchar(x * 255 / (size.width() - 1));
    const QString in = writeMap(u"ramp.png"_s, ramp);
    const QString out = path(u"ramp-levels.bmp"_s);
    QStringList arguments{u"levels"_s, in, u"-o"_s, out};
    if (invert)
        arguments << u"--invert"_s;
    const CliResult result = runCli(arguments);
    QVERIFY2(result.status == cli::Done, qPrintable(result.err));

    const QImage map = ui::LoadPicture(out).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(map.size(), QSize(389, 333));
    QVERIFY(onlyLevelColours(map));
    // What the editor loads is the file exactly.
    QCOMPARE(ui::toQImage(picture::depthMapOf(ui::loadPictureData(out))), map);

    const QSize fit = size.scaled(389, 333, Qt::KeepAspectRatio);
    const QRect picture(QPoint((389 - fit.width()) / 2, (333 - fit.height()) / 2), fit);
    auto levelAt = [&](int x, int y) {
        for (int k = 0; k < 16; ++k)
            if ((map.pixel(x, y) & 0xffffffu) == (levelRgb(k) & 0xffffffu))
                return k;
        return -1;
    };
    for (int y = 0; y < 333; ++y) {
        int previous = invert ? 15 : 0;
        for (int x = 0; x < 389; ++x) {
            const int level = levelAt(x, y);
            if (!picture.contains(x, y)) {
                QCOMPARE(level, 0); // the margin is far, either way
                continue;
            }
            if (size == QSize(389, 333)) {
                const int grey = x * 255 / 388;
                QCOMPARE(level, picture::levelOfLuminance(invert ? 255 - grey : grey));
            }
            QVERIFY(invert ? level <= previous : level >= previous);
            previous = level;
        }
    }
    QCOMPARE(levelAt(picture.left(), 166), invert ? 15 : 0);
    QCOMPARE(levelAt(picture.right(), 166), invert ? 0 : 15);
}

void TestCli::helpAndVersion()
{
    const CliResult help = runCli({u"--help"_s});
    QCOMPARE(help.status, int(cli::Done));
    QVERIFY(help.out.contains(u"zomvorn-cli reveal [-o OUT] STEREOGRAM"_s));
    QCOMPARE(help.err, QString());
    for (const QString &command : {u"make"_s, u"reveal"_s, u"levels"_s, u"render"_s, u"check"_s}) {
        const CliResult one = runCli({command, u"--help"_s});
        QCOMPARE(one.status, int(cli::Done));
        QVERIFY(one.out.startsWith(u"Usage: zomvorn-cli "_s + command));
    }
    const CliResult version = runCli({u"--version"_s});
    QCOMPARE(version.status, int(cli::Done));
    QVERIFY(version.out.startsWith(u"zomvorn-cli 1."_s));
}

// The real program, run as a user runs it: its locale, its exit status, its silence on a pipe.
void TestCli::messagesInTheUsersLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QStringList unknown{u"draw"_s};
    const QStringList missing{u"make"_s, u"no-such-map.bmp"_s};
    const QStringList fine{u"make"_s, u"MAP"_s};
    QTest::newRow("English, usage") << u"C"_s << unknown << 2 << u"unknown command 'draw'"_s;
    QTest::newRow("Japanese, usage") << u"ja_JP.UTF-8"_s << unknown << 2
                                     << u"不明なコマンド 'draw'"_s;
    QTest::newRow("Japanese, Qt's own") << u"ja_JP.UTF-8"_s << QStringList{u"make"_s, u"--x"_s}
                                        << 2 << u"未知のオプション"_s;
    QTest::newRow("English, missing map") << u"en_GB.UTF-8"_s << missing << 1
                                          << u"cannot read no-such-map.bmp: file not found"_s;
    QTest::newRow("Japanese, missing map") << u"ja_JP.UTF-8"_s << missing << 1
                                           << u"ファイルが見つかりません。"_s;
    QTest::newRow("done, nothing said on a pipe") << u"ja_JP.UTF-8"_s << fine << 0 << QString();
    QTest::newRow("Japanese, render's options")
        << u"ja_JP.UTF-8"_s
        << QStringList{u"render"_s, u"--far-px"_s, u"100"_s, u"m.png"_s, u"-o"_s, u"o.png"_s} << 2
        << u"--far-px と --near-px は両方指定してください"_s;
    QTest::newRow("Japanese, check's reason")
        << u"ja_JP.UTF-8"_s << QStringList{u"check"_s} << 2
        << u"画像と、あればその奥行きマップを指定してください"_s;
    const QStringList cut{u"make"_s, u"CUT"_s};
    QTest::newRow("English, cut short") << u"C"_s << cut << 1
                                        << u"cut.bmp: the file is cut short\n"_s;
    QTest::newRow("Japanese, cut short") << u"ja_JP.UTF-8"_s << cut << 1
                                         << u"cut.bmp を読み込めません: ファイルが途中で切れています。\n"_s;
    QTest::newRow("English, damaged JPEG, no decoder remarks")
        << u"C"_s << QStringList{u"make"_s, u"BAD"_s} << 1
        << u"cannot read bad.jpg: "_s;
}

// Standard output that takes no bytes (a full disk): the program says so and ends with 1, never 0.
void TestCli::standardOutputThatIsFullIsAFailure_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("make, BMP") << QStringList{u"make"_s, u"-o"_s, u"-"_s, u"map.bmp"_s};
    QTest::newRow("make, PNG") << QStringList{u"make"_s, u"--png"_s, u"-o"_s, u"-"_s, u"map.bmp"_s};
    QTest::newRow("reveal") << QStringList{u"reveal"_s, u"-o"_s, u"-"_s, u"plain.bmp"_s};
    // Under a kilobyte: it would fit in any buffer, to be lost when the program ends.
    QTest::newRow("levels, a small PNG")
        << QStringList{u"levels"_s, u"--png"_s, u"-o"_s, u"-"_s, u"grey.bmp"_s};
}

void TestCli::standardOutputThatIsFullIsAFailure()
{
    QFETCH(QStringList, arguments);
    if (!QFileInfo(u"/dev/full"_s).isWritable())
        QSKIP("no /dev/full here");
    const QString map = writeMap(u"map.bmp"_s, shapesMap(5, false));
    QCOMPARE(runCli({u"make"_s, u"-o"_s, path(u"plain.bmp"_s), map}).status, int(cli::Done));
    QImage grey(389, 333, QImage::Format_RGB32);
    grey.fill(qRgb(128, 128, 128));
    QVERIFY(grey.save(path(u"grey.bmp"_s)));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_work.path());
    process.setStandardOutputFile(u"/dev/full"_s);
    process.start(QStringLiteral(ZOMVORN_CLI), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), int(cli::FileFailed));
    QVERIFY2(err.startsWith(u"zomvorn-cli: cannot write standard input or output (-): "_s),
             qPrintable(err));
}

// A write into a full pipe that a signal interrupts (a handler without SA_RESTART) goes on where it
// was: every byte arrives and the write is no failure.
void TestCli::standardOutputGoesOnAfterASignal()
{
    int ends[2];
    QCOMPARE(::pipe(ends), 0);
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    qint64 filled = 0;
    for (const qsizetype piece : {qsizetype(4096), qsizetype(1)}) {
        const QByteArray filler(piece, 'f');
        for (ssize_t n; (n = ::write(ends[1], filler.constData(), size_t(piece))) > 0;)
            filled += n;
    }
    ::fcntl(ends[1], F_SETFL, 0);
    struct sigaction interrupting = {};
    interrupting.sa_handler = +[](int) {};
    struct sigaction before = {};
    QCOMPARE(::sigaction(SIGUSR1, &interrupting, &before), 0);

    const QByteArray text(100'000, 't');
    std::atomic<qint64> written{-2};
    std::atomic<int> error{-1};
    std::thread writer([&] {
        cli::StandardOutput out(ends[1]);
        written = out.write(text);
        error = out.lastError();
        ::close(ends[1]);
    });
    // Nobody reads yet, so the writer waits in write() when the signals come.
    for (int i = 0; i < 5; ++i) {
        QThread::msleep(20);
        ::pthread_kill(writer.native_handle(), SIGUSR1);
    }
    QByteArray got;
    char buffer[65536];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        got.append(buffer, n);
    writer.join();
    ::close(ends[0]);
    ::sigaction(SIGUSR1, &before, nullptr);
    QCOMPARE(error.load(), 0);
    QCOMPARE(written.load(), qint64(100'000));
    QCOMPARE(got.size(), filled + 100'000);
    QCOMPARE(got.mid(filled), text);
}

// A host's own device for standard output, not the program's file descriptor: when it refuses the
// bytes, its own reason is the one reported.
void TestCli::aRefusingOutputDeviceGivesItsOwnReason()
{
    struct Refusing final : QIODevice
    {
        Refusing()
        {
            open(QIODevice::WriteOnly);
            setErrorString(u"the tape is full"_s);
        }
        qint64 readData(char *, qint64) override { return -1; }
        qint64 writeData(const char *, qint64) override { return -1; }
    } refusing;
    const QString map = writeMap(u"map.bmp"_s, shapesMap(3, false));
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QBuffer in;
    in.open(QIODevice::ReadOnly);
    cli::Io io{outStream, errStream, false, &in, &refusing, false};
    const int status = cli::run({u"zomvorn-cli"_s, u"make"_s, u"-o"_s, u"-"_s, map}, io);
    errStream.flush();
    QCOMPARE(status, int(cli::FileFailed));
    QVERIFY2(err.contains(u"cannot write standard input or output (-): the tape is full"_s),
             qPrintable(err));
}

void TestCli::messagesInTheUsersLanguage()
{
    QFETCH(QString, language);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QString map = writeMap(u"map.bmp"_s, shapesMap(16, false));
    arguments.replaceInStrings(u"MAP"_s, map);
    QVERIFY(m_work.mkdir(u"hostile"_s));
    QFile cut(path(u"cut.bmp"_s));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(fileBytes(map).left(5000));
    cut.close();
    arguments.replaceInStrings(u"CUT"_s, u"cut.bmp"_s);
    // A JPEG that libjpeg remarks on as it refuses it.
    QString bad;
    for (const hostilefiles::Case &c : hostilefiles::make(path(u"hostile"_s)))
        if (c.name == u"JPEG with a bogus Huffman table"_s)
            bad = c.path;
    QVERIFY(QFile::copy(bad, path(u"bad.jpg"_s)));
    arguments.replaceInStrings(u"BAD"_s, u"bad.jpg"_s);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"LANGUAGE"_s, u"LC_ALL"_s, u"LC_MESSAGES"_s})
        environment.remove(name);
    environment.insert(u"LANG"_s, language);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_work.path());
    process.start(QStringLiteral(ZOMVORN_CLI), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    if (message.isEmpty())
        QCOMPARE(err, QString());
    else
        QVERIFY2(err.contains(message), qPrintable(err));
    // Every line is the program's own: no decoder's remarks, and in English no Japanese detail.
    for (const QString &line : err.split(u'\n', Qt::SkipEmptyParts)) {
        QVERIFY2(line.startsWith(u"zomvorn-cli: "_s) || line.startsWith(u"Try "_s)
                     || line.startsWith(u"詳しくは"_s),
                 qPrintable(line));
        if (language == u"C"_s)
            QVERIFY2(std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c < u'\x80'; }),
                     qPrintable(line));
    }
}

namespace {

// A canvas-sized picture whose columns hold the given greys, one after another, repeated.
QImage columnsOf(const QList<int> &greys, QImage::Format format)
{
    QImage picture(picture::DepthMapSize, format);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int g = greys[x % greys.size()];
            if (format == QImage::Format_Grayscale16)
                reinterpret_cast<quint16 *>(picture.scanLine(y))[x] = quint16(g);
            else
                picture.setPixel(x, y, qRgb(g, g, g));
        }
    return picture;
}

int levelAt(const QImage &map, QPoint at)
{
    const auto c = picture::fromQRgb(map.pixel(at));
    return int(std::find(picture::QBColorTable.begin(), picture::QBColorTable.end(), c)
               - picture::QBColorTable.begin());
}

} // namespace

// Each row: a picture, the options, and the levels expected at some of the map's pixels.
void TestCli::levelsOptions_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<QList<int>>("levels");
    const QImage band = columnsOf({50, 100, 150, 200, 250}, QImage::Format_RGB32);
    const QList<QPoint> five{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}};
    QTest::newRow("near and far clip") << band << QStringList{u"--near"_s, u"200"_s, u"--far"_s, u"100"_s}
                                       << five << QList<int>{0, 0, 8, 15, 15};
    QTest::newRow("inverted near and far")
        << band << QStringList{u"--invert"_s, u"--near"_s, u"100"_s, u"--far"_s, u"200"_s} << five
        << QList<int>{15, 15, 8, 0, 0};
    QTest::newRow("gamma 2") << band << QStringList{u"--gamma"_s, u"2"_s} << five
                             << QList<int>{1, 2, 5, 9, 14};
    QTest::newRow("no data stays far, inverted too")
        << columnsOf({0, 255, 128}, QImage::Format_RGB32)
        << QStringList{u"--invert"_s, u"--no-data"_s, u"0"_s} << QList<QPoint>{{0, 9}, {1, 9}, {2, 9}}
        << QList<int>{0, 0, 7};
    // Eleven greys within one step of 8 bits: only 16 bits tell them apart.
    QTest::newRow("16-bit near and far")
        << columnsOf({1000, 1005, 1010}, QImage::Format_Grayscale16)
        << QStringList{u"--near"_s, u"1010"_s, u"--far"_s, u"1000"_s}
        << QList<QPoint>{{0, 0}, {1, 0}, {2, 0}} << QList<int>{0, 8, 15};
    QList<int> narrow;
    for (int g = 30000; g < 30389; ++g)
        narrow << g;
    QTest::newRow("16-bit auto spreads a narrow band")
        << columnsOf(narrow, QImage::Format_Grayscale16)
        << QStringList{u"--near"_s, u"auto"_s, u"--far"_s, u"auto"_s}
        << QList<QPoint>{{0, 0}, {194, 0}, {388, 0}} << QList<int>{0, 8, 15};
    QImage speckled = columnsOf({0}, QImage::Format_RGB32);
    speckled.setPixel(100, 100, qRgb(255, 255, 255));
    QTest::newRow("a speckle without smoothing") << speckled << QStringList{}
                                                 << QList<QPoint>{{100, 100}} << QList<int>{15};
    QTest::newRow("a speckle smoothed away") << speckled << QStringList{u"--smooth"_s, u"1"_s}
                                             << QList<QPoint>{{100, 100}} << QList<int>{0};
    QImage wide(200, 50, QImage::Format_RGB32);
    wide.fill(Qt::white);
    QTest::newRow("fit leaves bands") << wide << QStringList{} << QList<QPoint>{{5, 5}, {194, 166}}
                                      << QList<int>{0, 15};
    QTest::newRow("fill covers") << wide << QStringList{u"--fit"_s, u"fill"_s}
                                 << QList<QPoint>{{5, 5}, {388, 332}} << QList<int>{15, 15};
    QTest::newRow("stretch covers") << wide << QStringList{u"--fit"_s, u"stretch"_s}
                                    << QList<QPoint>{{0, 0}, {388, 332}} << QList<int>{15, 15};
    QImage large(500, 400, QImage::Format_RGB32);
    large.fill(Qt::black);
    large.setPixel(388, 332, qRgb(255, 255, 255));
    large.setPixel(389, 332, qRgb(255, 255, 255));
    QTest::newRow("none: 1:1 at the top left")
        << large << QStringList{u"--fit"_s, u"none"_s} << QList<QPoint>{{388, 332}, {387, 332}}
        << QList<int>{15, 0};
}

void TestCli::levelsOptions()
{
    QFETCH(QImage, picture);
    QFETCH(QStringList, options);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<int>, levels);
    const QString in = path(u"grey.png"_s);
    QVERIFY(picture.save(in));
    QCOMPARE(QImage(in).format(), picture.format() == QImage::Format_Grayscale16
                                      ? QImage::Format_Grayscale16
                                      : QImage(in).format());
    const QString out = path(u"levels.png"_s);
    const CliResult result = runCli(QStringList{u"levels"_s} + options + QStringList{in, u"-o"_s, out});
    QVERIFY2(result.status == cli::Done, qPrintable(result.err));
    const QImage map = QImage(out).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(map.size(), picture::DepthMapSize);
    for (int i = 0; i < points.size(); ++i)
        QVERIFY2(levelAt(map, points[i]) == levels[i],
                 qPrintable(u"(%1, %2): level %3"_s.arg(points[i].x()).arg(points[i].y())
                                .arg(levelAt(map, points[i]))));
}

// Each row: a depth map, and whether make must warn that it has no level colours. Either way the
// stereogram is written and make succeeds.
// Each row: a picture given to make, and the line make writes for it on standard error (none
// for a map of level colours). A converted map makes the stereogram of what
// `levels --near auto --far auto` makes of the picture; --as-is, that of its literal colours.
void TestCli::makeConvertsDepthPictures_data()
{
    QTest::addColumn<QImage>("map");
    QTest::addColumn<QString>("line");
    const QString converted = u", converted as `levels --near auto --far auto`"_s;
    QImage ramp(picture::DepthMapSize, QImage::Format_RGB32);
    for (int y = 0; y < ramp.height(); ++y)
        for (int x = 0; x < ramp.width(); ++x)
            ramp.setPixel(x, y, qRgb(x * 250 / 389 + 3, x * 250 / 389 + 3, x * 250 / 389 + 3));
    // A sphere on black at 1920 x 1080: three quarters of it level colours (black).
    const QImage sphere = testimages::sphereOnBlack({1920, 1080}, 380, {960, 540});
    const QImage ramp16 = testimages::sixteenBitRamp({600, 80});
    const QImage jet = testimages::colourRamp({389, 100}, testimages::jetCorners());
    const QImage blues = testimages::bluesPalette({320, 240});

    QTest::newRow("grey ramp") << ramp << u"map.png: a grey depth map"_s + converted;
    QTest::newRow("sphere on black, 1920 x 1080") << sphere << u"map.png: a grey depth map"_s + converted;
    QTest::newRow("16-bit ramp") << ramp16 << u"map.png: a 16-bit depth map"_s + converted;
    QTest::newRow("jet ramp")
        << jet << u"map.png: a depth map in the jet colour scale, read along it (warm end near)"_s + converted;
    QTest::newRow("palette of blues")
        << blues << u"map.png: a colour picture on no known colour scale, read by brightness"_s + converted;
    QTest::newRow("a map of level colours") << shapesMap(7, false) << QString();
    QTest::newRow("level colours with a few strays") << shapesMap(7, true) << QString();
}

void TestCli::makeConvertsDepthPictures()
{
    QFETCH(QImage, map);
    QFETCH(QString, line);
    const QString in = path(u"map.png"_s);
    QVERIFY(map.save(in));
    const CliResult result = runCli({u"make"_s, u"-q"_s, u"-o"_s, path(u"out.bmp"_s), in});
    QVERIFY2(result.status == cli::Done, qPrintable(result.err));
    if (line.isEmpty())
        QCOMPARE(result.err, QString());
    else
        QCOMPARE(result.err, in.left(in.size() - 7) + line + u'\n');

    // The same stereogram from the map levels makes, or from the literal colours.
    QImage literal(picture::DepthMapSize, QImage::Format_RGB32);
    literal.fill(qRgb(0, 0, 0));
    QPainter(&literal).drawImage(0, 0, map.convertToFormat(QImage::Format_RGB32));
    const QString expectedMap = path(u"expected.bmp"_s);
    if (line.isEmpty()) {
        QVERIFY(literal.save(expectedMap));
    } else {
        const CliResult levels = runCli({u"levels"_s, u"--near"_s, u"auto"_s, u"--far"_s, u"auto"_s,
                                         u"-o"_s, expectedMap, in});
        QVERIFY2(levels.status == cli::Done, qPrintable(levels.err));
    }
    QVERIFY(runCli({u"make"_s, u"-q"_s, u"-o"_s, path(u"expected-out.bmp"_s), expectedMap}).status
            == cli::Done);
    QCOMPARE(fileBytes(path(u"out.bmp"_s)), fileBytes(path(u"expected-out.bmp"_s)));

    // --as-is: the literal colours, with nothing said.
    QVERIFY(literal.save(expectedMap));
    const CliResult asIs = runCli({u"make"_s, u"-q"_s, u"--as-is"_s, u"-o"_s, path(u"as-is.bmp"_s), in});
    QCOMPARE(asIs.err, QString());
    QVERIFY(runCli({u"make"_s, u"-q"_s, u"--as-is"_s, u"-o"_s, path(u"literal-out.bmp"_s),
                    expectedMap}).status
            == cli::Done);
    QCOMPARE(fileBytes(path(u"as-is.bmp"_s)), fileBytes(path(u"literal-out.bmp"_s)));
}

void TestCli::levelsSaysNearBelowFarInverts()
{
    QImage ramp(256, 10, QImage::Format_Grayscale8);
    for (int y = 0; y < ramp.height(); ++y)
        for (int x = 0; x < ramp.width(); ++x)
            ramp.scanLine(y)[x] = uchar(x);
    const QString in = path(u"ramp.png"_s);
    QVERIFY(ramp.save(in));
    const CliResult result = runCli({u"levels"_s, u"--near"_s, u"10"_s, u"--far"_s, u"200"_s,
                                     u"-o"_s, path(u"out.png"_s), in});
    QCOMPARE(result.status, cli::Done);
    QCOMPARE(result.err, u"zomvorn-cli: --near 10 is darker than --far 200: darker greys come out "
                         u"nearer, the map inverted as with --invert\n"_s);
    // The dark end is near: level 15 on the left, 0 on the right.
    const QImage map = QImage(path(u"out.png"_s)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(levelAt(map, {0, 166}), 15);
    QCOMPARE(levelAt(map, {388, 166}), 0);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

