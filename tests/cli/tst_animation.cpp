// SPDX-License-Identifier: MIT

#include "clirun.h"

#include "support/testimages.h"

#include "picture/animation.h"
#include "stereo/animationjob.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include <webp/demux.h>

using namespace Qt::StringLiterals;

namespace {

// Every frame of an animated file, decoded by a reader other than the writer: Qt's GIF reader,
// libwebp's animation decoder.
QList<QImage> decodedFrames(const QString &path)
{
    QList<QImage> frames;
    if (path.endsWith(u".gif"_s, Qt::CaseInsensitive)) {
        QImageReader reader(path);
        for (int i = 0; i < reader.imageCount(); ++i) {
            frames << reader.read().convertToFormat(QImage::Format_RGB32);
            reader.jumpToNextImage();
        }
        return frames;
    }
    const QByteArray bytes = fileBytes(path);
    WebPData data{reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    WebPAnimDecoder *decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder)
        return frames;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    uint8_t *pixels = nullptr;
    int timestamp = 0;
    while (WebPAnimDecoderGetNext(decoder, &pixels, &timestamp))
        frames << QImage(pixels, int(info.canvas_width), int(info.canvas_height),
                         QImage::Format_ARGB32)
                      .convertToFormat(QImage::Format_RGB32);
    WebPAnimDecoderDelete(decoder);
    return frames;
}

// The map moved by (dx, dy), wrapping around, pixel by pixel.
QImage movedByHand(const QImage &map, int dx, int dy)
{
    QImage out(map.size(), QImage::Format_RGB32);
    const int w = map.width();
    const int h = map.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.setPixel(x, y, map.pixel(((x - dx) % w + w) % w, ((y - dy) % h + h) % h));
    return out;
}

} // namespace

class TestAnimation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void framesAreTheSeparateFiles_data();
    void framesAreTheSeparateFiles();
    void depthPicturesAreConverted();
    void shiftedWrapped_data();
    void shiftedWrapped();
    void failuresLeaveNothing_data();
    void failuresLeaveNothing();
    void cancelLeavesNothing_data();
    void cancelLeavesNothing();
    void wrongUsage_data();
    void wrongUsage();
    void timingReadsBack_data();
    void timingReadsBack();
    void failedRenameIsAFailure_data();
    void failedRenameIsAFailure();

private:
    QString path(const QString &name) const { return m_work.filePath(name); }
    QStringList files() const { return m_work.entryList(QDir::Files, QDir::Name); }

    QTemporaryDir m_dir;
    QDir m_work;
};

void TestAnimation::init()
{
    const QString name = QString::fromLatin1(QTest::currentTestFunction()) + u'-'
                         + QString::number(qHash(QString::fromUtf8(QTest::currentDataTag())));
    QVERIFY(QDir(m_dir.path()).mkpath(name));
    m_work.setPath(m_dir.filePath(name));
}

void TestAnimation::framesAreTheSeparateFiles_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("maps");
    QTest::addColumn<QPoint>("move"); // frames from map 1 when not null
    // In a GIF, the guides' white band and black dots in the tint's lightest and darkest dots.
    QTest::addColumn<QList<QRgb>>("guides");
    auto newRow = [](const char *tag, const QString &output, const QStringList &options,
                     int maps, QPoint move = {}, QList<QRgb> guides = {}) {
        QTest::newRow(tag) << output << options << maps << move << guides;
    };
    newRow("gif", u"a.gif"_s, {}, 4);
    newRow("webp", u"a.webp"_s, {}, 4);
    newRow("gif red x2", u"a.GIF"_s, {u"--colour"_s, u"red"_s, u"--scale"_s, u"2"_s}, 3);
    newRow("webp green guides x3", u"a.webp"_s,
           {u"-c"_s, u"green"_s, u"--guides"_s, u"-s"_s, u"3"_s}, 2);
    newRow("gif moved", u"m.gif"_s, {}, 6, QPoint(70, -9));
    newRow("gif red guides x2", u"g.gif"_s, {u"-c"_s, u"red"_s, u"--guides"_s, u"-s"_s, u"2"_s}, 3,
           {}, {qRgb(250, 255, 255), qRgb(250, 0, 0)});
    newRow("gif blue guides", u"g.gif"_s, {u"--guides"_s}, 2, {},
           {qRgb(255, 255, 250), qRgb(0, 0, 250)});
    newRow("webp moved past the edge", u"m.webp"_s, {}, 5, QPoint(-400, 340));
    newRow("gif moved by the most there is", u"m.gif"_s, {}, 2, QPoint(10000, -10000));
}

