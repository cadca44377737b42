// SPDX-License-Identifier: MIT

#pragma once

#include "generatorpaths.h"
#include "rnd.h"

#include "picture/stereogramformat.h"

#include "picture/image.h"

#include <array>
#include <functional>
#include <optional>

namespace stereo {

// The stereogram's geometry and dot colours, which the picture library reads back too.
using picture::BaseSeparation;
using picture::DefaultIroIndex;
using picture::dotColour;
using picture::FixedComponentValue;
using picture::ImageHeight;
using picture::ImageWidth;
using picture::MappedEnd;
using picture::StripWidth;
// The working row's length as declared: room for 636 dots, of which the first ImageWidth are used.
inline constexpr int DotRowCapacity = 636;
// The random values one stereogram draws, whatever its depth map: a strip of StripWidth dots for
// each of its ImageHeight rows.
inline constexpr quint64 RandomValuesPerRun = quint64(ImageHeight) * StripWidth;

// Makes stereograms from depth maps. Holds the working storage that lives as long as the
// application: the dot row and the depth level last matched, which carries over from pixel to
// pixel, row to row and run to run.
class StereogramGenerator
{
public:
    // `level` is the depth level carried in from the runs before: 0 at a session's start.
    explicit StereogramGenerator(Rnd &rnd, qint16 level = 0);

    // Makes row y: reads depth-map row y exactly as Point reads it (a pixel outside `depth` has no
    // level) and draws the row's dots into `out` at (0, y), clipped to `out`. Rows are made in
    // order 0 to 333; each takes exactly 61 random values.
    void makeRow(const picture::Image &depth, int y, picture::Image &out, qint16 iroIndex);

    // The whole image, rows top to bottom; rowDone(y) runs after each row is drawn.
    void make(const picture::Image &depth, picture::Image &out, qint16 iroIndex,
              const std::function<void(int)> &rowDone = {});

    qint16 depthLevel() const { return DepthLevel; }

    // The loops the rows are made with: preferredGeneratorPath() unless set. Every path gives the
    // same picture.
    void setPath(GeneratorPath path) { m_path = path; }

private:
    // Makes one row from the `mapWidth` pixels of its depth-map row (none past the map's edge) into
    // `line`, `width` pixels (none past the picture's edge).
    void makeDots(const picture::Rgb *map, int mapWidth, picture::Rgb *line, int width,
                  qint16 iroIndex);

    Rnd &m_rnd;
    // Grey values 0 to 255 of the row's dots, columns 0 to 453. The rest is room for the block
    // copies that run past the end of a row (DotRowSlack).
    std::array<quint8, DotRowCapacity> DotRow{};
    qint16 DepthLevel = 0;
    GeneratorPath m_path;
};

// How each stereogram of a job is made and printed, the same for separate files and animations.
struct StereogramSettings
{
    qint16 iroIndex = DefaultIroIndex;
    int scale = 1;
    bool guides = false;
    bool cross = false; // for cross-eyed viewing: levels 15 - L
};

// Where a run of a session starts: the random sequence's state and the depth level carried in.
struct RunStart
{
    quint32 state = Rnd::StartState;
    qint16 level = 0;
};

// The start of run `run` (from 1) of a session, the runs before it having left `carriedLevel`:
// the sequence jumped over their RandomValuesPerRun values each.
RunStart runStart(quint64 run, qint16 carriedLevel);

// The level a run of `depthMap` leaves to the next: that of the last pixel in a level colour the
// generator reads, rows top to bottom, each left to right (levels 15 - L for cross-eyed viewing).
// None when it reads no level colour: the level carried into the run then goes on. Reads from
// the last row back, only as far as that pixel.
std::optional<qint16> levelLeftBy(const picture::Image &depthMap, bool cross = false);

// Consecutive runs of one session of their own: a fresh random sequence and generator, so that
// nothing else's sequence moves. Run n is the stereogram make writes as its n-th file.
class StereogramRuns
{
public:
    explicit StereogramRuns(const StereogramSettings &settings, RunStart start = {})
        : m_settings(settings), m_rnd(start.state), m_generator(m_rnd, start.level)
    {
    }

    // The next run's stereogram of `depthMap` as the display window shows it, 453 x 333.
    picture::Image made(const picture::Image &depthMap);
    // The same, scaled and with guides as the settings ask.
    picture::Image next(const picture::Image &depthMap);

private:
    StereogramSettings m_settings;
    Rnd m_rnd;
    StereogramGenerator m_generator;
};

// A stereogram of its own: made with a fresh generator and a fresh random sequence, from the
// sequence's start, never the application's. The same map gives the same picture every time, and
// between two maps only the dots that their differences move are different. 453 x 333.
picture::Image standaloneStereogram(const picture::Image &depth, qint16 iroIndex);

} // namespace stereo
