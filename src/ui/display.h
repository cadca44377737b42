// SPDX-License-Identifier: MIT

#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <optional>

namespace ui {

// Asked before the application object exists, which would abort on a window system it cannot
// reach: the one line to print when the platform Qt would load needs a display and the
// environment names none (neither DISPLAY nor WAYLAND_DISPLAY). Nothing when the program can go
// on, also when another platform (such as offscreen) is chosen with -platform or
// QT_QPA_PLATFORM. The line is in Japanese under a Japanese locale, in English otherwise.
std::optional<QString> missingDisplayMessage(int argc, const char *const *argv,
                                             const QProcessEnvironment &environment);

// As above for this process; prints the line to standard error and returns true when there is no
// display.
bool reportMissingDisplay(int argc, const char *const *argv);

} // namespace ui
