// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

struct Io;
struct MakeRequest;

// Runs FIRST to LAST of a batch, from 1.
struct RunRange
{
    int first = 1;
    int last = 1;
};

// "FIRST-LAST" or "N"; none when the words are no such range.
std::optional<RunRange> runRangeOf(const QString &words);

// The names a list file holds: separated by NUL bytes where it has any, otherwise one a line.
// The separator after the last name is optional; the names are decoded as file names are.
QStringList namesOfList(const QByteArray &bytes);

// Runs `runs` of the batch `request.maps` would make with the output pattern `pattern`, made on
// their own: the same files, with the same names ({n} numbering the whole batch), byte for byte.
// The sequence jumps to the slice's first run; the level carried into it comes from the maps
// before it, read from the last one back only as far as one holds a level colour. Every map the
// slice reads is checked before anything is written. Returns the exit status.
int makeSlice(MakeRequest &request, const QString &pattern, RunRange runs, Io &io);

} // namespace cli
