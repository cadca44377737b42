// SPDX-License-Identifier: MIT

#include "support/hostilefiles.h"
#include "support/testimages.h"

#include "picture/pictureencoder.h"
#include "picture/pictureerror.h"
#include "picture/pictureio.h"
#include "picture/readers.h"
#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <csignal>
#include <functional>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestPictureIo : public QObject
{
    Q_OBJECT

private slots:
    void emptyPathIsTheEmptyPicture();
    void desktopPictureLimit_data();
    void desktopPictureLimit();
    void diskFullSaysWhatIsKnown_data();
    void diskFullSaysWhatIsKnown();
    void hostileFileIsRefusedWithItsReason_data();
    void hostileFileIsRefusedWithItsReason();
    void pictureLoads_data();
    void pictureLoads();
    void partIsTheTopLeft_data();
    void partIsTheTopLeft();
    void sizeLimit_data();
    void sizeLimit();
    void greyPngWithATransparentGrey_data();
    void greyPngWithATransparentGrey();
    void statedSize_data();
    void statedSize();
    void undefinedPixelsAreTheSameEveryTime_data();
    void undefinedPixelsAreTheSameEveryTime();
    void outOfMemoryIsReported();
    void saveWritesA24BitBitmapUnderTheExactName();
    void encodedAsQtWroteThem_data();
    void encodedAsQtWroteThem();
    void failingOutputStopsTheEncoding();
    void pngWithAGivenPalette_data();
    void pngWithAGivenPalette();
    void failedSaveLeavesTheOldFileWhole_data();
    void failedSaveLeavesTheOldFileWhole();
    void fullDiskIsReported();
    void writeTargetsAreChecked_data();
    void writeTargetsAreChecked();
    void errorText();
    void reasonsWordedOncePerLanguage();

private:
    QTemporaryDir m_dir;
};

void TestPictureIo::emptyPathIsTheEmptyPicture()
{
    QVERIFY(ui::LoadPicture().isNull());
    QVERIFY(ui::LoadPicture(QString()).isNull());
}

void TestPictureIo::hostileFileIsRefusedWithItsReason_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("reason");
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).mkdir(u"hostile"_s);
    for (const hostilefiles::Case &c : hostilefiles::make(m_dir.filePath(u"hostile"_s)))
        QTest::newRow(qPrintable(c.name)) << c.path << c.number << c.reason;
}

// Each kind is answered at once with its own reason: a pipe or device would hang here if it were
// opened, a chunk or size lie would allocate gigabytes.
void TestPictureIo::hostileFileIsRefusedWithItsReason()
{
    QFETCH(QString, path);
    QFETCH(int, number);
    QFETCH(QString, reason);
    for (const QSize part : {QSize(), QSize(389, 333)}) {
        try {
            const QImage image = ui::LoadPicture(path, part);
            QFAIL(qPrintable(
                u"read as a picture of %1 x %2"_s.arg(image.width()).arg(image.height())));
        } catch (const ui::RuntimeError &e) {
            QVERIFY2(e.description().contains(reason), qPrintable(e.description()));
            QCOMPARE(e.number(), number);
        }
    }
}

namespace {

using hostilefiles::encoded;

QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 3) & 0xff, (y * 5) & 0xff, ((x ^ y) * 7) & 0xff));
    return image;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return f.fileName();
}

} // namespace

// Every format Qt reads loads whole, and the same each time; lossless ones exactly.
void TestPictureIo::pictureLoads_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("allowed"); // channel difference from the pattern; -1: not compared
    const QImage source = pattern(40, 30);
    // (Qt's ICO writer leaves bytes of its output unset; the fuzz replay reads an icon.)
    for (const char *format : {"BMP", "PNG"})
        QTest::newRow(format) << writeFile(m_dir, u"good."_s + QString::fromLatin1(format),
                                           encoded(source, format))
                              << source.size() << 0;
    QTest::newRow("JPEG") << writeFile(m_dir, u"good.jpg"_s, encoded(source, "JPG"))
                          << source.size() << -1;
    QTest::newRow("GIF") << writeFile(m_dir, u"good.gif"_s, hostilefiles::smallGif())
                         << QSize(16, 16) << -1;
    QByteArray png = encoded(source, "PNG");
    png.chop(1); // Qt takes a last chunk without its whole checksum
    QTest::newRow("PNG end chunk without its checksum")
        << writeFile(m_dir, u"crc.png"_s, png) << source.size() << 0;
}

