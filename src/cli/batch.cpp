// SPDX-License-Identifier: MIT

#include "batch.h"

#include "cli.h"
#include "messages.h"
#include "pictures.h"
#include "progressline.h"

#include "stereo/stereogramgenerator.h"
#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFuture>
#include <QHash>
#include <QTextStream>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <new>

using namespace Qt::StringLiterals;

namespace cli {

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

QString fileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    if (info.isSymLink() || info.exists()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return folder + u'/' + info.fileName();
}

QString outputProblem(const QStringList &maps, const QStringList &outputs)
{
    QHash<QString, QString> depthMaps;
    for (const QString &map : maps)
        depthMaps.insert(fileKey(map), map);
    QHash<QString, int> runOf;
    for (int i = 0; i < outputs.size(); ++i) {
        const QString &path = outputs[i];
        if (!formatOfName(path))
            return Cli::tr("%1: the file name must end in .bmp or .png")
                .arg(QDir::toNativeSeparators(path));
        const QString key = fileKey(path);
        if (const auto map = depthMaps.constFind(key); map != depthMaps.cend())
            return Cli::tr("run %1 would write over the depth map %2")
                .arg(i + 1)
                .arg(QDir::toNativeSeparators(*map));
        if (const auto earlier = runOf.constFind(key); earlier != runOf.cend())
            return Cli::tr("runs %1 and %2 would both write %3")
                .arg(*earlier + 1)
                .arg(i + 1)
                .arg(QDir::toNativeSeparators(path));
        runOf.insert(key, i);
    }
    return {};
}

QString loadFailure(const ui::RuntimeError &error)
{
    QString reason;
    switch (error.number()) {
    case ui::RuntimeError::OutOfMemory:
        reason = Cli::tr("out of memory");
        break;
    case ui::RuntimeError::FileNotFound:
        reason = Cli::tr("file not found");
        break;
    case ui::RuntimeError::PathFileAccessError:
        reason = Cli::tr("path/file access error");
        break;
    case ui::RuntimeError::PathNotFound:
        reason = Cli::tr("path not found");
        break;
    case ui::RuntimeError::InvalidPicture:
        reason = Cli::tr("invalid picture");
        break;
    default:
        return error.description().simplified();
    }
    // The load path's own detail follows its description, on lines of their own.
    const qsizetype lineEnd = error.description().indexOf(u'\n');
    const QString detail =
        lineEnd < 0 ? QString() : error.description().sliced(lineEnd + 1).simplified();
    return detail.isEmpty() ? reason : Cli::tr("%1 (%2)").arg(reason, detail);
}

namespace {

struct ReadDepthMap
{
    PackedPicture map;
    QString failure;
};

// Exactly what the editor does with a file it loads, then kept small until its turn comes.
ReadDepthMap readDepthMap(const QString &path)
{
    try {
        return {PackedPicture(depthMapOf(ui::LoadPicture(path))), {}};
    } catch (const ui::RuntimeError &e) {
        return {{}, loadFailure(e)};
    } catch (const std::bad_alloc &) {
        return {{}, Cli::tr("out of memory")};
    }
}

QString writeStereogram(const QImage &stereogram, int scale, bool guides, const QString &path)
{
    try {
        const QImage image = printable(stereogram, scale, guides);
        if (image.isNull())
            return Cli::tr("out of memory");
        return writePicture(image, path, *formatOfName(path));
    } catch (const std::bad_alloc &) {
        return Cli::tr("out of memory");
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

} // namespace

int make(const MakeRequest &request, Io &io)
{
    QElapsedTimer clock;
    clock.start();
    ProgressLine progress(io.err, request.progress);
    const int runs = int(request.maps.size());
    const QStringList &outputs = request.outputs;

    // Every map is read before anything is written; a map given more than once is read once.
    // Decoding keeps the cores busy, and may take much memory for a large picture: as many
    // threads as cores.
    QStringList files;
    QHash<QString, int> fileOf;
    for (const QString &map : request.maps) {
        if (!fileOf.contains(map)) {
            fileOf.insert(map, int(files.size()));
            files << map;
        }
    }
    QList<QFuture<ReadDepthMap>> reading;
    for (const QString &file : files)
        reading << QtConcurrent::run(readDepthMap, file);
    QList<ReadDepthMap> read;
    for (QFuture<ReadDepthMap> &future : reading) {
        read << future.result();
        future = {};
        progress.update(Cli::tr("reading %1/%2").arg(read.size()).arg(files.size()));
    }
    int unreadable = 0;
    for (int i = 0; i < files.size(); ++i) {
        if (read[i].failure.isEmpty())
            continue;
        progress.end();
        ++unreadable;
        io.err << u"zomvorn-cli: "_s
               << Cli::tr("cannot read %1: %2")
                      .arg(QDir::toNativeSeparators(files[i]), read[i].failure)
               << '\n';
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

    // The generator in order, on this thread; scaling, encoding and writing on others. A written
    // file is flushed to the disk before it takes its name, and the threads mostly wait for that:
    // more of them than there are cores keep the cores busy. Few pictures wait to be written at
    // any time, so that memory stays bounded.
    QThreadPool writers;
    writers.setMaxThreadCount(std::max(4, 4 * QThread::idealThreadCount()));
    const qint64 pictureBytes = qint64(StereogramSize.width()) * request.scale
                                * (StereogramSize.height() + (request.guides ? GuideBandHeight : 0))
                                * request.scale * qint64(sizeof(QRgb));
    const int inFlight = int(std::clamp<qint64>((256LL << 20) / pictureBytes, 1,
                                                2 * writers.maxThreadCount()));
    stereo::Rnd rnd;
    stereo::StereogramGenerator generator(rnd);
    QList<QFuture<QString>> writing;
    QStringList failures(runs);
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
        const QImage depthMap = read[fileOf.value(request.maps[run])].map.unpack();
        QImage stereogram(StereogramSize, QImage::Format_RGB32);
        stereogram.fill(Qt::white);
        stereogram.setDotsPerMeterX(ui::SavedDotsPerMeter);
        stereogram.setDotsPerMeterY(ui::SavedDotsPerMeter);
        generator.make(depthMap, stereogram, request.iroIndex);
        writing << QtConcurrent::run(&writers, writeStereogram, stereogram, request.scale,
                                     request.guides, outputs[run]);
    }
    while (finished < writing.size())
        finishOne();
    const int written = int(std::count_if(failures.cbegin(), failures.cbegin() + finished,
                                          [](const QString &f) { return f.isEmpty(); }));
    if (!failed) {
        progress.finish(rateText(finished, runs, clock));
        return Done;
    }
    progress.end();
    for (int i = 0; i < finished; ++i) {
        if (!failures[i].isEmpty())
            io.err << u"zomvorn-cli: "_s
                   << Cli::tr("cannot write %1: %2")
                          .arg(QDir::toNativeSeparators(outputs[i]), failures[i])
                   << '\n';
    }
    io.err << u"zomvorn-cli: "_s << Cli::tr("%1 of %2 stereograms written").arg(written).arg(runs)
           << '\n';
    io.err.flush();
    return FileFailed;
}

} // namespace cli