// Decoded, frame k has the pixels of the k-th file make writes for the same maps.
void TestAnimation::framesAreTheSeparateFiles()
{
    QFETCH(QString, output);
    QFETCH(QStringList, options);
    QFETCH(int, maps);
    QFETCH(QPoint, move);
    QFETCH(QList<QRgb>, guides);
    QStringList names;
    QStringList separate;
    for (int i = 0; i < maps; ++i) {
        const QImage map = move.isNull() ? shapesMap(quint32(i + 1), i == 1)
                                         : movedByHand(shapesMap(7, false), i * move.x(),
                                                       i * move.y());
        names << path(u"map%1.png"_s.arg(i));
        QVERIFY(map.save(names.last()));
        separate << path(u"out-%1.png"_s.arg(i + 1));
    }
    const CliResult apart =
        runCli(QStringList{u"make"_s, u"-q"_s, u"-o"_s, path(u"out-{n}.png"_s)} + options + names);
    QVERIFY2(apart.status == cli::Done, qPrintable(apart.err));
    QStringList animate{u"make"_s, u"-q"_s, u"--animate"_s, path(output)};
    if (move.isNull())
        animate += names;
    else
        animate += QStringList{u"--frames"_s, QString::number(maps), u"--move"_s,
                               u"%1,%2"_s.arg(move.x()).arg(move.y()), names[0]};
    const CliResult together = runCli(animate + options);
    QVERIFY2(together.status == cli::Done, qPrintable(together.err));

    const QList<QImage> frames = decodedFrames(path(output));
    QCOMPARE(frames.size(), maps);
    for (int i = 0; i < maps; ++i) {
        QImage expected = QImage(separate[i]).convertToFormat(QImage::Format_RGB32);
        if (!guides.isEmpty()) {
            const int band = 20 * (expected.width() / 453);
            for (int y = 0; y < band; ++y)
                for (int x = 0; x < expected.width(); ++x)
                    expected.setPixel(x, y, expected.pixel(x, y) == qRgb(255, 255, 255) ? guides[0]
                                                                                         : guides[1]);
        }
        QVERIFY2(frames[i] == expected, qPrintable(u"frame %1"_s.arg(i)));
    }
}

// A grey depth picture among the maps is converted as make converts it, and said so.
void TestAnimation::depthPicturesAreConverted()
{
    const QImage sphere = testimages::sphereOnBlack({800, 600}, 200, {400, 300});
    const QString grey = path(u"sphere.png"_s);
    QVERIFY(sphere.save(grey));
    const QString levels = path(u"levels.png"_s);
    QVERIFY(shapesMap(5, false).save(levels));
    const CliResult apart = runCli({u"make"_s, u"-q"_s, u"-o"_s, path(u"out-{n}.png"_s), grey, levels});
    QVERIFY2(apart.status == cli::Done, qPrintable(apart.err));
    const CliResult together =
        runCli({u"make"_s, u"-q"_s, u"--animate"_s, path(u"a.webp"_s), grey, levels});
    QVERIFY2(together.status == cli::Done, qPrintable(together.err));
    QCOMPARE(together.err, grey + u": a grey depth map, converted as `levels --near auto --far auto`\n"_s);
    QCOMPARE(apart.err, together.err);
    const QList<QImage> frames = decodedFrames(path(u"a.webp"_s));
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0], QImage(path(u"out-1.png"_s)).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(frames[1], QImage(path(u"out-2.png"_s)).convertToFormat(QImage::Format_RGB32));
}

void TestAnimation::shiftedWrapped_data()
{
    QTest::addColumn<QPoint>("by");
    for (const QPoint by : {QPoint(0, 0), QPoint(1, 0), QPoint(0, -1), QPoint(6, 2),
                            QPoint(-13, 7), QPoint(-70000, 123457)})
        QTest::addRow("%d,%d", by.x(), by.y()) << by;
}

void TestAnimation::shiftedWrapped()
{
    QFETCH(QPoint, by);
    const QImage map = shapesMap(3, true, {7, 5});
    QCOMPARE(ui::toQImage(picture::shiftedWrapped(ui::fromQImage(map), by.x(), by.y())),
             movedByHand(map, by.x(), by.y()));
}

void TestAnimation::failuresLeaveNothing_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("badMap");
    QTest::addColumn<QString>("says");
    QTest::newRow("a bad map among many") << u"a.webp"_s << QStringList{} << true
                                          << u"bad.png"_s;
}