void TestPictureIo::pictureLoads()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(int, allowed);
    const QImage image = ui::LoadPicture(path);
    QCOMPARE(image.size(), size);
    QCOMPARE(ui::LoadPicture(path), image);
    if (allowed >= 0) {
        const int difference = testimages::maxChannelDifference(image, pattern(40, 30));
        QVERIFY2(difference >= 0 && difference <= allowed, qPrintable(QString::number(difference)));
    }
}

void TestPictureIo::partIsTheTopLeft_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("allowed");
    const QImage source = pattern(500, 400);
    QTest::newRow("BMP") << writeFile(m_dir, u"part.bmp"_s, encoded(source, "BMP")) << 0;
    QTest::newRow("PNG") << writeFile(m_dir, u"part.png"_s, encoded(source, "PNG")) << 0;
    // JPEG decodes only the rows needed; smoothing at the cut may differ slightly.
    QTest::newRow("JPEG") << writeFile(m_dir, u"part.jpg"_s, encoded(source, "JPG")) << 8;
    QTest::newRow("smaller than the part")
        << writeFile(m_dir, u"small.png"_s, encoded(pattern(40, 30), "PNG")) << 0;
}

void TestPictureIo::partIsTheTopLeft()
{
    QFETCH(QString, path);
    QFETCH(int, allowed);
    const QImage whole = ui::LoadPicture(path);
    const QImage part = ui::LoadPicture(path, QSize(389, 333));
    const QRect expected = QRect(0, 0, 389, 333).intersected(whole.rect());
    QCOMPARE(part.size(), expected.size());
    const int difference = testimages::maxChannelDifference(part, whole.copy(expected));
    QVERIFY2(difference >= 0 && difference <= allowed, qPrintable(QString::number(difference)));
}

// 8000 x 8000 is the largest picture taken; one pixel more either way is refused from the header.
void TestPictureIo::sizeLimit_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("loads");
    QTest::newRow("8000 x 8000") << QSize(8000, 8000) << true;
    QTest::newRow("8001 x 1") << QSize(8001, 1) << false;
    QTest::newRow("1 x 8001") << QSize(1, 8001) << false;
}

void TestPictureIo::sizeLimit()
{
    QFETCH(QSize, size);
    QFETCH(bool, loads);
    const QString path = writeFile(m_dir, u"limit.bmp"_s,
                                   hostilefiles::emptyRle8Bitmap(size.width(), size.height()));
    try {
        const QImage image = ui::LoadPicture(path, QSize(389, 333));
        QVERIFY(loads);
        QCOMPARE(image.size(), QSize(389, 333).boundedTo(size));
    } catch (const ui::RuntimeError &e) {
        QVERIFY2(!loads, qPrintable(e.description()));
        QVERIFY(e.description().contains(u"画像が大きすぎます（%1 × %2 ピクセル）"_s
                                             .arg(size.width())
                                             .arg(size.height())));
    }
}

void TestPictureIo::greyPngWithATransparentGrey_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("transparent"); // the tRNS grey
    QTest::addColumn<QByteArray>("row");  // one row, without its filter byte
    QTest::addColumn<QList<QRgb>>("pixels"); // alpha 0: the colour is not compared
    const QRgb clear = qRgba(0, 0, 0, 0);
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    QTest::newRow("1 bit, white transparent") << 1 << 1 << QByteArray("\xa0", 1)
                                              << QList<QRgb>{clear, black, clear, black};
    QTest::newRow("1 bit, black transparent") << 1 << 0 << QByteArray("\xa0", 1)
                                              << QList<QRgb>{white, clear, white, clear};
    QTest::newRow("16 bits") << 16 << 0x4040 << QByteArray("\x40\x40\x80\x80\xff\xff", 6)
                             << QList<QRgb>{clear, qRgb(128, 128, 128), white};
}

