// SPDX-License-Identifier: MIT

#include "render.h"

#include "batch.h"
#include "messages.h"
#include "slices.h"

#include "picture/animation.h"
#include "picture/filename.h"
#include "picture/pictureio.h"
#include "stereo/render.h"
#include "stereo/renderfile.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cmath>
#include <variant>

using picture::Image;

using namespace Qt::StringLiterals;

namespace cli {

using picture::reasonText;

namespace {

namespace R = stereo::render;

const QString Program = u"zomvorn-cli"_s;

int usage(Io &io, const QString &message)
{
    io.err << Program << u": "_s << message << '\n'
           << Cli::tr("Try '%1 --help' for more information.").arg(Program) << '\n';
    io.err.flush();
    return WrongUsage;
}

// Parses the command's words (the command's name left out) and answers --help with `usageLine`
// and the options. An exit status where the command ends here.
std::optional<int> parseCommand(QCommandLineParser &p, const QCommandLineOption &help,
                                QStringList words, const QString &usageLine, Io &io)
{
    words.removeAt(1);
    if (!p.parse(words))
        return usage(io, p.errorText());
    if (!p.isSet(help))
        return std::nullopt;
    const QString text = p.helpText();
    io.out << usageLine << text.sliced(text.indexOf(u'\n'));
    io.out.flush();
    return Done;
}

int failure(Io &io, const QString &message)
{
    io.err << Program << u": "_s << message << '\n';
    io.err.flush();
    return FileFailed;
}

// The options of the geometry and the pattern, shared by render and check.
struct GeometryOptions
{
    QCommandLineOption dpi{u"dpi"_s, Cli::tr("Resolution in dots per inch (default 96)."), u"N"_s};
    QCommandLineOption eye{u"eye"_s,
                           Cli::tr("Eye separation: a length with mm or in (default 2.5in)."),
                           u"LEN"_s};
    QCommandLineOption depth{u"depth"_s,
                             Cli::tr("How far the near plane stands in front of the far one, "
                                     "a share of the viewing distance, 0.05 to 0.9 (default "
                                     "0.333)."),
                             u"MU"_s};
    QCommandLineOption farPx{u"far-px"_s,
                             Cli::tr("The far separation in pixels, with --near-px in place of "
                                     "--eye and --depth."),
                             u"N"_s};
    QCommandLineOption nearPx{u"near-px"_s,
                              Cli::tr("The near separation in pixels, less than --far-px."),
                              u"N"_s};
    QCommandLineOption oversample{u"oversample"_s,
                                  Cli::tr("Depth steps of 1/K pixel: K is 1, 2, 3, 4, 6 or 8 "
                                          "(default 1)."),
                                  u"K"_s};
    QCommandLineOption pattern{u"pattern"_s,
                               Cli::tr("Dots: bw, grey, colour, red, green, blue (the "
                                       "program's tints; default blue); or a picture file, "
                                       "tiled at the far separation."),
                               u"P"_s};
    QCommandLineOption density{u"density"_s,
                               Cli::tr("With --pattern bw: the share of black dots in percent "
                                       "(default 50)."),
                               u"PERCENT"_s};
    QCommandLineOption dot{u"dot"_s,
                           Cli::tr("Dot size: pixels, or a length with mm or in (default 1)."),
                           u"SIZE"_s};
    QCommandLineOption fit{u"fit"_s,
                           Cli::tr("The depth map on the picture: fit (default), fill or "
                                   "stretch; the margin is far."),
                           u"HOW"_s};
    QCommandLineOption guides{u"guides"_s,
                              Cli::tr("Two dots above the picture, the far separation apart.")};
    QCommandLineOption cross{u"cross"_s, Cli::tr("For cross-eyed viewing: the depth inverted.")};
    QCommandLineOption seed{u"seed"_s, Cli::tr("The dots' seed; picture i of several uses "
                                               "seed + i (default 1)."),
                            u"N"_s};

