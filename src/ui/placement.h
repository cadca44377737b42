// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace ui {

// Where a window of the program's own opens, worked out on rectangles alone (window frames in
// screen coordinates), so that it never covers the windows the user is working in and never
// reaches beyond the screen.
struct Placement
{
    // The frame, inside the available area; its size is at most the size wanted.
    QRect frame;
    // The frame is smaller than wanted: its picture scrolls.
    bool shrunk = false;
    // No place was free: the frame lies over `anchor` or `other`.
    bool covers = false;
};

// Beside `anchor` (the editor while it is open, otherwise the main window), never over `anchor`
// nor `other` (the main window while the editor is open; a null rectangle for none), inside
// `available` (the screen's area free of panels). In order:
//   1. to the right of the anchor, then to its left, at full size, top edges level where the
//      screen allows;
//   2. in the wider of those two free strips, narrowed to it (at least MinimumSide wide);
//   3. below, then above, both windows, lowered to the free band (at least MinimumSide high);
//   4. otherwise at the right edge of the available area, over the windows, at most its size.
// `gap` pixels stay between the new frame and the windows it keeps clear of.
// `alsoClear` (the other tool windows shown) is kept clear too where that leaves a place; where
// it does not, the rule runs again without it.
Placement placeBeside(QSize wanted, const QRect &anchor, const QRect &other,
                      const QRect &available, int gap = 8, const QList<QRect> &alsoClear = {});

inline constexpr int MinimumSide = 200;

} // namespace ui
