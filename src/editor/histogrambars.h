// SPDX-License-Identifier: MIT

#pragma once

#include <array>

namespace editor {

// The heights of the 16 bars of the import's level histogram, in pixels of `height`. They are
// scaled to the tallest bar, unless that one swamps the rest (it counts more than SwampFactor
// times the next tallest, as a black background does): then the next tallest fills half the
// height, the others follow it, and the tallest is cut at the full height (`cut` names it, -1
// for none). A level that is used is at least one pixel high.
struct HistogramBars
{
    std::array<int, 16> heights{};
    int cut = -1;
};

inline constexpr int SwampFactor = 4;

HistogramBars histogramBars(const std::array<int, 16> &counts, int height);

} // namespace editor