    QList<QCommandLineOption> all() const
    {
        return {dpi,     eye,     depth, farPx, nearPx, oversample, pattern,
                density, dot,     fit,   guides, cross, seed};
    }
};

// A length in pixels at `dpi`: "12" pixels, "3.5mm" or "0.25in". Nothing when it is no length.
std::optional<double> lengthOf(const QString &word, int dpi, bool pixelsAllowed)
{
    QString w = word.trimmed().toLower();
    double factor = 1;
    if (w.endsWith(u"mm"_s)) {
        factor = dpi / 25.4;
        w.chop(2);
    } else if (w.endsWith(u"in"_s)) {
        factor = dpi;
        w.chop(2);
    } else if (!pixelsAllowed) {
        return std::nullopt;
    }
    bool ok = false;
    const double v = w.toDouble(&ok);
    if (!ok || !(v > 0) || !std::isfinite(v))
        return std::nullopt;
    return v * factor;
}

// Reads the geometry options into `s`; an error message, or empty.
QString readGeometry(const QCommandLineParser &p, const GeometryOptions &o, R::Settings &s,
                     Image *patternPicture)
{
    bool ok = true;
    if (p.isSet(o.dpi)) {
        s.geometry.dpi = p.value(o.dpi).toInt(&ok);
        if (!ok || s.geometry.dpi < 10 || s.geometry.dpi > 4800)
            return Cli::tr("--dpi takes a whole number from 10 to 4800, not '%1'").arg(p.value(o.dpi));
    }
    if (p.isSet(o.eye)) {
        const QString w = p.value(o.eye).trimmed().toLower();
        const auto mm = lengthOf(w, 254, false); // at 254 dpi a pixel is 0.1 mm
        if (!mm || *mm < 100 || *mm > 1000)
            return Cli::tr("--eye takes a length from 10mm to 100mm (or in inches), not '%1'")
                .arg(p.value(o.eye));
        s.geometry.eyeMicrons = int(std::lround(*mm * 100));
    }
    if (p.isSet(o.depth)) {
        const double mu = p.value(o.depth).toDouble(&ok);
        if (!ok || !(mu >= 0.05 && mu <= 0.9))
            return Cli::tr("--depth takes a number from 0.05 to 0.9, not '%1'").arg(p.value(o.depth));
        s.geometry.depthPermille = int(std::lround(mu * 1000));
    }
    if (p.isSet(o.farPx) || p.isSet(o.nearPx)) {
        if (!p.isSet(o.farPx) || !p.isSet(o.nearPx))
            return Cli::tr("give both --far-px and --near-px");
        if (p.isSet(o.eye) || p.isSet(o.depth))
            return Cli::tr("give either --eye and --depth or --far-px and --near-px, not both");
        const int far = p.value(o.farPx).toInt(&ok);
        if (!ok || far < 2 || far > R::MaxFarPixels)
            return Cli::tr("--far-px takes a whole number from 2 to %1, not '%2'")
                .arg(R::MaxFarPixels)
                .arg(p.value(o.farPx));
        const int near = p.value(o.nearPx).toInt(&ok);
        if (!ok || near < 1 || near >= far)
            return Cli::tr("--near-px takes a whole number from 1 to %1 (less than --far-px), "
                           "not '%2'")
                .arg(far - 1)
                .arg(p.value(o.nearPx));
        s.geometry.farPixels = far;
        s.geometry.nearPixels = near;
    }
    if (p.isSet(o.oversample)) {
        s.geometry.oversampling = p.value(o.oversample).toInt(&ok);
        if (!ok || !s.validOversampling())
            return Cli::tr("--oversample takes 1, 2, 3, 4, 6 or 8, not '%1'").arg(p.value(o.oversample));
    }
    if (p.isSet(o.pattern)) {
        const QString name = p.value(o.pattern);
        const std::pair<QString, R::Pattern> names[] = {
            {u"bw"_s, R::Pattern::BlackWhite}, {u"grey"_s, R::Pattern::Grey},
            {u"gray"_s, R::Pattern::Grey},     {u"colour"_s, R::Pattern::Colour},
            {u"color"_s, R::Pattern::Colour},  {u"red"_s, R::Pattern::Red},
            {u"green"_s, R::Pattern::Green},   {u"blue"_s, R::Pattern::Blue}};
        bool found = false;
        for (const auto &[n, pattern] : names)
            if (name.compare(n, Qt::CaseInsensitive) == 0) {
                s.pattern = pattern;
                found = true;
            }
        if (!found) {
            if (!patternPicture)
                s.pattern = R::Pattern::Picture;
            else {
                try {
                    *patternPicture = picture::loadPicture(name);
                } catch (const picture::PictureError &e) {
                    return Cli::tr("cannot read the pattern %1: %2").arg(shownName(name), reasonText(e));
                }
                s.pattern = R::Pattern::Picture;
                s.patternPicture = *patternPicture;
            }
        }
    }
    if (p.isSet(o.density)) {
        s.density = p.value(o.density).toInt(&ok);
        if (!ok || s.density < 0 || s.density > 100)
            return Cli::tr("--density takes a whole number from 0 to 100, not '%1'").arg(p.value(o.density));
    }
    if (p.isSet(o.dot)) {
        const auto px = lengthOf(p.value(o.dot), s.geometry.dpi, true);
        if (!px || *px < 0.5 || *px > 1000)
            return Cli::tr("--dot takes a size from 1 to 1000 pixels (or in mm or in), not '%1'")
                .arg(p.value(o.dot));
        s.dotSize = std::max(1, int(std::lround(*px)));
    }
    if (p.isSet(o.fit)) {
        const QString f = p.value(o.fit).toLower();
        if (f == u"fit"_s)
            s.placement = R::Placement::Fit;
        else if (f == u"fill"_s)
            s.placement = R::Placement::Fill;
        else if (f == u"stretch"_s)
            s.placement = R::Placement::Stretch;
        else
            return Cli::tr("--fit takes fit, fill or stretch, not '%1'").arg(p.value(o.fit));
    }
    s.guides = p.isSet(o.guides);
    s.cross = p.isSet(o.cross);
    if (p.isSet(o.seed)) {
        s.seed = p.value(o.seed).toUInt(&ok);
        if (!ok)
            return Cli::tr("--seed takes a whole number from 0 to 4294967295, not '%1'").arg(p.value(o.seed));
    }
    return {};
}

// "1920x1080", "210x297mm", "8.27x11.69in" in pixels at dpi.
std::optional<QSize> sizeOf(const QString &word, int dpi)
{
    QString w = word.trimmed().toLower();
    QString unit;
    if (w.endsWith(u"mm"_s) || w.endsWith(u"in"_s)) {
        unit = w.right(2);
        w.chop(2);
    }
    const QStringList parts = w.split(u'x');
    if (parts.size() != 2)
        return std::nullopt;
    int side[2];
    for (int i = 0; i < 2; ++i) {
        const auto px = lengthOf(parts[i] + unit, dpi, true);
        if (!px)
            return std::nullopt;
        side[i] = int(std::lround(*px));
        if (side[i] < 16 || side[i] > R::MaxSide)
            return std::nullopt;
    }
    return QSize(side[0], side[1]);
}

bool levelsOption(const QString &word, picture::Bound &bound)
{
    if (word.compare(u"auto"_s, Qt::CaseInsensitive) == 0) {
        bound = {picture::Bound::Kind::Auto, 0};
        return true;
    }
    bool ok = false;
    const int v = word.toInt(&ok);
    if (!ok || v < 0 || v > 65535)
        return false;
    bound = {picture::Bound::Kind::Value, v};
    return true;
}

void printReadout(QTextStream &to, const R::Settings &s)
{
    const R::Readout r = R::readoutOf(s);
    to << Cli::tr("separations: far %1 px (%2 mm), near %3 px (%4 mm), %5 depth steps")
              .arg(r.farPixels, 0, 'f', 2)
              .arg(r.farMm, 0, 'f', 1)
              .arg(r.nearPixels, 0, 'f', 2)
              .arg(r.nearMm, 0, 'f', 1)
              .arg(r.depthSteps)
       << '\n';
    if (s.geometry.bySeparations())
        to << Cli::tr("as eyes %1 mm apart with depth %2, at %3 dpi")
                  .arg(r.eyeMm, 0, 'f', 1)
                  .arg(r.depth, 0, 'f', 3)
                  .arg(s.geometry.dpi)
           << '\n';
    for (const R::Readout::Warning w : r.warnings) {
        QString text;
        switch (w) {
        case R::Readout::Warning::NearTooClose:
            text = Cli::tr("the near separation is less than 0.55 of the far one: hard to fuse");
            break;
        case R::Readout::Warning::FarTooWide:
            text = Cli::tr("the far separation is wider than 40 mm: wider than most eyes fuse");
            break;
        case R::Readout::Warning::TooNarrow:
            text = Cli::tr("the picture is narrower than two far separations");
            break;
        case R::Readout::Warning::FewSteps:
            text = s.geometry.bySeparations()
                       ? Cli::tr("fewer than 8 depth steps: widen the difference between "
                                 "--far-px and --near-px, or raise the oversampling")
                       : Cli::tr("fewer than 8 depth steps: raise the dpi or the oversampling");
            break;
        }
        to << Cli::tr("warning: %1").arg(text) << '\n';
    }
}

} // namespace

int runRender(const QStringList &commandLine, Io &io)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        Cli::tr("Makes a stereogram of any size from each depth map, with smooth depth: a map "
                "in the 16 level colours (level n is n/15 of the depth), or a grey picture "
                "(white near) through the options of '%1 levels', not quantised. PNG (with "
                "its settings in a text chunk, for check and reveal), BMP or lossless WebP.")
            .arg(Program));
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s}, Cli::tr("Shows this help."));
    GeometryOptions g;
    const QCommandLineOption size(u"size"_s,
                                  Cli::tr("The picture's size: WxH pixels, or with mm or in "
                                          "at --dpi (default 1920x1080)."),
                                  u"WxH"_s);
    const QCommandLineOption output(QStringList{u"o"_s, u"output"_s},
                                    Cli::tr("The file: .png, .bmp or .webp; with several maps "
                                            "{n} (from 1) and {name} are filled in."),
                                    u"OUT"_s);
    const QCommandLineOption as(u"as"_s, Cli::tr("Read the maps as levels, grey or auto "
                                                 "(default: levels where every pixel is a "
                                                 "level colour)."),
                                u"KIND"_s);
    const QCommandLineOption invert(QStringList{u"i"_s, u"invert"_s}, Cli::tr("Black near."));
    const QCommandLineOption nearGrey(u"near"_s, Cli::tr("The nearest grey, or auto."), u"V"_s);
    const QCommandLineOption farGrey(u"far"_s, Cli::tr("The farthest grey, or auto."), u"V"_s);
    const QCommandLineOption noData(u"no-data"_s, Cli::tr("The grey that means no data (far)."),
                                    u"V"_s);
    const QCommandLineOption gamma(u"gamma"_s, Cli::tr("Depth spaced by this power, 0.1 to 10."),
                                   u"G"_s);
    const QCommandLineOption smooth(u"smooth"_s, Cli::tr("A median filter of radius 0 to 3."),
                                    u"R"_s);
    const QCommandLineOption animate(u"animate"_s,
                                     Cli::tr("One animated file (.gif or .webp) instead, a frame "
                                             "per map, each from the next seed."),
                                     u"OUT"_s);
    const QCommandLineOption quiet(QStringList{u"q"_s, u"quiet"_s}, Cli::tr("No readout."));
    const QCommandLineOption runs(u"runs"_s,
                                  Cli::tr("Makes only pictures FIRST to LAST (from 1) of those the "
                                          "maps make: the same files, with the same names and "
                                          "seeds. This splits the work over processes or "
                                          "machines."),
                                  u"FIRST-LAST"_s);
    p.addOption(help);
    p.addOptions(g.all());
    p.addOptions({size, output, as, invert, nearGrey, farGrey, noData, gamma, smooth, animate, quiet,
                  runs});
    p.addPositionalArgument(u"DEPTH"_s, Cli::tr("Depth maps: any picture the program reads."),
                            u"DEPTH..."_s);
    if (const auto over = parseCommand(p, help, commandLine,
                                       Cli::tr("Usage: %1 render [options] DEPTH... -o OUT").arg(Program), io))
        return *over;
    R::Settings settings;
    Image patternPicture;
    if (const QString problem = readGeometry(p, g, settings, &patternPicture); !problem.isEmpty())
        return usage(io, problem);
    if (p.isSet(size)) {
        const auto s = sizeOf(p.value(size), settings.geometry.dpi);
        if (!s)
            return usage(io, Cli::tr("--size takes WxH from 16 to %1 pixels a side, in pixels "
                                     "or with mm or in, not '%2'")
                                 .arg(R::MaxSide)
                                 .arg(p.value(size)));
        settings.size = *s;
    }
    if (R::outputSize(settings).height() > R::MaxSide)
        return usage(io, Cli::tr("with --guides the picture would be taller than %1 pixels")
                             .arg(R::MaxSide));
    picture::LevelsSettings levels;
    levels.invert = p.isSet(invert);
    if (p.isSet(nearGrey) && !levelsOption(p.value(nearGrey), levels.nearGrey))
        return usage(io, Cli::tr("--near takes a grey value or auto, not '%1'").arg(p.value(nearGrey)));
    if (p.isSet(farGrey) && !levelsOption(p.value(farGrey), levels.farGrey))
        return usage(io, Cli::tr("--far takes a grey value or auto, not '%1'").arg(p.value(farGrey)));
    if (p.isSet(noData)) {
        picture::Bound b;
        if (!levelsOption(p.value(noData), b) || b.kind != picture::Bound::Kind::Value)
            return usage(io, Cli::tr("--no-data takes a grey value, not '%1'").arg(p.value(noData)));
        levels.noData = b.value;
    }
    bool ok = true;
    if (p.isSet(gamma)) {
        levels.gamma = p.value(gamma).toDouble(&ok);
        if (!ok || !(levels.gamma >= picture::MinGamma && levels.gamma <= picture::MaxGamma))
            return usage(io, Cli::tr("--gamma takes a number from 0.1 to 10, not '%1'").arg(p.value(gamma)));
    }
    if (p.isSet(smooth)) {
        levels.smooth = p.value(smooth).toInt(&ok);
        if (!ok || levels.smooth < 0 || levels.smooth > picture::MaxSmooth)
            return usage(io, Cli::tr("--smooth takes 0 to 3, not '%1'").arg(p.value(smooth)));
    }
    R::DepthSource source = R::DepthSource::Auto;
    if (p.isSet(as)) {
        const QString k = p.value(as).toLower();
        if (k == u"levels"_s)
            source = R::DepthSource::Levels;
        else if (k == u"grey"_s || k == u"gray"_s)
            source = R::DepthSource::Grey;
        else if (k != u"auto"_s)
            return usage(io, Cli::tr("--as takes levels, grey or auto, not '%1'").arg(p.value(as)));
    }
    const QStringList maps = p.positionalArguments();
    if (maps.isEmpty())
        return usage(io, Cli::tr("no depth map given"));
    if (maps.contains(QString()))
        return usage(io, Cli::tr("an empty file name was given"));

    const bool animated = p.isSet(animate);
    // Picture i depends on its map and seed + i alone, so any range of them is made on its own.
    RunRange range{1, int(maps.size())};
    if (p.isSet(runs)) {
        if (animated)
            return usage(io, Cli::tr("an animation is one file and is not split: give no --runs"));
        const auto asked = runRangeOf(p.value(runs));
        if (!asked || asked->last > maps.size())
            return usage(io, Cli::tr("--runs takes FIRST-LAST within 1-%1, not '%2'")
                                 .arg(maps.size())
                                 .arg(p.value(runs)));
        range = *asked;
    }
    if (animated == p.isSet(output))
        return usage(io, animated ? Cli::tr("--animate writes one file: give no --output")
                                  : Cli::tr("give the file to write with -o OUT"));
    QStringList outputs;
    R::FileFormat format = R::FileFormat::Png;
    if (animated) {
        if (!picture::animationFormatOfName(p.value(animate)))
            return usage(io, Cli::tr("%1: an animation's name must end in .gif or .webp")
                                 .arg(shownName(p.value(animate))));
        outputs << p.value(animate);
        // Each frame is made whole before it is encoded.
        const QSize out = R::outputSize(settings);
        if (qint64(out.width()) * out.height() > R::MaxWebPPixels)
            return usage(io, Cli::tr("an animation's frames are made whole: at most %1 million "
                                     "pixels, not %2 x %3")
                                 .arg(R::MaxWebPPixels / 1'000'000)
                                 .arg(out.width())
                                 .arg(out.height()));
    } else {
        const QString pattern = p.value(output);
        const auto f = R::fileFormatOfName(pattern);
        if (!f)
            return usage(io, Cli::tr("%1: the name must end in .png, .bmp or .webp")
                                 .arg(shownName(pattern)));
        format = *f;
        if (format == R::FileFormat::WebP) {
            const QSize out = R::outputSize(settings);
            if (out.width() > R::MaxWebPSide || out.height() > R::MaxWebPSide
                || qint64(out.width()) * out.height() > R::MaxWebPPixels)
                return usage(io, Cli::tr("a WebP is written whole: at most %1 pixels a side and "
                                         "%2 million pixels; write PNG or BMP for %3 x %4")
                                     .arg(R::MaxWebPSide)
                                     .arg(R::MaxWebPPixels / 1'000'000)
                                     .arg(out.width())
                                     .arg(out.height()));
        }
        for (int i = 0; i < maps.size(); ++i)
            outputs << (maps.size() == 1 ? pattern : outputName(pattern, maps[i], i + 1));
        if (outputs.size() != QSet<QString>(outputs.begin(), outputs.end()).size())
            return usage(io, Cli::tr("several maps would write one file: put {n} or {name} in "
                                     "the output name"));
    }
    for (const QString &map : maps)
        for (const QString &out : outputs)
            if (picture::fileKey(map) == picture::fileKey(out))
                return usage(io, Cli::tr("%1 would be written over the depth map it reads")
                                     .arg(shownName(out)));
    if (!p.isSet(quiet))
        printReadout(io.out, settings);
    io.out.flush();

    std::unique_ptr<picture::AnimationWriter> animation;
    int writing = 0;
    try {
        if (animated)
            animation = std::make_unique<picture::AnimationWriter>(
                outputs[0], *picture::animationFormatOfName(outputs[0]));
        const quint32 firstSeed = settings.seed;
        for (int i = range.first - 1; i < range.last; ++i) {
            writing = animated ? 0 : i;
            Image map;
            try {
                map = picture::loadPicture(maps[i]);
            } catch (const picture::PictureError &e) {
                return failure(io, Cli::tr("cannot read %1: %2").arg(shownName(maps[i]), reasonText(e)));
            }
            const R::DepthPlane depth = R::depthPlaneOf(map, levels, source);
            map = Image();
            settings.seed = firstSeed + quint32(i);
            if (animated) {
                animation->add(R::renderImage(depth, settings));
                continue;
            }
            R::writeRender(depth, settings, outputs[i], format);
        }
        if (animation)
            animation->commit();
    } catch (const picture::PictureError &e) {
        return failure(io, Cli::tr("cannot write %1: %2")
                               .arg(shownName(outputs.value(writing)), reasonText(e)));
    }
    return Done;
}

