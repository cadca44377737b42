// SPDX-License-Identifier: MIT

#include "histogrambars.h"

#include <algorithm>

namespace editor {

HistogramBars histogramBars(const std::array<int, 16> &counts, int height)
{
    HistogramBars bars;
    const auto tallest = std::max_element(counts.begin(), counts.end());
    if (*tallest <= 0)
        return bars;
    int next = 0;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it != tallest)
            next = std::max(next, *it);
    long long reference = *tallest;
    if (next > 0 && *tallest > (long long)SwampFactor * next) {
        reference = 2LL * next;
        bars.cut = int(tallest - counts.begin());
    }
    for (std::size_t n = 0; n < counts.size(); ++n) {
        if (counts[n] <= 0)
            continue;
        const long long h = (long long)counts[n] * height / reference;
        bars.heights[n] = int(std::clamp<long long>(h, 1, height));
    }
    return bars;
}

} // namespace editor
