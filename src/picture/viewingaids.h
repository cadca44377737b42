// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"

#include <vector>

namespace picture {

// The red/cyan picture of a stereogram, for anaglyph glasses: pixel (x, y), for x from 0 to
// width - 61, has red rgbGrey(S(x, y)) and green and blue rgbGrey(S(x + 60, y)). The background
// lies on the screen and level L stands L pixels in front of it. A picture no wider than the
// separation gives the null image.
Image anaglyph(const Image &stereogram);

// A depth map for viewers who cross their eyes: each level L becomes 15 - L, so that the shape
// is not seen inside out. A pixel of no level colour stays as it is; it takes the level before it.
Image crossEyedDepthMap(const Image &depthMap);

// The colour the check view marks ambiguous points with: no level has it.
inline constexpr Rgb AmbiguousMark = 0xffff8800u;

// The depth map with the points `ambiguous` names (row by row, one flag per pixel) in
// AmbiguousMark.
Image markAmbiguous(const Image &depthMap, const std::vector<bool> &ambiguous);

// The depth map in greys, as a shape is easiest judged: level L becomes grey 17 L, black far and
// white near. A pixel of no level colour stays as it is.
Image greyLevels(const Image &depthMap);

} // namespace picture
