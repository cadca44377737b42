// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"
#include <QPoint>

#include <vector>

namespace picture {

// The depth map a stereogram of this program hides, read back through the linking rule: each
// mapped dot repeats the dot one separation (60 minus its level) to its left.
struct Revealed
{
    enum class Fault {
        None,
        Size,          // not 453 x 333 pixels, nor printable's output of such a picture
        NotADotColour, // `where`: a colour no tint gives
        BrokenLink,    // `where`: a dot that repeats none of the dots it could
    };

    Fault fault = Fault::None;
    QPoint where;
    Image depthMap; // 389 x 333, each pixel the level colour of its dot
    int iroIndex = -1; // the tint: 0 red, 1 green, 2 blue
    qint64 ambiguous = 0; // map pixels where more than one level fits
    std::vector<bool> ambiguousAt; // those pixels, row by row
    int scale = 1;       // the stereogram's scale, when printable enlarged it
    bool guides = false; // and whether the aid was above it
};

// Reads the levels row by row, left to right. Where more than one level fits a dot, the level
// carried from the dot to its left wins, as in the generator; where that one does not fit either,
// the level that goes on fitting furthest to the right. The first dot's carried level is 0.
// Where both levels of a boundary fit the dots at it, two maps give the very same stereogram;
// those dots go to the side that lines the boundary up with the rows above and below, and then
// to the level most of their neighbours have.
// A picture that printable made is read back to its stereogram first.
Revealed reveal(const Image &stereogram);

} // namespace picture
