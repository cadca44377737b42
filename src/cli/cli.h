// SPDX-License-Identifier: MIT

#pragma once

#include <QStringList>

class QLocale;
class QTextStream;

namespace cli {

// Where a command's words go: results on `out`, messages and the progress line on `err`.
struct Io
{
    QTextStream &out;
    QTextStream &err;
    // stderr is a terminal, so a progress line may be drawn on it.
    bool errIsTerminal = false;
};

enum ExitStatus {
    Done = 0,
    FileFailed = 1, // a file could not be read or written, or is no stereogram to reveal
    WrongUsage = 2,
};

// Runs one command line, arguments[0] being the program. Returns the exit status.
int run(const QStringList &arguments, Io &io);

// Loads the messages' and Qt's own translations for `locale` in place of any loaded before:
// Japanese for a Japanese locale, the English source texts otherwise.
void installTranslations(const QLocale &locale);

} // namespace cli
