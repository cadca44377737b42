// SPDX-License-Identifier: MIT

#pragma once

#include "rnd.h"

#include "picture/stereogramformat.h"

#include <QImage>

#include <array>
#include <functional>

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

// Makes stereograms from depth maps. Holds the working storage that lives as long as the
// application: the dot row and the depth level last matched, which carries over from pixel to
// pixel, row to row and run to run.
class StereogramGenerator
{
public:
    explicit StereogramGenerator(Rnd &rnd);

    // Makes row y: reads depth-map row y exactly as Point reads it (a pixel outside `depth` has no
    // level) and draws the row's dots into `out` at (0, y), clipped to `out`. Rows are made in
    // order 0 to 333; each takes exactly 61 random values.
    void makeRow(const QImage &depth, int y, QImage &out, qint16 iroIndex);

    // The whole image, rows top to bottom; rowDone(y) runs after each row is drawn.
    void make(const QImage &depth, QImage &out, qint16 iroIndex,
              const std::function<void(int)> &rowDone = {});

    qint16 depthLevel() const { return DepthLevel; }

private:
    Rnd &m_rnd;
    // Grey values 0 to 255 of the row's dots, columns 0 to 453. The rest is room for the 16-dot
    // block copies that run past the end of a row.
    std::array<quint8, DotRowCapacity> DotRow{};
    qint16 DepthLevel = 0;
};

// A stereogram of its own: made with a fresh generator and a fresh random sequence, from the
// sequence's start, never the application's. The same map gives the same picture every time, and
// between two maps only the dots that their differences move are different. 453 x 333.
QImage standaloneStereogram(const QImage &depth, qint16 iroIndex);

} // namespace stereo
