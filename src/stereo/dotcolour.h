#pragma once

#include "ui/colour.h"

#include <array>

class QAction;

namespace stereo {

// IroIndex: which colour component a dot keeps fixed at 250 (0 red, 1 green, 2 blue); the other
// two carry its grey value.
inline constexpr int FixedComponent = 250;
inline constexpr qint16 DefaultIroIndex = 2;

constexpr ui::Colour dotColour(int grey, int iroIndex)
{
    int c[3] = {grey, grey, grey};
    c[iroIndex] = FixedComponent;
    return ui::RGB(c[0], c[1], c[2]);
}

// The colour menu's handler: the check mark moves to item Index alone, and IroIndex follows it.
void MenuIro_Click(int Index, const std::array<QAction *, 3> &MenuIro, qint16 &IroIndex);

} // namespace stereo