void TestPictureIo::greyPngWithATransparentGrey()
{
    QFETCH(int, depth);
    QFETCH(int, transparent);
    QFETCH(QByteArray, row);
    QFETCH(QList<QRgb>, pixels);
    const int width = int(row.size()) * 8 / depth;
    QByteArray ihdr("\0\0\0\0\0\0\0\x01", 8); // width x 1
    ihdr[3] = char(width);
    ihdr.append(char(depth)).append(4, '\0'); // grey, no interlace
    const QByteArray trns = QByteArray(1, char(transparent >> 8)) + char(transparent & 0xff);
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + hostilefiles::pngChunk("IHDR", ihdr)
                           + hostilefiles::pngChunk("tRNS", trns)
                           + hostilefiles::pngChunk("IDAT", qCompress(QByteArray(1, '\0') + row).mid(4))
                           + hostilefiles::pngChunk("IEND", {});
    const QImage image =
        ui::LoadPicture(writeFile(m_dir, u"grey.png"_s, png)).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(width, 1));
    for (int x = 0; x < pixels.size(); ++x) {
        const QRgb got = image.pixel(x, 0);
        QCOMPARE(qAlpha(got), qAlpha(pixels[x]));
        if (qAlpha(got))
            QCOMPARE(got, pixels[x]);
    }
}

void TestPictureIo::statedSize_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::newRow("JPEG frame header") << hostilefiles::jpegSkeleton(32, 16, false) << QSize(32, 16);
    // A frame header of 7 bytes ends before its component count: it states nothing.
    QTest::newRow("JPEG frame header cut to 7 bytes")
        << QByteArray("\xff\xd8\xff\xc0\x00\x07\x08\x00\x10\x00\x20\xff\xd9", 13) << QSize();
    QTest::newRow("PNG") << hostilefiles::pngHeader(40, 30) << QSize(40, 30);
}

void TestPictureIo::statedSize()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QCOMPARE(picture::statedSize(bytes), size);
}

// Bitmaps whose RLE data skips pixels or stops early, or whose indices run past the palette: what
// the file leaves undefined comes out the same on every load (valgrind sees no uninitialised read).
void TestPictureIo::undefinedPixelsAreTheSameEveryTime_data()
{
    QTest::addColumn<QString>("path");
    for (const char *name : {"q/pal8rletrns.bmp", "q/pal4rletrns.bmp", "q/pal8rlecut.bmp",
                             "q/pal4rlecut.bmp", "b/pal8badindex.bmp", "b/badrle.bmp"})
        QTest::newRow(name) << testimages::bmpsuite(QString::fromLatin1(name));
    QTest::newRow("top-down RLE bitmap that ends at once")
        << writeFile(m_dir, u"topdown.bmp"_s, hostilefiles::emptyRle8Bitmap(200, -150));
    // Qt's reader gives the transparent pixels alpha 0 and leaves their colour unwritten.
    QByteArray rows;
    for (int y = 0; y < 16; ++y) {
        rows.append('\0');
        for (int x = 0; x < 16; ++x)
            rows.append(x % 3 ? QByteArray(6, char(x * 16)) : QByteArray(6, '\x40'));
    }
    const QByteArray png = hostilefiles::pngHeader(16, 16, 16)
                           + hostilefiles::pngChunk("tRNS", QByteArray(6, '\x40'))
                           + hostilefiles::pngChunk("IDAT", qCompress(rows).mid(4))
                           + hostilefiles::pngChunk("IEND", {});
    QTest::newRow("16-bit PNG with a transparent colour")
        << writeFile(m_dir, u"transparent16.png"_s, png);
}

