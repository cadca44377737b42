// SPDX-License-Identifier: MIT

#pragma once

namespace ui {

// With ZOMVORN_LOOP_WATCH set, measures how long the window's thread stays away from its event
// loop: a timer every 10 ms notes the longest wait between two of its ticks, writes each wait
// over 100 ms to standard error as it happens, and the longest one when the program ends.
// Without it, does nothing.
void watchEventLoopIfAsked();

} // namespace ui
