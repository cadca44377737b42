// SPDX-License-Identifier: MIT

#pragma once

#include <QCoreApplication>

namespace cli {

// The translation context of every message of the command line program.
struct Cli
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

} // namespace cli
