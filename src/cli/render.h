// SPDX-License-Identifier: MIT

#pragma once

#include "cli.h"

#include <optional>

namespace cli {

// "render": stereograms of any size from depth maps, by the large-picture generator.
int runRender(const QStringList &commandLine, Io &io);

// "check": how a picture that render wrote decodes.
int runCheck(const QStringList &commandLine, Io &io);

// "reveal" of a picture that render wrote (it carries its settings): the depth its links decode
// to, as a grey map. Nothing when the picture is not one, so that the stereogram reveal goes on.
std::optional<int> revealRendered(const QStringList &commandLine, Io &io);

} // namespace cli