void TestPictureIo::undefinedPixelsAreTheSameEveryTime()
{
    QFETCH(QString, path);
    const QImage first = ui::LoadPicture(path).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!first.isNull());
    QCOMPARE(ui::LoadPicture(path).convertToFormat(QImage::Format_RGB32), first);
}

namespace {

bool underValgrindOrAsan()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return qEnvironmentVariable("LD_PRELOAD").contains(u"vgpreload"_s);
#endif
}

// Runs `child` in a forked copy of this process and returns its exit status. Only this thread goes
// on in the copy: what `child` does must not wait for another thread (QImage hands large
// conversions to Qt's thread pool), and an alarm ends it if it does.
int inChild(const std::function<int()> &child)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(60);
        ::_exit(child());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

void TestPictureIo::outOfMemoryIsReported()
{
    if (underValgrindOrAsan())
        QSKIP("a memory limit breaks the checker's own allocations");
    const QString path =
        writeFile(m_dir, u"big.bmp"_s, hostilefiles::emptyRle8Bitmap(8000, 8000));
    const int status = inChild([&] {
        QFile status(u"/proc/self/status"_s);
        if (!status.open(QIODevice::ReadOnly))
            return 77;
        qint64 data = -1;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmData:"))
                data = line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
        // Private writable memory, which malloc's reserved arenas count against only as they
        // are used.
        const rlim_t cap = rlim_t(data + 32 * 1024 * 1024);
        const rlimit limit{cap, cap};
        if (data < 0 || ::setrlimit(RLIMIT_DATA, &limit) != 0)
            return 77;
        try {
            ui::LoadPicture(path, QSize(389, 333));
            return 1;
        } catch (const ui::RuntimeError &e) {
            return e.number() == ui::RuntimeError::OutOfMemory
                           && e.description() == u"メモリが不足しています。"_s
                       ? 0
                       : 2;
        }
    });
    if (status == 77)
        QSKIP("no memory limit here");
    QCOMPARE(status, 0);
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

namespace {

QImage indexed(QSize size, const QList<QRgb> &table, const std::function<int(int, int)> &index)
{
    QImage image(size, QImage::Format_Indexed8);
    image.setColorTable(table);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, uint(index(x, y)));
    return image;
}

} // namespace

// Each row: a picture, and the same picture as Qt's writer was given it (a palette numbered in the
// order the colours first appear), whose file is the one expected, for BMP and PNG alike.
void TestPictureIo::encodedAsQtWroteThem_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QImage>("asGiven");

    for (const int width : {1, 2, 3, 5}) {
        QList<QRgb> table; // every pixel a colour of its own, numbered row by row
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x)
                table << qRgb(40 * x, 90 * y, 200);
        const QImage odd = indexed({width, 3}, table, [width](int x, int y) {
            return y * width + x;
        });
        QTest::addRow("%d wide: rows padded", width)
            << odd.convertToFormat(QImage::Format_RGB32) << odd;
    }
    const QList<QRgb> rgb = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    const auto stripes = [](int x, int) { return (x / 7) % 3; };
    const QImage firstSeen = indexed({40, 9}, rgb, stripes);
    QTest::newRow("three colours, numbered as first seen")
        << firstSeen.convertToFormat(QImage::Format_RGB32) << firstSeen;
    // Numbered by first appearance, the greys 0, 1, 2 are their own numbers: a grey PNG.
    const QList<QRgb> greys = {qRgb(0, 0, 0), qRgb(1, 1, 1), qRgb(2, 2, 2)};
    const QImage ramp = indexed({40, 9}, greys, stripes);
    QTest::newRow("the greys 0, 1, 2") << ramp.convertToFormat(QImage::Format_RGB32) << ramp;
    const QImage ownPalette = indexed({40, 9}, {rgb[2], rgb[1], rgb[0]}, stripes);
    QTest::newRow("given with a palette of its own") << ownPalette << ownPalette;
    QImage many(300, 2, QImage::Format_RGB32); // 600 colours: a 24-bit PNG
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 300; ++x)
            many.setPixel(x, y, qRgb(x & 0xff, x >> 8, y));
    QTest::newRow("more than 256 colours") << many << many;
    QImage translucent(20, 20, QImage::Format_ARGB32);
    translucent.fill(qRgba(200, 100, 50, 128));
    const QRgb opaque = translucent.convertToFormat(QImage::Format_RGB32).pixel(0, 0);
    QTest::newRow("translucent: as Qt made it opaque")
        << translucent << indexed({20, 20}, {opaque}, [](int, int) { return 0; });
}

