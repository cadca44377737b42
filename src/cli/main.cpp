// SPDX-License-Identifier: MIT

#include "cli.h"
#include "standardoutput.h"

#include "picture/filename.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QTextStream>

#include <csignal>
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
    cli::installTranslations(QLocale::system());
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::System);
    err.setEncoding(QStringConverter::System);
    // A reader of standard output that goes away is a failed write, answered by the command,
    // not a signal that ends it half way.
    std::signal(SIGPIPE, SIG_IGN);
    QFile standardInput;
    standardInput.open(stdin, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
    cli::StandardOutput standardOutput(STDOUT_FILENO);
    cli::Io io{out, err, isatty(STDERR_FILENO) == 1, &standardInput, &standardOutput,
               isatty(STDOUT_FILENO) == 1};
    // File names are the system's bytes, whether or not they are UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << picture::fileNameFromBytes(QByteArray(argv[i]));
    return cli::run(arguments, io);
}