// A job that fails writes nothing and leaves the file that was there as it was.
void TestAnimation::failuresLeaveNothing()
{
    QFETCH(QString, output);
    QFETCH(QStringList, options);
    QFETCH(bool, badMap);
    QFETCH(QString, says);
    QStringList maps;
    for (int i = 0; i < 30; ++i) {
        maps << path(u"map%1.png"_s.arg(i));
        QVERIFY(shapesMap(quint32(i), false).save(maps.last()));
    }
    if (badMap) {
        QFile bad(path(u"bad.png"_s));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(fileBytes(maps[0]).first(200));
        bad.close();
        maps.insert(25, bad.fileName());
    }
    QFile old(path(output));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the old file");
    old.close();
    const QStringList before = files();

    const CliResult result =
        runCli(QStringList{u"make"_s, u"-q"_s, u"--animate"_s, path(output)} + options + maps);
    QCOMPARE(result.status, int(cli::FileFailed));
    QVERIFY2(result.err.contains(says), qPrintable(result.err));
    QCOMPARE(files(), before);
    QCOMPARE(fileBytes(path(output)), QByteArray("the old file"));
}

void TestAnimation::cancelLeavesNothing_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("existing");
    QTest::newRow("gif, new") << u"c.gif"_s << false;
    QTest::newRow("webp, over a file") << u"c.webp"_s << true;
}

void TestAnimation::cancelLeavesNothing()
{
    QFETCH(QString, output);
    QFETCH(bool, existing);
    const QString map = path(u"map.png"_s);
    QVERIFY(shapesMap(1, false).save(map));
    if (existing) {
        QFile old(path(output));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the old file");
    }
    const QStringList before = files();
    for (const bool destroyed : {false, true}) {
        stereo::AnimationRequest request;
        request.maps = {map};
        request.frames = 5;
        request.output = path(output);
        auto job = std::make_unique<stereo::AnimationJob>(request);
        QVERIFY(job->check().isEmpty());
        QVERIFY(!job->step());
        QVERIFY(!job->step());
        if (destroyed)
            job.reset();
        else
            job->cancel();
        QCOMPARE(files(), before);
    }
    if (existing)
        QCOMPARE(fileBytes(path(output)), QByteArray("the old file"));
}

void TestAnimation::wrongUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("says");
    const QString map = u"m.png"_s;
    auto newRow = [&](const char *tag, const QStringList &arguments, const QString &says) {
        QTest::newRow(tag) << arguments << says;
    };
    newRow("not an animation", {u"--animate"_s, u"a.png"_s, map}, u".gif or .webp"_s);
    newRow("with -o", {u"--animate"_s, u"a.gif"_s, u"-o"_s, u"x.bmp"_s, map}, u"--output"_s);
    newRow("delay alone", {u"--delay"_s, u"50"_s, map}, u"--delay needs --animate"_s);
    newRow("frames alone", {u"--frames"_s, u"5"_s, map}, u"--frames needs --animate"_s);
    newRow("delay too short", {u"--animate"_s, u"a.gif"_s, u"--delay"_s, u"5"_s, map},
           u"--delay"_s);
    newRow("loop too many", {u"--animate"_s, u"a.gif"_s, u"--loop"_s, u"65536"_s, map},
           u"--loop"_s);
    newRow("frames from two maps",
           {u"--animate"_s, u"a.gif"_s, u"--frames"_s, u"3"_s, map, map}, u"one depth map"_s);
    newRow("frames 0", {u"--animate"_s, u"a.gif"_s, u"--frames"_s, u"0"_s, map}, u"--frames"_s);
    newRow("move without frames", {u"--animate"_s, u"a.gif"_s, u"--move"_s, u"1,1"_s, map},
           u"--move needs --frames"_s);
    newRow("move of one number",
           {u"--animate"_s, u"a.gif"_s, u"--frames"_s, u"3"_s, u"--move"_s, u"4"_s, map},
           u"DX,DY"_s);
    newRow("move by the most negative int",
           {u"--animate"_s, u"a.gif"_s, u"--frames"_s, u"3"_s, u"--move"_s, u"-2147483648,0"_s, map},
           u"DX,DY"_s);
    newRow("move one past the range",
           {u"--animate"_s, u"a.gif"_s, u"--frames"_s, u"3"_s, u"--move"_s, u"0,-10001"_s, map},
           u"DX,DY"_s);
    newRow("over the map", {u"--animate"_s, u"m.GIF"_s, u"m.GIF"_s}, u"over the depth map"_s);
    // A lossless WebP frame is held whole by its encoder: 4983 x 3663 pixels is past 300 MB.
    newRow("webp at x11", {u"--animate"_s, u"a.webp"_s, u"--scale"_s, u"11"_s, map},
           u"--scale 11 makes WebP frames of 4983 x 3663 pixels"_s);
    newRow("webp at x16 with the aid",
           {u"--animate"_s, u"a.WEBP"_s, u"-s"_s, u"16"_s, u"--guides"_s, map},
           u"up to --scale 10"_s);
}