void TestPictureIo::encodedAsQtWroteThem()
{
    QFETCH(QImage, image);
    QFETCH(QImage, asGiven);
    for (const auto format : {picture::FileFormat::Bmp, picture::FileFormat::Png}) {
        const bool bmp = format == picture::FileFormat::Bmp;
        QImage given = bmp || asGiven.format() != QImage::Format_Indexed8
                           ? asGiven.convertToFormat(QImage::Format_RGB32)
                           : asGiven;
        given.setDotsPerMeterX(3780);
        given.setDotsPerMeterY(3780);
        QByteArray expected;
        QBuffer buffer(&expected);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, bmp ? "bmp" : "png");
        writer.setQuality(80);
        QVERIFY(writer.write(given));
        QCOMPARE(picture::encodePicture(ui::fromQImage(image), format), expected);
    }
}

void TestPictureIo::failingOutputStopsTheEncoding()
{
    struct Full
    {
    };
    // Noise, so that the PNG too is handed on in several pieces while libpng is at work.
    QImage image(600, 600, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x)
            image.setPixel(x, y, random.generate());
    for (const auto format : {picture::FileFormat::Bmp, picture::FileFormat::Png}) {
        qint64 taken = 0;
        QVERIFY_THROWS_EXCEPTION(Full, picture::encodeRows(
                                           picture::rowsOf(ui::fromQImage(image)), format, 3780,
                                           [&taken](const char *, qint64 size) {
                                               if (taken > 0)
                                                   throw Full{};
                                               taken += size;
                                           }));
        QVERIFY(taken > 0);
    }
}

// A palette handed to encodePngRows: read back by Qt's reader, the colours in the given order,
// one bit a pixel for two; a colour outside it, or a palette no byte tells apart, refused.
void TestPictureIo::pngWithAGivenPalette_data()
{
    QTest::addColumn<QList<QRgb>>("palette");
    QTest::addColumn<QList<QRgb>>("pixels"); // a 4 x 1 picture
    QTest::addColumn<int>("depth");          // read back; 0: refused
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    QTest::newRow("two colours, white first") << QList<QRgb>{white, black}
                                              << QList<QRgb>{black, white, white, black} << 1;
    QList<QRgb> greys;
    for (int g = 0; g < 256; ++g)
        greys << qRgb(g, g, g);
    // Greys in order, still a palette: the same bytes for every picture of the pattern.
    QTest::newRow("256 greys") << greys << QList<QRgb>{greys[9], greys[200], greys[0], greys[255]}
                               << 8;
    QTest::newRow("told apart by red only")
        << QList<QRgb>{qRgb(1, 7, 7), qRgb(2, 7, 7), qRgb(3, 7, 7)}
        << QList<QRgb>{qRgb(3, 7, 7), qRgb(1, 7, 7), qRgb(2, 7, 7), qRgb(3, 7, 7)} << 8;
    QTest::newRow("a colour outside it") << QList<QRgb>{white, black}
                                         << QList<QRgb>{black, qRgb(255, 255, 250), white, black}
                                         << 0;
    QTest::newRow("no byte tells them apart")
        << QList<QRgb>{qRgb(1, 2, 3), qRgb(1, 2, 4), qRgb(5, 2, 3), qRgb(1, 6, 3)}
        << QList<QRgb>{qRgb(1, 2, 3), qRgb(1, 2, 3), qRgb(1, 2, 3), qRgb(1, 2, 3)} << 0;
}

