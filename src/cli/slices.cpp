// SPDX-License-Identifier: MIT

#include "slices.h"

#include "batch.h"
#include "cli.h"
#include "messages.h"

#include "picture/filename.h"
#include "picture/mapkind.h"
#include "picture/pictureerror.h"
#include "picture/pictureio.h"
#include "picture/stereopictures.h"
#include "stereo/stereogramgenerator.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTextStream>

using picture::Image;

using namespace Qt::StringLiterals;

namespace cli {

using picture::reasonText;

std::optional<RunRange> runRangeOf(const QString &words)
{
    const QStringList parts = words.split(u'-');
    if (parts.size() > 2)
        return std::nullopt;
    bool okFirst = false;
    bool okLast = false;
    const int first = parts[0].toInt(&okFirst);
    const int last = parts.size() == 2 ? parts[1].toInt(&okLast) : first;
    if (parts.size() == 1)
        okLast = okFirst;
    // Digits only: no signs, no spaces.
    for (const QString &part : parts)
        for (const QChar c : part)
            if (c < u'0' || c > u'9')
                return std::nullopt;
    if (!okFirst || !okLast || first < 1 || last < first)
        return std::nullopt;
    return RunRange{first, last};
}

QStringList namesOfList(const QByteArray &bytes)
{
    const char separator = bytes.contains('\0') ? '\0' : '\n';
    QList<QByteArray> words = bytes.split(separator);
    if (!words.isEmpty() && words.back().isEmpty())
        words.pop_back(); // after the last name
    QStringList names;
    names.reserve(words.size());
    for (const QByteArray &word : words)
        names << picture::fileNameFromBytes(word); // the names' bytes, UTF-8 or not
    return names;
}

namespace {

// What a run of the map leaves to the next, read as make reads a map; or why it cannot be read.
struct LevelRead
{
    std::optional<qint16> level;
    QString failure;
};

LevelRead levelLeftByFile(const QString &path, bool cross, bool asIs)
{
    try {
        // Through the one map source, as make reads it: a grey map is converted first.
        const Image map = picture::mapOfFile(path, asIs).map;
        return {stereo::levelLeftBy(map, cross), {}};
    } catch (const picture::PictureError &e) {
        return {std::nullopt, reasonText(e)};
    }
}

// What is wrong with the files the slice writes: among themselves and against every map of the
// list, as for a whole batch (another slice's map must not be written over either, whatever name
// or link leads to it). A pattern without {n} names each file after its map alone, so there a run
// elsewhere in the batch that would write the same name is found too.
QString sliceOutputProblem(const QStringList &maps, const QString &pattern, RunRange runs,
                           const QStringList &outputs)
{
    if (QString problem = outputProblem(maps, outputs, runs.first); !problem.isEmpty())
        return problem;
    if (pattern.contains(u"{n}"_s))
        return {};
    QHash<QString, int> runOf;
    for (int i = 0; i < outputs.size(); ++i)
        runOf.insert(outputs[i], runs.first + i);
    for (int i = 0; i < maps.size(); ++i) {
        if (i >= runs.first - 1 && i < runs.last)
            continue;
        const QString out = outputName(pattern, maps[i], i + 1);
        if (const auto in = runOf.constFind(out); in != runOf.cend())
            return Cli::tr("runs %1 and %2 would both write %3")
                .arg(std::min(i + 1, *in))
                .arg(std::max(i + 1, *in))
                .arg(shownName(out));
    }
    return {};
}

} // namespace

int makeSlice(MakeRequest &request, const QString &pattern, RunRange runs, Io &io)
{
    const QStringList all = request.maps;
    const QStringList mine = all.mid(runs.first - 1, runs.last - runs.first + 1);
    QStringList outputs;
    outputs.reserve(mine.size());
    for (int i = 0; i < mine.size(); ++i)
        outputs << outputName(pattern, mine[i], runs.first + i);
    if (const QString problem = sliceOutputProblem(all, pattern, runs, outputs);
        !problem.isEmpty()) {
        io.err << u"zomvorn-cli: "_s << problem << '\n'
               << Cli::tr("Try '%1 --help' for more information.").arg(u"zomvorn-cli"_s) << '\n';
        io.err.flush();
        return WrongUsage;
    }

    // The level carried in: the last map before the slice that holds a level colour settles it;
    // a run of a map without one passes on what it was given, back to the session's 0. Each file
    // is read once, however often the list names it.
    qint16 level = 0;
    QHash<QString, std::optional<qint16>> leftBy;
    QStringList unreadable; // messages
    QSet<QString> failed;
    for (int i = runs.first - 2; i >= 0; --i) {
        const QString &map = all[i];
        auto known = leftBy.constFind(map);
        if (known == leftBy.cend()) {
            const LevelRead read = levelLeftByFile(map, request.cross, request.asIs);
            if (!read.failure.isEmpty()) {
                // Whether the level was settled there cannot be known: nothing is made.
                unreadable << Cli::tr("cannot read %1: %2").arg(shownName(map), read.failure);
                failed.insert(map);
                break;
            }
            known = leftBy.insert(map, read.level);
        }
        if (*known) {
            level = **known;
            break;
        }
    }
    if (!unreadable.isEmpty()) {
        // The slice's own maps are checked as well, so that one try names every file to mend.
        QSet<QString> checked;
        for (const QString &map : mine) {
            if (checked.contains(map) || leftBy.contains(map) || failed.contains(map))
                continue;
            checked.insert(map);
            if (const LevelRead read = levelLeftByFile(map, request.cross, request.asIs);
                !read.failure.isEmpty())
                unreadable << Cli::tr("cannot read %1: %2").arg(shownName(map), read.failure);
        }
        for (const QString &message : unreadable)
            io.err << u"zomvorn-cli: "_s << message << '\n';
        io.err << u"zomvorn-cli: "_s
               << Cli::tr("nothing written: %1 of the depth maps runs %2 read could not be read")
                      .arg(unreadable.size())
                      .arg(runs.first == runs.last ? QString::number(runs.first)
                                                   : u"%1-%2"_s.arg(runs.first).arg(runs.last))
               << '\n';
        io.err.flush();
        return FileFailed;
    }

    request.maps = mine;
    request.outputs = outputs;
    request.start = stereo::runStart(quint64(runs.first), level);
    request.firstRun = runs.first;
    return make(request, io);
}

} // namespace cli
