// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"

#include <algorithm>

namespace picture {

// Four 32-bit pixels mixed by weights out of 256, as Qt's scaling mixes them: down first, each
// channel truncated to 16 bits and then to 8, then across, clamped. The area scaling's weights
// reach 256, where the truncation and the clamp matter; the painter's stay below it.
inline Rgb mixed4(Rgb topLeft, Rgb topRight, Rgb bottomLeft, Rgb bottomRight, int across,
                  int down)
{
    Rgb out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        auto at = [shift](Rgb c) { return int((c >> shift) & 0xff); };
        const int left = ((at(topLeft) * (256 - down) + at(bottomLeft) * down) & 0xffff) >> 8;
        const int right = ((at(topRight) * (256 - down) + at(bottomRight) * down) & 0xffff) >> 8;
        out |= Rgb(std::clamp((left * (256 - across) + right * across) >> 8, 0, 255)) << shift;
    }
    return out;
}

} // namespace picture