void TestAnimation::wrongUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, says);
    QDir::setCurrent(m_work.path());
    const CliResult result = runCli(QStringList{u"make"_s} + arguments);
    QCOMPARE(result.status, int(cli::WrongUsage));
    QVERIFY2(result.err.contains(says), qPrintable(result.err));
    QVERIFY(files().isEmpty());
}

// The delays and loop count as the files hold them, read from the bytes: GIF keeps hundredths of
// a second in each frame's graphic control extension and the loops in the NETSCAPE2.0 block;
// WebP keeps milliseconds, read back through libwebp's demuxer.
void TestAnimation::timingReadsBack_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("loops");
    QTest::addColumn<int>("stored"); // the delay in the file's own unit
    QTest::newRow("gif, the shortest") << u"t.gif"_s << 20 << 0 << 2;
    QTest::newRow("gif, rounded to the nearest") << u"t.gif"_s << 155 << 3 << 16;
    QTest::newRow("gif, rounded down") << u"t.gif"_s << 104 << 1 << 10;
    QTest::newRow("gif, the longest") << u"t.gif"_s << 60000 << 65535 << 6000;
    QTest::newRow("webp, the shortest") << u"t.webp"_s << 20 << 0 << 20;
    QTest::newRow("webp, odd") << u"t.webp"_s << 155 << 3 << 155;
    QTest::newRow("webp, the longest") << u"t.webp"_s << 60000 << 65535 << 60000;
}

void TestAnimation::timingReadsBack()
{
    QFETCH(QString, output);
    QFETCH(int, delayMs);
    QFETCH(int, loops);
    QFETCH(int, stored);
    const auto format = picture::animationFormatOfName(output);
    QVERIFY(format);
    {
        picture::AnimationWriter writer(path(output), *format, delayMs, loops);
        for (int i = 0; i < 3; ++i)
            writer.add(ui::fromQImage(shapesMap(quint32(i), false, {33, 17})));
        writer.commit();
    }
    const QByteArray bytes = fileBytes(path(output));
    QList<int> delays;
    int loopCount = -1;
    if (*format == picture::AnimationFormat::Gif) {
        // The delays and the loop count are GIF89a's extensions: the file says it is one.
        QCOMPARE(bytes.left(6), QByteArray("GIF89a"));
        const qsizetype netscape = bytes.indexOf("NETSCAPE2.0");
        QVERIFY(netscape > 0);
        QCOMPARE(bytes.mid(netscape + 11, 2), QByteArray("\x03\x01"));
        loopCount = quint8(bytes[netscape + 13]) | quint8(bytes[netscape + 14]) << 8;
        for (qsizetype at = bytes.indexOf("\x21\xf9\x04"); at >= 0;
             at = bytes.indexOf("\x21\xf9\x04", at + 1))
            delays << (quint8(bytes[at + 4]) | quint8(bytes[at + 5]) << 8);
    } else {
        WebPData data{reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())};
        WebPDemuxer *demux = WebPDemux(&data);
        QVERIFY(demux);
        loopCount = int(WebPDemuxGetI(demux, WEBP_FF_LOOP_COUNT));
        WebPIterator frame;
        if (WebPDemuxGetFrame(demux, 1, &frame)) {
            do
                delays << frame.duration;
            while (WebPDemuxNextFrame(&frame));
            WebPDemuxReleaseIterator(&frame);
        }
        WebPDemuxDelete(demux);
    }
    QCOMPARE(delays, QList<int>(3, stored));
    QCOMPARE(loopCount, loops);
}

// The file cannot take its name at the end (a folder has taken it meanwhile): the job fails with
// the reason, and no temporary file stays behind.
void TestAnimation::failedRenameIsAFailure_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("gif") << u"r.gif"_s;
    QTest::newRow("webp") << u"r.webp"_s;
}

void TestAnimation::failedRenameIsAFailure()
{
    QFETCH(QString, output);
    const QString map = path(u"map.png"_s);
    QVERIFY(shapesMap(1, false).save(map));
    stereo::AnimationRequest request;
    request.maps = {map};
    request.frames = 2;
    request.output = path(output);
    stereo::AnimationJob job(request);
    QVERIFY(job.check().isEmpty());
    QVERIFY(!job.step());
    QVERIFY(m_work.mkpath(output + u"/inside"_s));
    bool failed = false;
    try {
        job.step();
    } catch (const picture::PictureError &) {
        failed = true;
    }
    QVERIFY(failed);
    QCOMPARE(files(), QStringList{u"map.png"_s});
    QVERIFY(QFileInfo(path(output)).isDir());
}

QTEST_GUILESS_MAIN(TestAnimation)
#include "tst_animation.moc"
