// SPDX-License-Identifier: MIT

#pragma once

#include <QStringList>

class QIODevice;
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
    // Standard input and output as bytes, for the file name "-"; none where there are none.
    QIODevice *standardInput = nullptr;
    QIODevice *standardOutput = nullptr;
    // stdout is a terminal: no picture is written to it.
    bool outIsTerminal = false;
    // The reader of standard output went away: the command ends quietly with status 1.
    bool pipeClosed = false;
};

// The file name that stands for standard input or output.
inline const QString StandardStream = QStringLiteral("-");

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
