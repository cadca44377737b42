// SPDX-License-Identifier: MIT

#include "batch.h"

#include "cli.h"
#include "messages.h"
#include "progressline.h"
#include "standardoutput.h"

#include "picture/filename.h"
#include "picture/filewriter.h"
#include "picture/levels.h"
#include "picture/mapkind.h"
#include "picture/pictureio.h"
#include "picture/stereopictures.h"
#include "picture/viewingaids.h"
#include "stereo/animationjob.h"
#include "stereo/stereogramgenerator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFuture>
#include <QHash>
#include <QSet>
#include <QTextStream>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <deque>

using picture::Image;
using picture::Rgb;

using namespace Qt::StringLiterals;

namespace cli {

using picture::reasonText;

QString outputName(const QString &pattern, const QString &map, int run)
{
    // One pass, so that a name holding "{n}" stays as it is.
    const QString name = QFileInfo(map).completeBaseName();
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        if (pattern.sliced(i).startsWith(u"{name}"_s)) {
            out += name;
            i += 6;
        } else if (pattern.sliced(i).startsWith(u"{n}"_s)) {
            out += QString::number(run);
            i += 3;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

QString outputProblem(const QStringList &maps, const QStringList &outputs, int firstRun)
{
    QHash<QString, QString> depthMaps;
    for (const QString &map : maps)
        depthMaps.insert(picture::fileKey(map), map);
    QHash<QString, int> runOf;
    for (int i = 0; i < outputs.size(); ++i) {
        const QString &path = outputs[i];
        if (!picture::formatOfName(path))
            return Cli::tr("%1: the file name must end in .bmp or .png").arg(shownName(path));
        const QString key = picture::fileKey(path);
        if (const auto map = depthMaps.constFind(key); map != depthMaps.cend())
            return Cli::tr("run %1 would write over the depth map %2")
                .arg(i + firstRun)
                .arg(shownName(*map));
        if (const auto earlier = runOf.constFind(key); earlier != runOf.cend())
            return Cli::tr("runs %1 and %2 would both write %3")
                .arg(*earlier + firstRun)
                .arg(i + firstRun)
                .arg(shownName(path));
        runOf.insert(key, i);
    }
    return {};
}

QString shownName(const QString &path)
{
    if (path == StandardStream)
        return Cli::tr("standard input or output (-)");
    const QString native = QDir::toNativeSeparators(path);
    QString shown;
    shown.reserve(native.size());
    for (qsizetype i = 0; i < native.size(); ++i) {
        const QChar c = native[i];
        if (c.isLowSurrogate() && !(i > 0 && native[i - 1].isHighSurrogate()))
            shown += picture::shownFileName(c); // a byte of a name that is not UTF-8
        else if (c == u'\\')
            shown += u"\\\\"_s;
        else if (c == u'\n')
            shown += u"\\n"_s;
        else if (c == u'\r')
            shown += u"\\r"_s;
        else if (c == u'\t')
            shown += u"\\t"_s;
        else if (c.category() == QChar::Other_Control)
            shown += u"\\x%1"_s.arg(int(c.unicode()), 2, 16, QChar(u'0'));
        else
            shown += c;
    }
    return shown;
}

QString writeStandardOutput(Io &io, const picture::PictureRows &rows, picture::FileFormat format,
                            int dotsPerMeter)
{
    // The first failure stops the encoding; its reason is what the command reports.
    struct Stopped
    {
    };
    QString failure;
    const auto put = [&io, &failure](const char *data, qint64 size) {
        if (io.standardOutput->write(data, size) == size)
            return;
        const auto *device = dynamic_cast<const StandardOutput *>(io.standardOutput);
        const int error = device ? device->lastError() : 0;
        if (error == EPIPE)
            io.pipeClosed = true;
        failure = error != 0 ? reasonText(picture::writeErrorOf(error))
                             : io.standardOutput->errorString();
        throw Stopped{};
    };
    try {
        picture::encodeRows(rows, format, dotsPerMeter, put);
    } catch (const Stopped &) {
        return failure;
    }
    return {};
}

QString runRanges(const QList<int> &runs)
{
    QStringList parts;
    for (qsizetype i = 0; i < runs.size();) {
        qsizetype j = i;
        while (j + 1 < runs.size() && runs[j + 1] == runs[j] + 1)
            ++j;
        parts << (j == i ? QString::number(runs[i])
                         : u"%1-%2"_s.arg(runs[i]).arg(runs[j]));
        i = j + 1;
    }
    return parts.join(u", "_s);
}

QString pictureKind(const picture::MapVerdict &verdict)
{
    switch (verdict.kind) {
    case picture::MapKind::LevelColours:
        return Cli::tr("a depth map of level colours");
    case picture::MapKind::Grey:
        return Cli::tr("a grey depth map");
    case picture::MapKind::SixteenBit:
        return Cli::tr("a 16-bit depth map");
    case picture::MapKind::ColourScale:
        return Cli::tr("a depth map in the %1 colour scale, read along it (warm end near)")
            .arg(picture::colourScaleName(verdict.scale.value_or(picture::ColourScale::Jet)));
    case picture::MapKind::Colour:
        return Cli::tr("a colour picture on no known colour scale, read by brightness");
    }
    return {};
}

QString conversionLine(const QString &path, const picture::MapVerdict &verdict)
{
    return Cli::tr("%1: %2, converted as `levels --near auto --far auto`")
        .arg(shownName(path), pictureKind(verdict));
}

namespace {

// A depth map kept small, or why it could not be read.
struct ReadDepthMap
{
    picture::PackedPicture map;
    QString failure;
    // What the picture was, and whether it was converted into levels.
    picture::MapVerdict verdict;
    bool converted = false;
};

// The one map source (picture::mapOfPicture): a map of level colours exactly as the editor loads
// it, a depth picture converted as the import dialog converts it by default; kept small until its
// turn comes. Standard input ("-") comes as the bytes read from it.
ReadDepthMap readDepthMap(const QString &path, const QByteArray &standardInput, bool asIs)
{
    try {
        const picture::MapOfPicture made = path == StandardStream
                                               ? picture::mapOfBytes(standardInput, asIs)
                                               : picture::mapOfFile(path, asIs);
        return {picture::PackedPicture(made.map), {}, made.verdict, made.converted};
    } catch (const picture::PictureError &e) {
        return {{}, reasonText(e), {}, false};
    }
}

QString writeStereogram(const Image &stereogram, int scale, bool guides, int dotsPerMeter,
                        const QString &path)
{
    try {
        picture::writeStereogram(stereogram, scale, guides, path, *picture::formatOfName(path),
                                 dotsPerMeter);
        return {};
    } catch (const picture::PictureError &e) {
        return reasonText(e);
    }
}

QString writeToStandardOutput(const Image &stereogram, const MakeRequest &request, Io &io)
{
    try {
        return writeStandardOutput(
            io, picture::printableRows(stereogram, request.scale, request.guides),
            request.png ? picture::FileFormat::Png : picture::FileFormat::Bmp,
            request.dotsPerMeter);
    } catch (const picture::PictureError &e) {
        return reasonText(e);
    }
}

QString rateText(int done, int total, const QElapsedTimer &clock)
{
    const double seconds = std::max<qint64>(clock.elapsed(), 1) / 1000.0;
    return Cli::tr("%1/%2 stereograms, %3 per second")
        .arg(done)
        .arg(total)
        .arg(QString::number(done / seconds, 'f', 0));
}

// Reads files on a few threads, in order, with only a few read ahead: decoding a large picture
// takes much memory, and a long batch must not hold every map at once.
class Reader
{
public:
    Reader(const QStringList &files, int ahead, bool asIs, QByteArray standardInput = {})
        : m_files(files), m_ahead(ahead), m_asIs(asIs), m_standardInput(std::move(standardInput))
    {
        m_pool.setMaxThreadCount(std::max(1, std::min<int>(ahead, int(files.size()))));
    }

    // The next file's map; every file in turn.
    ReadDepthMap next()
    {
        if (m_ahead <= 1)
            return readDepthMap(m_files[m_submitted++], m_standardInput, m_asIs);
        while (m_queue.size() < size_t(m_ahead) && m_submitted < m_files.size())
            m_queue.push_back(QtConcurrent::run(&m_pool, readDepthMap, m_files[m_submitted++],
                                                m_standardInput, m_asIs));
        ReadDepthMap read = m_queue.front().result();
        m_queue.pop_front();
        return read;
    }

private:
    QStringList m_files;
    int m_ahead;
    bool m_asIs;
    QByteArray m_standardInput;
    qsizetype m_submitted = 0;
    QThreadPool m_pool;
    std::deque<QFuture<ReadDepthMap>> m_queue;
};

} // namespace

int make(const MakeRequest &request, Io &io)
{
    QElapsedTimer clock;
    clock.start();
    ProgressLine progress(io.err, request.progress);
    const int runs = int(request.maps.size());
    const QStringList &outputs = request.outputs;
    const int cores = std::max(1, QThread::idealThreadCount());
    const int readAhead = runs == 1 ? 1 : 2 * cores;

    // Every map is read before anything is written; a map given more than once is read once.
    QStringList files;
    QHash<QString, int> fileOf;
    for (const QString &map : request.maps) {
        if (!fileOf.contains(map)) {
            fileOf.insert(map, int(files.size()));
            files << map;
        }
    }
    QList<picture::PackedPicture> kept(files.size());
    QList<bool> isKept(files.size(), false);
    qint64 keptBytes = 0;
    int unreadable = 0;
    {
        Reader reader(files, readAhead, request.asIs, request.standardInput);
        for (int i = 0; i < files.size(); ++i) {
            ReadDepthMap read = reader.next();
            if (files.size() > 1)
                progress.update(Cli::tr("reading %1/%2").arg(i + 1).arg(files.size()));
            if (!read.failure.isEmpty()) {
                progress.end();
                ++unreadable;
                io.err << u"zomvorn-cli: "_s
                       << Cli::tr("cannot read %1: %2").arg(shownName(files[i]), read.failure)
                       << '\n';
                continue;
            }
            if (read.converted) {
                progress.end();
                io.err << conversionLine(files[i], read.verdict) << '\n';
            }
            if (keptBytes + read.map.bytes() <= request.keptMapBytes) {
                // Level-colour maps pack into a few kilobytes and are kept; noisy ones are read
                // again when their turn comes, so that memory does not grow with the batch.
                keptBytes += read.map.bytes();
                kept[i] = std::move(read.map);
                isKept[i] = true;
            }
        }
    }
    if (unreadable > 0) {
        io.err << u"zomvorn-cli: "_s
               << Cli::tr("nothing written: %1 of %2 depth maps could not be read")
                      .arg(unreadable)
                      .arg(files.size())
               << '\n';
        io.err.flush();
        return FileFailed;
    }

    // The maps not kept are read again, in the order of the runs that need them.
    QStringList again;
    for (const QString &map : request.maps)
        if (!isKept[fileOf.value(map)])
            again << map;
    Reader reader(again, readAhead, request.asIs);

    // The generator in order, on this thread; scaling, encoding and writing on others. A written
    // file is flushed to the disk before it takes its name, and the threads mostly wait for that:
    // more of them than there are cores keep the cores busy, but no more than the runs need. Few
    // pictures wait to be written at any time, so that memory stays bounded.
    QThreadPool writers;
    writers.setMaxThreadCount(std::clamp(runs, 1, std::max(4, 4 * cores)));
    const qint64 pictureBytes =
        qint64(picture::StereogramSize.width()) * request.scale
        * (picture::StereogramSize.height() + (request.guides ? picture::GuideBandHeight : 0))
        * request.scale * qint64(sizeof(Rgb));
    const int inFlight = int(std::clamp<qint64>((256LL << 20) / pictureBytes, 1,
                                                2 * writers.maxThreadCount()));
    stereo::StereogramRuns runsOfMake({request.iroIndex, request.scale, request.guides, request.cross},
                                      request.start);
    QList<QFuture<QString>> writing;
    QStringList failures(runs);
    QString readFailure;
    int finished = 0;
    bool failed = false;
    auto finishOne = [&] {
        failures[finished] = writing[finished].result();
        writing[finished] = {};
        failed = failed || !failures[finished].isEmpty();
        ++finished;
        progress.update(rateText(finished, runs, clock));
    };
    for (int run = 0; run < runs && !failed; ++run) {
        while (run - finished >= inFlight && !failed)
            finishOne();
        if (failed)
            break;
        const int file = fileOf.value(request.maps[run]);
        Image depthMap;
        if (isKept[file]) {
            depthMap = kept[file].unpack();
        } else {
            const ReadDepthMap read = reader.next();
            if (!read.failure.isEmpty()) {
                // Changed since it was checked: the runs before it are written, no more.
                readFailure = Cli::tr("cannot read %1: %2").arg(shownName(files[file]), read.failure);
                failed = true;
                break;
            }
            depthMap = read.map.unpack();
        }
        Image stereogram;
        try {
            stereogram = runsOfMake.made(depthMap);
        } catch (const picture::PictureError &e) {
            readFailure = reasonText(e);
            failed = true;
            break;
        }
        if (outputs[run] == StandardStream) {
            writing << QtFuture::makeReadyFuture(
                writeToStandardOutput(stereogram, request, io));
        } else if (runs == 1) {
            writing << QtFuture::makeReadyFuture(
                writeStereogram(stereogram, request.scale, request.guides, request.dotsPerMeter,
                                outputs[run]));
        } else {
            writing << QtConcurrent::run(&writers, writeStereogram, stereogram, request.scale,
                                         request.guides, request.dotsPerMeter, outputs[run]);
        }
    }
    // The runs in flight finish whatever happened.
    while (finished < writing.size())
        finishOne();
    if (!failed) {
        progress.finish(rateText(finished, runs, clock));
        return Done;
    }
    progress.end();
    if (io.pipeClosed)
        return FileFailed;
    QList<int> written;
    QList<int> notWritten;
    for (int i = 0; i < runs; ++i) {
        if (i < finished && failures[i].isEmpty())
            written << i + request.firstRun;
        else
            notWritten << i + request.firstRun;
    }
    if (!readFailure.isEmpty())
        io.err << u"zomvorn-cli: "_s << readFailure << '\n';
    for (int i = 0; i < finished; ++i) {
        if (!failures[i].isEmpty())
            io.err << u"zomvorn-cli: "_s
                   << Cli::tr("cannot write %1: %2").arg(shownName(outputs[i]), failures[i])
                   << '\n';
    }
    io.err << u"zomvorn-cli: "_s << Cli::tr("%1 of %2 stereograms written").arg(written.size()).arg(runs);
    if (!written.isEmpty())
        io.err << u" ("_s << Cli::tr("runs %1").arg(runRanges(written)) << u')';
    io.err << '\n';
    io.err << u"zomvorn-cli: "_s << Cli::tr("not written: runs %1").arg(runRanges(notWritten))
           << '\n';
    io.err.flush();
    return FileFailed;
}

int animate(const stereo::AnimationRequest &request, bool progress, Io &io)
{
    QElapsedTimer clock;
    clock.start();
    ProgressLine line(io.err, progress);
    stereo::AnimationJob job(request);
    const QList<stereo::BadMap> bad = job.check();
    if (!bad.isEmpty()) {
        for (const stereo::BadMap &map : bad)
            io.err << u"zomvorn-cli: "_s
                   << Cli::tr("cannot read %1: %2").arg(shownName(map.path), reasonText(map.error))
                   << '\n';
        io.err << u"zomvorn-cli: "_s
               << Cli::tr("nothing written: %1 of %2 depth maps could not be read")
                      .arg(bad.size())
                      .arg(QSet<QString>(request.maps.cbegin(), request.maps.cend()).size())
               << '\n';
        io.err.flush();
        return FileFailed;
    }
    for (const stereo::ConvertedMap &map : job.converted())
        io.err << conversionLine(map.path, map.verdict) << '\n';
    io.err.flush();
    const int total = job.frameCount();
    auto rate = [&] {
        const double seconds = std::max<qint64>(clock.elapsed(), 1) / 1000.0;
        return Cli::tr("%1/%2 frames, %3 per second")
            .arg(job.framesDone())
            .arg(total)
            .arg(QString::number(job.framesDone() / seconds, 'f', 0));
    };
    QString failure;
    try {
        while (!job.step())
            line.update(rate());
        line.finish(rate());
        return Done;
    } catch (const stereo::BadMap &map) {
        failure = Cli::tr("cannot read %1: %2").arg(shownName(map.path), reasonText(map.error));
    } catch (const picture::PictureError &e) {
        failure = Cli::tr("cannot write %1: %2").arg(shownName(request.output), reasonText(e));
    }
    line.end();
    io.err << u"zomvorn-cli: "_s << failure << '\n'
           << u"zomvorn-cli: "_s << Cli::tr("nothing written: %1").arg(shownName(request.output))
           << '\n';
    io.err.flush();
    return FileFailed;
}

} // namespace cli