namespace {

// The settings a picture carries in its PNG text chunk, read from the file's head.
std::optional<R::Settings> carriedSettings(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return R::settingsOfFile(file.read(1 << 20));
}

struct Examined
{
    Image picture;
    R::Settings settings;
};

// The picture and its settings: carried, or from the options; or an exit status.
std::variant<Examined, int> examine(const QCommandLineParser &p, const GeometryOptions &g,
                                    const QString &path, Io &io)
{
    Examined e;
    try {
        e.picture = picture::loadPicture(path);
    } catch (const picture::PictureError &error) {
        return failure(io, Cli::tr("cannot read %1: %2").arg(shownName(path), reasonText(error)));
    }
    bool optionsGiven = false;
    for (const QCommandLineOption &o : g.all())
        optionsGiven = optionsGiven || p.isSet(o);
    if (const auto carried = carriedSettings(path); carried && !optionsGiven) {
        e.settings = *carried;
    } else if (optionsGiven) {
        if (const QString problem = readGeometry(p, g, e.settings, nullptr); !problem.isEmpty())
            return usage(io, problem);
        e.settings.size = QSize(e.picture.width(),
                                e.picture.height() - R::guideBandHeight(e.settings));
    } else {
        return failure(io, Cli::tr("%1 carries no settings of render (a BMP, or a PNG that lost "
                                   "its text chunk): give them as options, --dpi, --eye, "
                                   "--depth, --oversample, --pattern, --guides, --fit as it "
                                   "was made")
                               .arg(shownName(path)));
    }
    if (R::outputSize(e.settings) != e.picture.size())
        return failure(io, Cli::tr("%1 is %2 x %3 pixels, not the %4 x %5 its settings make")
                               .arg(shownName(path))
                               .arg(e.picture.width())
                               .arg(e.picture.height())
                               .arg(R::outputSize(e.settings).width())
                               .arg(R::outputSize(e.settings).height()));
    return e;
}

} // namespace

