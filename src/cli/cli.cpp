// SPDX-License-Identifier: MIT

#include "cli.h"

#include "batch.h"
#include "messages.h"
#include "render.h"
#include "slices.h"

#include "picture/animation.h"
#include "picture/filename.h"
#include "picture/levels.h"
#include "picture/mapkind.h"
#include "picture/pictureio.h"
#include "picture/reveal.h"
#include "picture/stereopictures.h"
#include "picture/viewingaids.h"
#include "stereo/animationjob.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <memory>
#include <cstdlib>

using picture::Image;

using namespace Qt::StringLiterals;

namespace cli {

using picture::reasonText;

namespace {

const QString Program = u"zomvorn-cli"_s;

// Each command's lines in the order the commands are described below.
QString synopsis()
{
    return Cli::tr("Usage: %1 make   [--colour red|green|blue|赤|緑|青] [--scale K] [--guides]\n"
                   "                        [--as-is] [-o PATTERN | -o - [--png]] [--quiet] DEPTH...\n"
                   "       %1 make   --cross ...            (for cross-eyed viewing)\n"
                   "       %1 make   --animate OUT [--delay MS] [--loop N]\n"
                   "                        [--frames N [--move DX,DY]] [options] DEPTH...\n"
                   "       %1 reveal [-o OUT] STEREOGRAM\n"
                   "       %1 levels [--invert] [--near V|auto] [--far V|auto] [--no-data V]\n"
                   "                        [--gamma G] [--fit fit|fill|stretch|none] [--smooth R]\n"
                   "                        [-o OUT] PICTURE\n"
                   "       %1 anaglyph [-o OUT] STEREOGRAM\n"
                   "       %1 render [options] DEPTH... -o OUT  (any size, smooth depth)\n"
                   "       %1 check  [options] PICTURE [DEPTH]\n"
                   "       %1 --help | --version")
        .arg(Program);
}

QString generalHelp()
{
    return synopsis() + u"\n\n"_s
           + Cli::tr("Makes the random-dot stereograms of ZOMIRA -VORNA- from the command line,\n"
                     "bit for bit as the desktop program makes and saves them.\n\n"
                     "Commands:\n"
                     "  make    a stereogram from each depth map, the maps being consecutive\n"
                     "          runs of one session\n"
                     "  reveal  the depth map a stereogram of this program hides\n"
                     "  levels  a grey depth map (white near) made into a map of level colours\n"
                     "  anaglyph  the red/cyan picture of a stereogram, for anaglyph glasses\n"
                     "  render  a stereogram of any size with smooth depth (a second generator)\n"
                     "  check   what the eyes decode from a render picture\n\n"
                     "'%1 COMMAND --help' describes a command's options.\n"
                     "Exit status: 0 done, 1 a file could not be read or written, 2 wrong usage.")
                 .arg(Program);
}

int usageError(Io &io, const QString &message)
{
    io.err << Program << u": "_s << message << '\n'
           << Cli::tr("Try '%1 --help' for more information.").arg(Program) << '\n';
    io.err.flush();
    return WrongUsage;
}

// Standard input's bytes, no more than a picture file may hold (and one more, so that a longer
// one is refused as too large).
QByteArray readStandardInput(Io &io)
{
    if (!io.standardInput)
        return {};
    // A pipe hands its bytes over in pieces: read to the end, or to one byte past the largest
    // file read, which the decoder then refuses as too large.
    QByteArray bytes;
    while (bytes.size() <= picture::MaxPictureFileBytes) {
        const QByteArray piece = io.standardInput->read(picture::MaxPictureFileBytes + 1 - bytes.size());
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    return bytes;
}

int fileError(Io &io, const QString &message)
{
    io.err << Program << u": "_s << message << '\n';
    io.err.flush();
    return FileFailed;
}

// Text folded into lines of at most `width` columns, a wide (Japanese) character taking two: at
// spaces, or between two wide characters.
QString wrapped(const QString &text, int width = 79)
{
    auto columns = [](QChar c) { return c.unicode() >= 0x1100 ? 2 : 1; };
    QString out;
    for (const QString &paragraph : text.split(u'\n')) {
        QString line;
        int used = 0;
        qsizetype lastBreak = -1; // in `line`: a space, or the place between two wide characters
        for (const QChar c : paragraph) {
            if (c == u' ' && used == 0)
                continue;
            const int w = columns(c);
            if (c == u' ')
                lastBreak = line.size();
            else if (w == 2 && !line.isEmpty() && columns(line.back()) == 2)
                lastBreak = line.size();
            line += c;
            used += w;
            if (used > width && lastBreak > 0) {
                out += line.left(lastBreak).trimmed() + u'\n';
                line = line.mid(lastBreak).trimmed();
                used = 0;
                for (const QChar k : line)
                    used += columns(k);
                lastBreak = -1;
            }
        }
        out += line + u'\n';
    }
    out.chop(1);
    return out;
}

// A command's parser: its help option, and its help text headed by the command's own usage.
struct Command
{
    QString name;
    QString arguments;
    QCommandLineParser parser;
    QCommandLineOption help = QCommandLineOption(QStringList{u"h"_s, u"help"_s},
                                                 Cli::tr("Shows this help."));

    QCommandLineOption png = QCommandLineOption(
        u"png"_s, Cli::tr("With -o -: the picture on standard output is a PNG, not a BMP."));

    Command(QString commandName, QString commandArguments, const QString &description)
        : name(std::move(commandName)), arguments(std::move(commandArguments))
    {
        parser.setApplicationDescription(wrapped(description));
        parser.addOption(help);
        parser.addOption(png);
    }

    // Adds options; where one has a default value that its text does not give, the text says it.
    void addOptions(QList<QCommandLineOption> options)
    {
        for (QCommandLineOption &o : options) {
            const QString text = o.description();
            if (!o.defaultValues().isEmpty() && !text.contains(u"default"_s, Qt::CaseInsensitive)
                && !text.contains(u"省略時"_s))
                o.setDescription(text + u' '
                                 + Cli::tr("Default: %1.").arg(o.defaultValues().join(u' ')));
        }
        parser.addOptions(options);
    }
    void addOption(const QCommandLineOption &option) { addOptions({option}); }

    // Parses; returns an exit status when the command is over already (help, or wrong usage).
    std::optional<int> parse(const QStringList &commandLine, Io &io)
    {
        QStringList words = commandLine;
        words.removeAt(1); // the command's name
        if (!parser.parse(words))
            return usageError(io, parser.errorText());
        if (parser.isSet(help)) {
            QString text = parser.helpText();
            text = Cli::tr("Usage: %1 %2 [options] %3").arg(Program, name, arguments)
                   + text.sliced(text.indexOf(u'\n'));
            io.out << text;
            io.out.flush();
            return Done;
        }
        return std::nullopt;
    }
};

std::optional<qint16> colourIndex(const QString &name)
{
    const QString names[3][2] = {{u"red"_s, u"赤"_s}, {u"green"_s, u"緑"_s}, {u"blue"_s, u"青"_s}};
    for (int i = 0; i < 3; ++i)
        for (const QString &n : names[i])
            if (name.compare(n, Qt::CaseInsensitive) == 0)
                return qint16(i);
    return std::nullopt;
}

int runBatch(MakeRequest &request, const QString &pattern, Io &io);
int runSlice(MakeRequest &request, const QString &pattern, const QString &range, Io &io);
std::variant<QStringList, int> mapList(const QString &path, Io &io);

int runMake(const QStringList &commandLine, Io &io)
{
    Command command(u"make"_s, u"DEPTH..."_s,
                    Cli::tr("Makes a stereogram from each depth map, exactly as the desktop "
                            "program does after loading the maps one after another in its editor "
                            "(\"編集終了\", then \"ランダムドット作成\" each time): the random "
                            "sequence and the carried depth level go on from map to map.")
                        + u' '
                        + Cli::tr("Each stereogram is 453 x 333 pixels; --scale K makes it K "
                                  "times that each way, and --guides adds a band 20 x K pixels "
                                  "high above it. The maps are depth maps in the 16 level "
                                  "colours; a depth picture that is not (grey, 16-bit or in "
                                  "colour) is converted as '%1 levels --near auto --far auto' "
                                  "converts it, with one line on standard error, unless --as-is "
                                  "is given.")
                              .arg(Program));
    const QCommandLineOption colour(QStringList{u"c"_s, u"colour"_s},
                                    Cli::tr("The dots' tint: red, green or blue (赤, 緑, 青)."),
                                    Cli::tr("COLOUR"), u"blue"_s);
    const QCommandLineOption scale(QStringList{u"s"_s, u"scale"_s},
                                   Cli::tr("Each dot a K x K block, for print (1 to 16)."),
                                   u"K"_s, u"1"_s);
    const QCommandLineOption guides(QStringList{u"g"_s, u"guides"_s},
                                    Cli::tr("A white band above the picture with two black "
                                            "dots to converge on."));
    const QCommandLineOption output(QStringList{u"o"_s, u"output"_s},
                                    Cli::tr("Where each stereogram goes: {name} is the depth "
                                            "map's file name without extension, {n} the run "
                                            "number from 1; .bmp or .png."),
                                    Cli::tr("PATTERN"), u"{name}-stereo.bmp"_s);
    const QCommandLineOption quiet(QStringList{u"q"_s, u"quiet"_s},
                                   Cli::tr("No progress line."));
    const QCommandLineOption cross(QStringList{u"cross"_s},
                                   Cli::tr("For cross-eyed viewing: every level L is made "
                                           "15 - L, so the shape is not seen inside out."));
    const QCommandLineOption animate(QStringList{u"a"_s, u"animate"_s},
                                     Cli::tr("Writes the stereograms as the frames of one "
                                             "animated file instead, in order: .gif or .webp "
                                             "(lossless)."),
                                     Cli::tr("OUT"));
    const QCommandLineOption delay(QStringList{u"delay"_s},
                                   Cli::tr("Each frame's time in milliseconds, %1 to %2 (GIF "
                                           "keeps hundredths of a second).")
                                       .arg(picture::MinFrameDelay)
                                       .arg(picture::MaxFrameDelay),
                                   u"MS"_s, QString::number(picture::DefaultFrameDelay));
    const QCommandLineOption loop(QStringList{u"loop"_s},
                                  Cli::tr("How many times the animation plays: 0 for ever, or "
                                          "up to %1.")
                                      .arg(picture::MaxLoopCount),
                                  u"N"_s, u"0"_s);
    const QCommandLineOption frames(QStringList{u"frames"_s},
                                    Cli::tr("N frames from the one depth map given (1 to %1).")
                                        .arg(stereo::MaxMovedFrames),
                                    u"N"_s);
    const QCommandLineOption move(QStringList{u"move"_s},
                                  Cli::tr("With --frames: frame k is made from the map moved "
                                          "by k x (DX, DY) pixels, wrapping around."),
                                  u"DX,DY"_s);
    const QCommandLineOption runs(u"runs"_s,
                                  Cli::tr("Makes only runs FIRST to LAST (from 1) of the batch "
                                          "that the maps make: the same files, byte for byte, "
                                          "with the same names. This splits a batch over "
                                          "processes or machines. Each slice needs the whole "
                                          "list: it reads the maps before its runs for the "
                                          "level they carry."),
                                  u"FIRST-LAST"_s);
    const QCommandLineOption mapsFrom(u"maps-from"_s,
                                      Cli::tr("Reads the depth maps' names from FILE instead: "
                                              "one a line, or separated by NUL bytes."),
                                      u"FILE"_s);
    const QCommandLineOption asIs(QStringList{u"as-is"_s},
                                  Cli::tr("Uses every map with its literal colours, even a "
                                          "grey or colour depth picture."));
    const QCommandLineOption dpi(QStringList{u"dpi"_s},
                                 Cli::tr("The printer's resolution, written into each file "
                                         "(%1 to %2); without it the files say 96 dpi.")
                                     .arg(picture::MinPrintDpi)
                                     .arg(picture::MaxPrintDpi),
                                 u"D"_s);
    command.addOptions({colour, scale, guides, output, quiet, cross, animate, delay, loop,
                               frames, move, runs, mapsFrom, asIs, dpi});
    command.parser.addPositionalArgument(u"DEPTH"_s,
                                         Cli::tr("Depth maps, made into stereograms in this "
                                                 "order; a map given n times makes n runs."),
                                         u"DEPTH..."_s);
    if (const auto over = command.parse(commandLine, io))
        return *over;
    const QCommandLineParser &p = command.parser;

    // The options' values first: "--scale MAP" is a wrong scale, not a missing map.
    MakeRequest request;
    const auto iro = colourIndex(p.value(colour));
    if (!iro)
        return usageError(io, Cli::tr("unknown colour '%1': red, green, blue, 赤, 緑 or 青")
                                  .arg(p.value(colour)));
    request.iroIndex = *iro;
    bool isNumber = false;
    request.scale = p.value(scale).toInt(&isNumber);
    if (!isNumber || request.scale < 1 || request.scale > 16)
        return usageError(io, Cli::tr("--scale takes a whole number from 1 to 16, not '%1'")
                                  .arg(p.value(scale)));
    if (p.isSet(dpi)) {
        const int d = p.value(dpi).toInt(&isNumber);
        if (!isNumber || d < picture::MinPrintDpi || d > picture::MaxPrintDpi)
            return usageError(io, Cli::tr("--dpi takes a whole number from %1 to %2, not '%3'")
                                      .arg(picture::MinPrintDpi)
                                      .arg(picture::MaxPrintDpi)
                                      .arg(p.value(dpi)));
        if (p.isSet(animate))
            return usageError(io, Cli::tr("--dpi is for separate files: an animation keeps no "
                                          "resolution"));
        request.dotsPerMeter = picture::dotsPerMeterOfDpi(d);
    }
    request.maps = p.positionalArguments();
    if (p.isSet(mapsFrom)) {
        if (!request.maps.isEmpty())
            return usageError(io, Cli::tr("--maps-from gives the depth maps: name none after it"));
        const auto list = mapList(p.value(mapsFrom), io);
        if (const int *status = std::get_if<int>(&list))
            return *status;
        request.maps = std::get<QStringList>(list);
    }
    if (request.maps.isEmpty())
        return usageError(io, Cli::tr("no depth map given"));
    if (request.maps.contains(QString()))
        return usageError(io, Cli::tr("an empty file name was given"));
    if (request.maps.contains(StandardStream)) {
        if (request.maps.size() != 1 || !io.standardInput)
            return usageError(io, Cli::tr("standard input (-) can be the only depth map"));
        request.standardInput = readStandardInput(io);
    }
    request.png = p.isSet(command.png);
    request.guides = p.isSet(guides);
    request.cross = p.isSet(cross);
    request.asIs = p.isSet(asIs);
    request.progress = io.errIsTerminal && !p.isSet(quiet);
    if (!p.isSet(animate)) {
        for (const QCommandLineOption *needs : {&delay, &loop, &frames, &move})
            if (p.isSet(*needs))
                return usageError(io, Cli::tr("--%1 needs --animate").arg(needs->names().last()));
        if (p.isSet(runs))
            return runSlice(request, p.value(output), p.value(runs), io);
        return runBatch(request, p.value(output), io);
    }
    if (p.isSet(runs))
        return usageError(io, Cli::tr("an animation is one file and is not split: give no --runs"));
    if (p.isSet(output))
        return usageError(io, Cli::tr("--animate writes one file: give no --output"));

    stereo::AnimationRequest job;
    job.maps = request.maps;
    job.settings = {request.iroIndex, request.scale, request.guides, request.cross};
    job.output = p.value(animate);
    job.asIs = request.asIs;
    if (!picture::animationFormatOfName(job.output))
        return usageError(io, Cli::tr("%1: an animation's name must end in .gif or .webp")
                                  .arg(shownName(job.output)));
    for (const QString &map : job.maps)
        if (picture::fileKey(map) == picture::fileKey(job.output))
            return usageError(io, Cli::tr("%1 would be written over the depth map it reads")
                                      .arg(shownName(job.output)));
    auto frameSize = [&](int scale) {
        const int height = picture::StereogramSize.height()
                           + (request.guides ? picture::GuideBandHeight : 0);
        return QSize(picture::StereogramSize.width() * scale, height * scale);
    };
    auto fitsWebP = [&](int scale) {
        const QSize size = frameSize(scale);
        return qint64(size.width()) * size.height() <= picture::MaxWebPFramePixels;
    };
    if (*picture::animationFormatOfName(job.output) == picture::AnimationFormat::WebP
        && !fitsWebP(request.scale)) {
        int largest = request.scale;
        while (largest > 1 && !fitsWebP(largest))
            --largest;
        return usageError(io, Cli::tr("--scale %1 makes WebP frames of %2 x %3 pixels; the "
                                      "lossless encoder holds a whole frame, and a WebP "
                                      "animation is made within 300 MB up to --scale %4 (GIF "
                                      "has no such limit)")
                                  .arg(request.scale)
                                  .arg(frameSize(request.scale).width())
                                  .arg(frameSize(request.scale).height())
                                  .arg(largest));
    }
    auto number = [&](const QCommandLineOption &option, int low, int high, int &to) {
        bool ok = false;
        to = p.value(option).toInt(&ok);
        return ok && to >= low && to <= high;
    };
    if (!number(delay, picture::MinFrameDelay, picture::MaxFrameDelay, job.delayMs))
        return usageError(io, Cli::tr("--delay takes a whole number of milliseconds from %1 to "
                                      "%2, not '%3'")
                                  .arg(picture::MinFrameDelay)
                                  .arg(picture::MaxFrameDelay)
                                  .arg(p.value(delay)));
    if (!number(loop, 0, picture::MaxLoopCount, job.loopCount))
        return usageError(io, Cli::tr("--loop takes a whole number from 0 to %1, not '%2'")
                                  .arg(picture::MaxLoopCount)
                                  .arg(p.value(loop)));
    if (p.isSet(frames)) {
        if (job.maps.size() != 1)
            return usageError(io, Cli::tr("--frames makes frames from one depth map, not %1")
                                      .arg(job.maps.size()));
        if (!number(frames, 1, stereo::MaxMovedFrames, job.frames))
            return usageError(io, Cli::tr("--frames takes a whole number from 1 to %1, not '%2'")
                                      .arg(stereo::MaxMovedFrames)
                                      .arg(p.value(frames)));
    }
    if (p.isSet(move)) {
        if (!p.isSet(frames))
            return usageError(io, Cli::tr("--move needs --frames"));
        const QStringList parts = p.value(move).split(u',');
        bool okX = false;
        bool okY = false;
        const int dx = parts.value(0).trimmed().toInt(&okX);
        const int dy = parts.value(1).trimmed().toInt(&okY);
        constexpr int MaxMove = 10'000;
        // Compared as they are: the most negative int has no absolute value.
        auto inRange = [](int v) { return v >= -MaxMove && v <= MaxMove; };
        if (parts.size() != 2 || !okX || !okY || !inRange(dx) || !inRange(dy))
            return usageError(io, Cli::tr("--move takes two whole numbers DX,DY from -%1 to %1, "
                                          "not '%2'")
                                      .arg(MaxMove)
                                      .arg(p.value(move)));
        job.move = {dx, dy};
    }
    return cli::animate(job, request.progress, io);
}

int runBatch(MakeRequest &request, const QString &pattern, Io &io)
{
    if (pattern == StandardStream) {
        if (request.maps.size() != 1)
            return usageError(io, Cli::tr("-o - writes one picture: give one depth map"));
        if (!io.standardOutput || io.outIsTerminal)
            return usageError(io, Cli::tr("no picture is written to a terminal: "
                                          "redirect standard output"));
        request.outputs = {pattern};
        return make(request, io);
    }
    for (int i = 0; i < request.maps.size(); ++i)
        request.outputs << outputName(pattern, request.maps[i], i + 1);
    if (const QString problem = outputProblem(request.maps, request.outputs); !problem.isEmpty())
        return usageError(io, problem);
    return make(request, io);
}

int runSlice(MakeRequest &request, const QString &pattern, const QString &range, Io &io)
{
    const auto runs = runRangeOf(range);
    if (!runs)
        return usageError(io, Cli::tr("--runs takes FIRST-LAST, whole numbers from 1 with FIRST "
                                      "not after LAST, not '%1'")
                                  .arg(range));
    if (runs->last > request.maps.size())
        return usageError(io, Cli::tr("--runs %1 goes beyond the batch's %2 runs")
                                  .arg(range)
                                  .arg(request.maps.size()));
    if (pattern == StandardStream)
        return usageError(io, Cli::tr("--runs writes files: give no -o -"));
    return makeSlice(request, pattern, *runs, io);
}

// The names a --maps-from file lists. It may be a pipe; it is read up to a bound.
std::variant<QStringList, int> mapList(const QString &path, Io &io)
{
    constexpr qint64 MaxListBytes = 1LL << 30;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return fileError(io, Cli::tr("cannot read %1: %2").arg(shownName(path), file.errorString()));
    QByteArray bytes;
    for (;;) {
        const QByteArray chunk = file.read(1 << 20);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
        if (bytes.size() > MaxListBytes)
            return fileError(io, Cli::tr("cannot read %1: %2")
                                     .arg(shownName(path),
                                          Cli::tr("a list of more than %1 MB")
                                              .arg(MaxListBytes >> 20)));
    }
    if (file.error() != QFileDevice::NoError)
        return fileError(io, Cli::tr("cannot read %1: %2").arg(shownName(path), file.errorString()));
    return namesOfList(bytes);
}

// A picture of neither the stereogram's size nor one that make --scale K --guides writes.
int notOfThisSize(Io &io, const QString &name, QSize size)
{
    return fileError(io, Cli::tr("%1 is not a stereogram of this program: it is %2 x %3 pixels, "
                                 "neither %4 x %5 nor a whole enlargement of that (with or "
                                 "without guides)")
                             .arg(name)
                             .arg(size.width())
                             .arg(size.height())
                             .arg(picture::StereogramSize.width())
                             .arg(picture::StereogramSize.height()));
}

std::variant<Image, int> loadOne(const QString &path, Io &io,
                                  const std::function<bool(QSize)> &fits = {})
{
    try {
        const QByteArray bytes =
            path == StandardStream ? readStandardInput(io) : picture::readRegularFile(path);
        // A picture of a size the command cannot use is refused from its header, undecoded.
        if (const QSize stated = picture::statedSize(bytes); fits && stated.isValid() && !fits(stated))
            return notOfThisSize(io, shownName(path), stated);
        return picture::decodePicture(bytes);
    } catch (const picture::PictureError &e) {
        return fileError(io, Cli::tr("cannot read %1: %2").arg(shownName(path), reasonText(e)));
    }
}

// The one picture a command reads, loaded, and the file it writes, checked like make's.
struct OneFile
{
    QString in;
    QString out;
    Image picture;
    bool png = false; // standard output as PNG
};

std::variant<OneFile, int> oneFile(Command &command, const QCommandLineOption &output,
                                   const QString &defaultSuffix, Io &io,
                                   const std::function<bool(QSize)> &fits = {})
{
    const QStringList words = command.parser.positionalArguments();
    if (words.size() != 1 || words[0].isEmpty())
        return usageError(io, Cli::tr("give exactly one %1").arg(command.arguments));
    OneFile files{words[0], command.parser.value(output), {}};
    // From standard input, to standard output unless told otherwise.
    if (files.out.isEmpty())
        files.out = files.in == StandardStream
                        ? StandardStream
                        : QFileInfo(files.in).completeBaseName() + defaultSuffix;
    files.png = command.parser.isSet(command.png);
    if (files.in == StandardStream && !io.standardInput)
        return usageError(io, Cli::tr("there is no standard input here"));
    if (files.out == StandardStream && (!io.standardOutput || io.outIsTerminal))
        return usageError(io, Cli::tr("no picture is written to a terminal: "
                                      "redirect standard output"));
    if (files.in != StandardStream && picture::fileKey(files.in) == picture::fileKey(files.out))
        return usageError(io, Cli::tr("%1 would be written over the %2 it reads")
                                  .arg(shownName(files.out), command.arguments));
    if (files.out != StandardStream) {
        if (const QString problem = outputProblem({files.in}, {files.out}); !problem.isEmpty())
            return usageError(io, problem);
    }
    auto picture = loadOne(files.in, io, fits);
    if (const int *status = std::get_if<int>(&picture))
        return *status;
    files.picture = std::get<Image>(std::move(picture));
    return files;
}

int writeOne(const Image &image, const QString &path, Io &io, bool png = false)
{
    try {
        if (path == StandardStream) {
            if (const QString failure = writeStandardOutput(
                    io, picture::rowsOf(image),
                    png ? picture::FileFormat::Png : picture::FileFormat::Bmp);
                !failure.isEmpty())
                return io.pipeClosed ? FileFailed
                                     : fileError(io, Cli::tr("cannot write %1: %2")
                                                         .arg(shownName(path), failure));
            return Done;
        }
        picture::savePicture(image, path, *picture::formatOfName(path));
    } catch (const picture::PictureError &e) {
        return fileError(io, Cli::tr("cannot write %1: %2").arg(shownName(path), reasonText(e)));
    }
    return Done;
}

int runReveal(const QStringList &commandLine, Io &io)
{
    Command command(u"reveal"_s, u"STEREOGRAM"_s,
                    Cli::tr("Writes the depth map a stereogram of this program hides (any tint, "
                            "as made or as make --scale K --guides writes it), each pixel in the "
                            "colour of its level, and says how many pixels were ambiguous."));
    const QCommandLineOption output(QStringList{u"o"_s, u"output"_s},
                                    Cli::tr("The depth map's file, .bmp or .png (default: "
                                            "NAME-depth.bmp)."),
                                    Cli::tr("OUT"));
    command.addOption(output);
    command.parser.addPositionalArgument(u"STEREOGRAM"_s, Cli::tr("The stereogram to read."));
    if (const auto over = command.parse(commandLine, io))
        return *over;
    const auto files = oneFile(command, output, u"-depth.bmp"_s, io, picture::isPrintedSize);
    if (const int *status = std::get_if<int>(&files))
        return *status;
    const auto &[in, out, picture, png] = std::get<OneFile>(files);

    const picture::Revealed revealed = picture::reveal(picture);
    const QString name = shownName(in);
    switch (revealed.fault) {
    case picture::Revealed::Fault::None:
        break;
    case picture::Revealed::Fault::Size:
        return notOfThisSize(io, name, picture.size());
    case picture::Revealed::Fault::NotADotColour:
        return fileError(io, Cli::tr("%1 is not a stereogram of this program: its dots are "
                                     "not all of one tint (pixel %2, %3)")
                                 .arg(name)
                                 .arg(revealed.where.x())
                                 .arg(revealed.where.y()));
    case picture::Revealed::Fault::BrokenLink:
        return fileError(io, Cli::tr("%1 does not follow the linking rule at pixel %2, %3: "
                                     "it is damaged or not a stereogram of this program")
                                 .arg(name)
                                 .arg(revealed.where.x())
                                 .arg(revealed.where.y()));
    }
    if (const int status = writeOne(revealed.depthMap, out, io, png); status != Done)
        return status;
    // The picture may be on standard output: the count then goes with the messages.
    QTextStream &said = out == StandardStream ? io.err : io.out;
    said << Cli::tr("%1: %2 of %3 pixels ambiguous (more than one level fits)")
                  .arg(shownName(out))
                  .arg(revealed.ambiguous)
                  .arg(picture::DepthMapSize.width() * picture::DepthMapSize.height())
           << '\n';
    io.out.flush();
    return Done;
}

int runAnaglyph(const QStringList &commandLine, Io &io)
{
    Command command(u"anaglyph"_s, u"STEREOGRAM"_s,
                    Cli::tr("Writes the red/cyan picture of a stereogram for anaglyph glasses, "
                            "the same pixels as the desktop program's アナグリフ view: red from "
                            "each dot, green and blue from the dot 60 to its right. A picture "
                            "that make --scale K --guides wrote is read at its own scale."));
    const QCommandLineOption output(QStringList{u"o"_s, u"output"_s},
                                    Cli::tr("The picture's file, .bmp or .png (default: "
                                            "NAME-anaglyph.png)."),
                                    Cli::tr("OUT"));
    command.addOption(output);
    command.parser.addPositionalArgument(u"STEREOGRAM"_s, Cli::tr("The stereogram to read."));
    if (const auto over = command.parse(commandLine, io))
        return *over;
    const auto files = oneFile(command, output, u"-anaglyph.png"_s, io, picture::isPrintedSize);
    if (const int *status = std::get_if<int>(&files))
        return *status;
    const auto &[in, out, picture, png] = std::get<OneFile>(files);
    Image stereogram = picture;
    if (stereogram.size() != picture::StereogramSize) {
        const std::optional<picture::Unprinted> printed = picture::unprinted(picture);
        if (!printed)
            return notOfThisSize(io, shownName(in), picture.size());
        stereogram = printed->stereogram;
    }
    Image red;
    try {
        red = picture::anaglyph(stereogram);
    } catch (const picture::PictureError &e) {
        return fileError(io, Cli::tr("cannot read %1: %2").arg(shownName(in), reasonText(e)));
    }
    return writeOne(red, out, io, png);
}

// A grey value of the picture's scale, or "auto" where that is allowed.
std::optional<picture::Bound> boundOf(const QString &word)
{
    if (word.compare(u"auto"_s, Qt::CaseInsensitive) == 0)
        return picture::Bound{picture::Bound::Kind::Auto, 0};
    bool isNumber = false;
    const int value = word.toInt(&isNumber);
    if (!isNumber || value < 0 || value > 65535)
        return std::nullopt;
    return picture::Bound{picture::Bound::Kind::Value, value};
}

std::optional<picture::Fit> fitOf(const QString &word)
{
    const std::pair<QString, picture::Fit> fits[] = {{u"fit"_s, picture::Fit::Fit},
                                                     {u"fill"_s, picture::Fit::Fill},
                                                     {u"stretch"_s, picture::Fit::Stretch},
                                                     {u"none"_s, picture::Fit::None}};
    for (const auto &[name, fit] : fits)
        if (word.compare(name, Qt::CaseInsensitive) == 0)
            return fit;
    return std::nullopt;
}

int runLevels(const QStringList &commandLine, Io &io)
{
    Command command(u"levels"_s, u"PICTURE"_s,
                    Cli::tr("Makes a grey depth map (white near, black far) into a depth map of "
                            "the 16 level colours that the editor loads exactly: scaled to fit "
                            "389 x 333 keeping its aspect ratio, centred on black, each pixel's "
                            "luminance L made level round(L x 15 / 255). The options are those "
                            "of the desktop program's \"画像から奥行きマップ\" and give the same "
                            "pixels. Grey values V are on the picture's own scale: 0 to 255, or "
                            "0 to 65535 for a 16-bit picture."));
    const QCommandLineOption invert(QStringList{u"i"_s, u"invert"_s},
                                    Cli::tr("Black near, white far."));
    const QCommandLineOption nearGrey(u"near"_s,
                                      Cli::tr("The grey that becomes level 15 (nearest); greys "
                                              "beyond it clip. 'auto': the picture's 99th "
                                              "percentile (1st when inverted). Default: white "
                                              "(black when inverted)."),
                                      u"V"_s);
    const QCommandLineOption farGrey(u"far"_s,
                                     Cli::tr("The grey that becomes level 0 (farthest); 'auto': "
                                             "the picture's 1st percentile (99th when "
                                             "inverted). Default: black (white when inverted)."),
                                     u"V"_s);
    const QCommandLineOption noData(u"no-data"_s,
                                    Cli::tr("The grey that means no measurement (depth cameras "
                                            "write 0): such pixels become level 0, inverted or "
                                            "not, and stay out of their neighbours."),
                                    u"V"_s);
    const QCommandLineOption gamma(u"gamma"_s,
                                   Cli::tr("Levels spaced by this power, 0.1 to 10 (default 1)."),
                                   u"G"_s, u"1"_s);
    const QCommandLineOption fit(u"fit"_s,
                                 Cli::tr("fit: inside the canvas (default); fill: covering it, "
                                         "cropped; stretch: to its size; none: 1:1 at the top "
                                         "left."),
                                 u"HOW"_s, u"fit"_s);
    const QCommandLineOption smooth(u"smooth"_s,
                                    Cli::tr("A median filter of radius R (0 to 3) before "
                                            "quantising, against speckle."),
                                    u"R"_s, u"0"_s);
    const QCommandLineOption output(QStringList{u"o"_s, u"output"_s},
                                    Cli::tr("The depth map's file, .bmp or .png (default: "
                                            "NAME-levels.bmp)."),
                                    Cli::tr("OUT"));
    command.addOptions({invert, nearGrey, farGrey, noData, gamma, fit, smooth, output});
    command.parser.addPositionalArgument(u"PICTURE"_s,
                                         Cli::tr("Any picture the desktop program reads."));
    if (const auto over = command.parse(commandLine, io))
        return *over;
    const QCommandLineParser &p = command.parser;

    picture::LevelsSettings settings;
    settings.invert = p.isSet(invert);
    for (const auto &[option, bound] : {std::pair{&nearGrey, &settings.nearGrey},
                                        std::pair{&farGrey, &settings.farGrey}}) {
        if (!p.isSet(*option))
            continue;
        const auto value = boundOf(p.value(*option));
        if (!value)
            return usageError(io, Cli::tr("--%1 takes a grey value from 0 to 65535 or 'auto', "
                                          "not '%2'")
                                      .arg(option->names().constFirst(), p.value(*option)));
        *bound = *value;
    }
    if (p.isSet(noData)) {
        const auto value = boundOf(p.value(noData));
        if (!value || value->kind != picture::Bound::Kind::Value)
            return usageError(io, Cli::tr("--no-data takes a grey value from 0 to 65535, not "
                                          "'%1'")
                                      .arg(p.value(noData)));
        settings.noData = value->value;
    }
    bool isNumber = false;
    settings.gamma = p.value(gamma).toDouble(&isNumber);
    if (!isNumber || !(settings.gamma >= picture::MinGamma && settings.gamma <= picture::MaxGamma))
        return usageError(io, Cli::tr("--gamma takes a number from 0.1 to 10, not '%1'")
                                  .arg(p.value(gamma)));
    const auto placement = fitOf(p.value(fit));
    if (!placement)
        return usageError(io, Cli::tr("--fit takes fit, fill, stretch or none, not '%1'")
                                  .arg(p.value(fit)));
    settings.fit = *placement;
    settings.smooth = p.value(smooth).toInt(&isNumber);
    if (!isNumber || settings.smooth < 0 || settings.smooth > picture::MaxSmooth)
        return usageError(io, Cli::tr("--smooth takes a whole number from 0 to 3, not '%1'")
                                  .arg(p.value(smooth)));

    if (settings.nearGrey.kind == picture::Bound::Kind::Value
        && settings.farGrey.kind == picture::Bound::Kind::Value) {
        if (settings.nearGrey.value == settings.farGrey.value)
            return usageError(io, Cli::tr("--near and --far are both %1: they must differ, or "
                                          "every grey would be one level")
                                      .arg(settings.nearGrey.value));
        if (settings.nearGrey.value < settings.farGrey.value && !settings.invert)
            io.err << Program << u": "_s
                   << Cli::tr("--near %1 is darker than --far %2: darker greys come out nearer, "
                              "the map inverted as with --invert")
                          .arg(settings.nearGrey.value)
                          .arg(settings.farGrey.value)
                   << '\n';
    }

    auto files = oneFile(command, output, u"-levels.bmp"_s, io);
    if (const int *status = std::get_if<int>(&files))
        return *status;
    auto &[in, out, loaded, png] = std::get<OneFile>(files);
    // A picture in a colour scale is read along it; any other colour picture by brightness.
    const picture::MapVerdict verdict = picture::recogniseMap(loaded);
    if (verdict.kind == picture::MapKind::ColourScale || verdict.kind == picture::MapKind::Colour)
        io.err << shownName(in) << u": "_s << pictureKind(verdict) << '\n';
    io.err.flush();
    const Image picture = picture::depthPictureOf(std::move(loaded), verdict);
    const int greyMax = picture::greyMaxOf(picture);
    for (const auto &[name, value] :
         {std::pair{u"near"_s, settings.nearGrey.kind == picture::Bound::Kind::Value
                                   ? settings.nearGrey.value : 0},
          std::pair{u"far"_s, settings.farGrey.kind == picture::Bound::Kind::Value
                                  ? settings.farGrey.value : 0},
          std::pair{u"no-data"_s, settings.noData.value_or(0)}}) {
        if (value > greyMax)
            return usageError(io, Cli::tr("--%1 %2 is beyond the greys of %3, which go from 0 "
                                          "to %4")
                                      .arg(name)
                                      .arg(value)
                                      .arg(shownName(in))
                                      .arg(greyMax));
    }
    Image map;
    try {
        map = picture::levelsOf(picture, settings);
    } catch (const picture::PictureError &e) {
        return fileError(io, Cli::tr("cannot read %1: %2").arg(shownName(in), reasonText(e)));
    }
    return writeOne(map, out, io, png);
}

} // namespace

int run(const QStringList &arguments, Io &io)
{
    const QString first = arguments.value(1);
    if (first == u"make"_s)
        return runMake(arguments, io);
    if (first == u"reveal"_s) {
        if (const auto rendered = revealRendered(arguments, io))
            return *rendered;
        return runReveal(arguments, io);
    }
    if (first == u"render"_s)
        return runRender(arguments, io);
    if (first == u"check"_s)
        return runCheck(arguments, io);
    if (first == u"levels"_s)
        return runLevels(arguments, io);
    if (first == u"anaglyph"_s)
        return runAnaglyph(arguments, io);
    if (arguments.size() == 2 && (first == u"--help"_s || first == u"-h"_s)) {
        io.out << generalHelp() << '\n';
        io.out.flush();
        return Done;
    }
    if (arguments.size() == 2 && (first == u"--version"_s || first == u"-v"_s)) {
        io.out << Program << u' ' << QStringLiteral(ZOMVORN_VERSION) << '\n';
        io.out.flush();
        return Done;
    }
    if (first.isEmpty())
        return usageError(io, Cli::tr("no command given: make, reveal, levels or anaglyph"));
    return usageError(io, Cli::tr("unknown command '%1': make, reveal, levels, anaglyph, render or check").arg(first));
}

void installTranslations(const QLocale &locale)
{
    static std::unique_ptr<QTranslator> messages;
    static std::unique_ptr<QTranslator> reasons;
    static std::unique_ptr<QTranslator> qt;
    for (auto *t : {&messages, &reasons, &qt}) {
        if (*t)
            QCoreApplication::removeTranslator(t->get());
        t->reset();
    }
    // Only a Japanese translation exists: any other language keeps the English source texts.
    messages = std::make_unique<QTranslator>();
    if (messages->load(locale, u"zomvorn-cli"_s, u"_"_s, u":/zomvorn-cli/i18n"_s))
        QCoreApplication::installTranslator(messages.get());
    // The picture library's words for why a file could not be read or written.
    reasons = std::make_unique<QTranslator>();
    if (reasons->load(locale, QString::fromLatin1(picture::ReasonTranslationsName), u"_"_s,
                      picture::reasonTranslationsFolder()))
        QCoreApplication::installTranslator(reasons.get());
    qt = std::make_unique<QTranslator>();
    if (qt->load(locale, u"qtbase"_s, u"_"_s,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt.get());
}

} // namespace cli
