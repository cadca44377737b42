// SPDX-License-Identifier: MIT

#include "cli.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char *argv[])
{
#ifdef __GLIBC__
    // A batch makes and frees pictures of about half a megabyte for every map, on several
    // threads: keep freed memory for the next map instead of handing it back to the system and
    // faulting it in again page by page.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
    QCoreApplication application(argc, argv);
    // The decoders' own remarks, in English and about bytes the user never sees: a picture that
    // cannot be read gets its reason from the command itself.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    cli::installTranslations(QLocale::system());
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::System);
    err.setEncoding(QStringConverter::System);
    QFile standardInput;
    QFile standardOutput;
    standardInput.open(stdin, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
    // Unbuffered, on the descriptor: a write that fails (a full disk) fails where it is checked,
    // not later in a buffer flushed on the way out, where nobody sees it.
    standardOutput.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered,
                        QFileDevice::DontCloseHandle);
    cli::Io io{out, err, isatty(STDERR_FILENO) == 1, &standardInput, &standardOutput,
               isatty(STDOUT_FILENO) == 1};
    return cli::run(QCoreApplication::arguments(), io);
}