int runCheck(const QStringList &commandLine, Io &io)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        Cli::tr("Decodes a picture that render made as the eyes do: each pixel to the "
                "separations at which a window of pixels repeats. With DEPTH, the share of "
                "linked pixels decoded to the intended separation, the wrong ones, echo regions "
                "and the depth steps lost; without, the echoes only. The settings come from the "
                "PNG's text chunk, or from the options."));
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s}, Cli::tr("Shows this help."));
    GeometryOptions g;
    p.addOption(help);
    p.addOptions(g.all());
    p.addPositionalArgument(u"PICTURE"_s, Cli::tr("A picture that render made."));
    p.addPositionalArgument(u"DEPTH"_s, Cli::tr("The depth map it was made from."), u"[DEPTH]"_s);
    if (const auto over = parseCommand(p, help, commandLine,
                                       Cli::tr("Usage: %1 check [options] PICTURE [DEPTH]").arg(Program), io))
        return *over;
    const QStringList args = p.positionalArguments();
    if (args.isEmpty() || args.size() > 2 || args.contains(QString()))
        return usage(io, Cli::tr("give a picture and, if you have it, its depth map"));
    auto examined = examine(p, g, args[0], io);
    if (const int *status = std::get_if<int>(&examined))
        return *status;
    const Examined &e = std::get<Examined>(examined);
    R::DepthPlane depth;
    if (args.size() == 2) {
        try {
            depth = R::depthPlaneOf(picture::loadPicture(args[1]), {});
        } catch (const picture::PictureError &error) {
            return failure(io, Cli::tr("cannot read %1: %2").arg(shownName(args[1]), reasonText(error)));
        }
    }
    R::CheckResult r;
    try {
        r = R::check(e.picture, e.settings, depth.isNull() ? nullptr : &depth);
    } catch (const picture::PictureError &error) {
        return failure(io, Cli::tr("cannot check %1: %2").arg(shownName(args[0]), reasonText(error)));
    }
    io.out << Cli::tr("%1: %2 x %3 pixels looked at")
                  .arg(shownName(args[0]))
                  .arg(e.settings.size.width())
                  .arg(e.settings.size.height())
           << '\n';
    if (r.withDepth) {
        const double share = r.linked ? 100.0 * double(r.exact) / double(r.linked) : 0;
        io.out << Cli::tr("linked pixels: %1, decoded to the intended separation: %2 (%3 %), "
                          "wrong: %4")
                      .arg(r.linked)
                      .arg(r.exact)
                      .arg(share, 0, 'f', 3)
                      .arg(r.wrong)
               << '\n';
        io.out << Cli::tr("depth steps: the map asks for %1 separations, %2 decoded, %3 lost")
                      .arg(r.inputSteps)
                      .arg(r.outputSteps)
                      .arg(r.inputSteps - r.outputSteps)
               << '\n';
        if (e.settings.geometry.oversampling > 1)
            io.out << Cli::tr("sub-pixel error of the decoded depth: %1 px on average")
                          .arg(r.subpixelError, 0, 'f', 3)
                   << '\n';
    }
    io.out << Cli::tr("echo pixels (decoded to two separations apart): %1 in %2 regions")
                  .arg(r.echo)
                  .arg(r.echoRegions)
           << '\n';
    io.out.flush();
    return Done;
}