void TestPictureIo::pngWithAGivenPalette()
{
    QFETCH(QList<QRgb>, palette);
    QFETCH(QList<QRgb>, pixels);
    QFETCH(int, depth);
    picture::PictureRows rows{4, 1, [&](int, QRgb *) { return pixels.constData(); }};
    picture::PngOptions options;
    options.palette = palette;
    options.text = {{"made-by", "a test"}};
    QByteArray bytes;
    auto encode = [&] {
        picture::encodePngRows(rows, 3780, options, [&](const char *data, qint64 size) {
            bytes.append(data, qsizetype(size));
        });
    };
    if (depth == 0) {
        QVERIFY_THROWS_EXCEPTION(picture::PictureError, encode());
        return;
    }
    encode();
    const QImage read = QImage::fromData(bytes, "PNG");
    QCOMPARE(read.depth(), depth);
    QCOMPARE(read.colorTable(), palette);
    QCOMPARE(read.text(u"made-by"_s), u"a test"_s);
    for (int x = 0; x < 4; ++x)
        QCOMPARE(read.pixel(x, 0), pixels[x]);
}

// Each row: where the save goes, and a limit on file size that stops the write part-way, as a full
// disk would (0: none). An empty path means onto the old file itself.
void TestPictureIo::failedSaveLeavesTheOldFileWhole_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("sizeLimit");
    QTest::addColumn<int>("number");
    using E = ui::RuntimeError;
    QTest::newRow("into a missing folder")
        << m_dir.filePath(u"no/such/folder/x.bmp"_s) << 0 << int(E::PathNotFound);
    QTest::newRow("onto a folder") << m_dir.path() << 0 << int(E::PathFileAccessError);
    QTest::newRow("empty name") << u"-"_s << 0 << int(E::PathNotFound);
    QTest::newRow("name too long") << m_dir.filePath(QString(300, u'x')) << 0
                                   << int(E::PathNotFound);
    QTest::newRow("no room left, onto the old file") << QString() << 64 * 1024
                                                     << int(E::DiskFull);
}

void TestPictureIo::failedSaveLeavesTheOldFileWhole()
{
    QFETCH(QString, path);
    QFETCH(int, sizeLimit);
    QFETCH(int, number);
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
    // Restored however this test ends, so a failed comparison cannot leave the limit behind.
    const auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    });
    if (sizeLimit > 0) {
        rlimit small = saved;
        small.rlim_cur = rlim_t(sizeLimit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    int raised = 0;
    try {
        ui::SavePicture(image, path);
    } catch (const ui::RuntimeError &e) {
        raised = e.number();
    }
    QCOMPARE(raised, number);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

// A disk that fills part-way through the save: a small tmpfs, mounted in a mount namespace of a
// child process so that nothing outside sees it.
void TestPictureIo::fullDiskIsReported()
{
    const QString mountPoint = m_dir.filePath(u"small-disk"_s);
    QVERIFY(QDir().mkpath(mountPoint));
    // Already in the format written, so that saving converts nothing.
    QImage image(453, 333, QImage::Format_RGB888);
    image.fill(Qt::white);
    const int status = inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0) {
            const uid_t uid = ::geteuid();
            const gid_t gid = ::getegid();
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return 77;
            auto put = [](const char *file, const QByteArray &text) {
                QFile f(QString::fromLatin1(file));
                return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
            };
            put("/proc/self/setgroups", "deny");
            if (!put("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1")
                || !put("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
                return 77;
        }
        if (::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0,
                       "size=64k")
                   != 0)
            return 77;
        try {
            ui::SavePicture(image, mountPoint + u"/stereo.bmp"_s);
            return 1;
        } catch (const ui::RuntimeError &e) {
            const bool said = e.number() == ui::RuntimeError::DiskFull
                              && e.description().startsWith(u"ディスクの空き容量が不足しています。"_s);
            return said && QDir(mountPoint).isEmpty() ? 0 : 2;
        }
    });
    if (status == 77)
        QSKIP("cannot mount a small disk here");
    QCOMPARE(status, 0);
}

