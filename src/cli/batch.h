// SPDX-License-Identifier: MIT

#pragma once

#include "stereo/stereogramgenerator.h"
#include "picture/pictureio.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace picture {
class PictureError;
struct MapVerdict;
}
namespace stereo {
struct AnimationRequest;
}

namespace cli {

struct Io;

struct MakeRequest
{
    QStringList maps;
    QStringList outputs; // one for each map, free of problems

    qint16 iroIndex = 2;
    int scale = 1;
    bool guides = false;
    // The resolution each file says: 96 dpi, unless --dpi names the printer's.
    int dotsPerMeter = picture::SavedDotsPerMeter;
    bool cross = false; // for cross-eyed viewing: levels 15 - L
    bool progress = false;
    // How much of the checked maps, packed, is kept for the runs; the rest is read again.
    qint64 keptMapBytes = 64LL << 20;
    // The bytes of the map "-", read from standard input; and whether the picture written to
    // standard output ("-o -") is a PNG rather than a BMP.
    QByteArray standardInput;
    bool png = false;
    // Where the first of these runs starts, and its number: a slice of a longer batch starts
    // later in the sequence and goes on with that batch's numbers.
    stereo::RunStart start;
    int firstRun = 1;
    // Every map used with its literal colours, even a depth picture that is not drawn in them.
    bool asIs = false;
};

// The file run n (from 1) writes: the pattern with {name}, the map's file name without its
// extension, and {n} filled in.
QString outputName(const QString &pattern, const QString &map, int run);

// What is wrong with the files a batch would write, before anything is read or written: a format
// other than .bmp or .png, two runs writing one file, a run writing over a depth map. Empty when
// nothing is. `outputs` are those of the runs from `firstRun` on.
QString outputProblem(const QStringList &maps, const QStringList &outputs, int firstRun = 1);

// "make": checks every depth map first (all of them are read, or nothing is written), then makes
// the stereograms in order as consecutive runs of one session and writes them, holding only a few
// maps at a time. Returns the exit status.
int make(const MakeRequest &request, Io &io);

// "make --animate": checks every depth map first, then makes the consecutive stereograms as the
// frames of one animated file, written as they come and named only once complete. Returns the exit
// status.
int animate(const stereo::AnimationRequest &request, bool progress, Io &io);

// What a picture given as a depth map is, in words: "a grey depth map".
QString pictureKind(const picture::MapVerdict &verdict);

// The line make writes on standard error for a depth picture it converted:
// "face.png: a grey depth map, converted as `levels --near auto --far auto`".
QString conversionLine(const QString &path, const picture::MapVerdict &verdict);


// A file name as messages show it: native separators, control characters escaped, so that a name
// cannot forge a line of its own.
QString shownName(const QString &path);

// Encodes the rows onto standard output as they are made: empty when all went, otherwise why not.
// A reader that went away sets io.pipeClosed, and the command then ends quietly.
QString writeStandardOutput(Io &io, const picture::PictureRows &rows, picture::FileFormat format,
                            int dotsPerMeter = picture::SavedDotsPerMeter);

// Run numbers as short ranges: "1-499, 501-515".
QString runRanges(const QList<int> &runs);

} // namespace cli
