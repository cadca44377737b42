// SPDX-License-Identifier: MIT

#pragma once

#include "ui/colour.h"

namespace stereo {

// The value the tint colour component of every dot has.
inline constexpr int FixedComponentValue = 250;
inline constexpr qint16 DefaultIroIndex = 2;

// A dot of that grey value (0 to 255) in the tint IroIndex (0 red, 1 green, 2 blue): the tint's
// component is FixedComponentValue, the other two carry the grey value.
constexpr ui::Colour dotColour(int grey, int iroIndex)
{
    int c[3] = {grey, grey, grey};
    c[iroIndex] = FixedComponentValue;
    return ui::RGB(c[0], c[1], c[2]);
}

} // namespace stereo