void TestPictureIo::writeTargetsAreChecked_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // empty: written, through the link
    const QString notRegular = u"通常のファイルではありません"_s;
    QTest::newRow("a named pipe") << u"fifo"_s << notRegular;
    QTest::newRow("a device node") << u"device"_s << notRegular;
    QTest::newRow("a folder") << u"folder"_s << u"フォルダーです"_s;
    QTest::newRow("another user's link") << u"foreign link"_s
                                         << u"ほかのユーザーのシンボリックリンクです"_s;
    QTest::newRow("the user's own link") << u"own link"_s << QString();
}

// What stands at a name is looked at before anything is written there: special files and
// folders are refused, and a link only followed when it is the user's own, as the kernel does in
// shared folders. Nothing at the name or behind a refused link changes.
void TestPictureIo::writeTargetsAreChecked()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString target = scratch.filePath(u"target.bmp"_s);
    const QString behind = scratch.filePath(u"behind.bmp"_s);
    QFile old(behind);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the old file");
    old.close();
    const QByteArray name = QFile::encodeName(target);
    if (kind == u"fifo"_s) {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    } else if (kind == u"device"_s) {
        if (::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here");
    } else if (kind == u"folder"_s) {
        QVERIFY(QDir().mkdir(target));
    } else {
        QVERIFY(QFile::link(behind, target));
        if (kind == u"foreign link"_s && ::lchown(name.constData(), 65534, 65534) != 0)
            QSKIP("cannot give a link to another user here");
    }
    struct stat before{};
    QCOMPARE(::lstat(name.constData(), &before), 0);

    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QString raised;
    try {
        ui::SavePicture(image, target);
    } catch (const ui::RuntimeError &e) {
        raised = e.description();
    }
    struct stat after{};
    QCOMPARE(::lstat(name.constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    if (reason.isEmpty()) {
        QVERIFY2(raised.isEmpty(), qPrintable(raised));
        QCOMPARE(QImage(behind).pixel(0, 0), qRgb(255, 0, 0));
    } else {
        QVERIFY2(raised.contains(reason), qPrintable(raised));
        QCOMPARE(QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 kind == u"folder"_s ? 1 : 2);
        QFile kept(behind);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("the old file"));
    }
}

void TestPictureIo::errorText()
{
    QCOMPARE(ui::uncaughtErrorText(481, u"ピクチャが不正です。"_s),
             u"実行時エラー '481':\n\nピクチャが不正です。"_s);
    const auto e = ui::RuntimeError::withDetail(53, u"detail"_s);
    QCOMPARE(e.description(), u"ファイルが見つかりません。\ndetail"_s);
}

// Every reason has its Japanese words, the desktop shows the very words zomvorn-cli gives under a
// Japanese locale, and a failed allocation in the library arrives as the one error type.
void TestPictureIo::reasonsWordedOncePerLanguage()
{
    using Kind = picture::PictureError::Kind;
    QTranslator cliJapanese;
    QVERIFY(cliJapanese.load(QLocale(QLocale::Japanese, QLocale::Japan),
                             QString::fromLatin1(picture::ReasonTranslationsName), u"_"_s,
                             picture::reasonTranslationsFolder()));
    for (int k = 0; k <= int(Kind::OutputTooLarge); ++k) {
        picture::PictureError error{Kind(k)};
        error.width = 9000;
        error.height = 10;
        error.bytes = 3'000'000;
        error.limit = 1'000'000;
        error.count = 300;
        error.code = EIO;
        if (Kind(k) == Kind::WriteFailed)
            continue; // the writer's own words, as they come
        const QString english = picture::reasonText(error);
        QVERIFY2(!english.isEmpty(), qPrintable(QString::number(k)));
        const QString japanese = picture::reasonText(error, &cliJapanese);
        QVERIFY2(japanese != english, qPrintable(english));
        const QString shown = ui::runtimeErrorOf(error).description();
        QVERIFY2(shown.endsWith(japanese) || !shown.contains(u'\n'), qPrintable(shown));
    }
    picture::PictureError full(Kind::DiskFull);
    full.bytes = 3'000'000;
    full.limit = 1'000'000;
    QCOMPARE(picture::reasonText(full), u"the disk is full: 3.0 MB are needed, 1.0 MB are free"_s);
    QCOMPARE(ui::runtimeErrorOf(full).description(),
             u"ディスクの空き容量が不足しています。\n保存には 3.0 MB の空きが必要ですが、空きは 1.0 MB です。"_s);
    full.limit = 0; // nothing free at all is still a figure known
    QCOMPARE(picture::reasonText(full), u"the disk is full: 3.0 MB are needed, 0.0 MB are free"_s);

    try {
        picture::guarded([]() -> int { throw std::bad_alloc(); });
        QFAIL("nothing thrown");
    } catch (const picture::PictureError &error) {
        QCOMPARE(error.kind(), Kind::OutOfMemory);
    }
}

void TestPictureIo::desktopPictureLimit_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("read");
    QTest::newRow("7500 x 7500 at 32 bits") << 7500 << 7500 << 32 << true;
    QTest::newRow("one row more") << 7500 << 7501 << 32 << false;
    QTest::newRow("8000 x 8000 at 32 bits") << 8000 << 8000 << 32 << false;
    QTest::newRow("8000 x 8000 grey") << 8000 << 8000 << 8 << true;
}