std::optional<int> revealRendered(const QStringList &commandLine, Io &io)
{
    // Only "reveal [-o OUT] PICTURE" of a file that carries render's settings.
    QString in, out;
    for (int i = 2; i < commandLine.size(); ++i) {
        const QString &w = commandLine[i];
        if ((w == u"-o"_s || w == u"--output"_s) && i + 1 < commandLine.size())
            out = commandLine[++i];
        else if (w.startsWith(u"--output="_s))
            out = w.mid(9);
        else if (w.startsWith(u'-'))
            return std::nullopt;
        else if (in.isEmpty())
            in = w;
        else
            return std::nullopt;
    }
    if (in.isEmpty() || in == StandardStream || out == StandardStream)
        return std::nullopt;
    const auto settings = carriedSettings(in);
    if (!settings)
        return std::nullopt;
    if (out.isEmpty())
        out = QFileInfo(in).completeBaseName() + u"-depth.png"_s;
    const auto format = picture::formatOfName(out);
    if (!format)
        return usage(io, Cli::tr("%1: the depth map's name must end in .bmp or .png").arg(shownName(out)));
    if (picture::fileKey(in) == picture::fileKey(out))
        return usage(io, Cli::tr("%1 would be written over the picture it reads").arg(shownName(out)));
    Image picture;
    try {
        // Refused from the header when the size is wrong, before any pixel is decoded.
        const QByteArray bytes = picture::readRegularFile(in);
        if (const QSize stated = picture::statedSize(bytes);
            stated.isValid() && stated != R::outputSize(*settings))
            return failure(io, Cli::tr("%1 is not the size its settings make").arg(shownName(in)));
        picture = picture::decodePicture(bytes);
    } catch (const picture::PictureError &error) {
        return failure(io, Cli::tr("cannot read %1: %2").arg(shownName(in), reasonText(error)));
    }
    if (R::outputSize(*settings) != picture.size())
        return failure(io, Cli::tr("%1 is not the size its settings make").arg(shownName(in)));
    Image depth;
    try {
        depth = R::decodedDepth(picture, *settings);
    } catch (const picture::PictureError &error) {
        return failure(io, Cli::tr("cannot reveal %1: %2").arg(shownName(in), reasonText(error)));
    }
    if (depth.isNull())
        return failure(io, Cli::tr("%1: its settings leave no separation to decode").arg(shownName(in)));
    try {
        picture::savePicture(depth, out, *format);
    } catch (const picture::PictureError &error) {
        return failure(io, Cli::tr("cannot write %1: %2").arg(shownName(out), reasonText(error)));
    }
    io.out << Cli::tr("%1: the depth decoded from %2 (white near, dark red where nothing decodes)")
                  .arg(shownName(out), shownName(in))
           << '\n';
    io.out.flush();
    return Done;
}

} // namespace cli