// The desktop program's lower limit, named in the refusal; the CLI keeps the full one.
void TestPictureIo::desktopPictureLimit()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    QFETCH(bool, read);
    QCOMPARE(picture::pictureBytesLimit(), 256'000'000);
    picture::checkPictureSize(width, height, bits);
    picture::setPictureBytesLimit(picture::DesktopPictureBytes);
    auto restore = qScopeGuard([] { picture::setPictureBytesLimit(picture::MaxPictureBytes); });
    try {
        picture::checkPictureSize(width, height, bits);
        QVERIFY(read);
    } catch (const picture::PictureError &error) {
        QVERIFY(!read);
        QCOMPARE(error.kind(), picture::PictureError::Kind::PictureTooDeep);
        QCOMPARE(error.limit, 225'000'000);
        QCOMPARE(ui::runtimeErrorOf(error).description(),
                 u"ピクチャが不正です。\n画像が大きすぎます（%1 × %2 ピクセル、展開すると %3 MB）。"
                 u"読み込めるのは 225 MB までです。"_s.arg(width).arg(height)
                     .arg(qint64(width) * height * bits / 8 / 1'000'000));
    }
}

// Each row: what a full disk's refusal knows (-1: not known), and what the program says.
void TestPictureIo::diskFullSaysWhatIsKnown_data()
{
    QTest::addColumn<qint64>("needed");
    QTest::addColumn<qint64>("free");
    QTest::addColumn<QString>("description");
    const QString full = u"ディスクの空き容量が不足しています。"_s;
    QTest::newRow("needed and free") << qint64(3'000'000) << qint64(1'000'000)
                                     << full + u"\n保存には 3.0 MB の空きが必要ですが、空きは 1.0 MB です。"_s;
    QTest::newRow("needed only") << qint64(25'000'000) << qint64(-1)
                                 << full + u"\n保存には 25 MB の空きが必要です。"_s;
    QTest::newRow("nothing known") << qint64(-1) << qint64(-1) << full;
}

void TestPictureIo::diskFullSaysWhatIsKnown()
{
    QFETCH(qint64, needed);
    QFETCH(qint64, free);
    QFETCH(QString, description);
    picture::PictureError error(picture::PictureError::Kind::DiskFull);
    error.bytes = needed;
    error.limit = free;
    const ui::RuntimeError e = ui::runtimeErrorOf(error);
    QCOMPARE(e.number(), int(ui::RuntimeError::DiskFull));
    QCOMPARE(e.description(), description);
}

QTEST_GUILESS_MAIN(TestPictureIo)
#include "tst_pictureio.moc"
