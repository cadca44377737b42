// SPDX-License-Identifier: MIT

#include "loadandmake.h"

#include "support/testimages.h"

#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

using namespace Qt::StringLiterals;

// Replays inputs through the fuzz target's function, so that what the fuzzer once found stays
// fixed: every file under the given files and folders, by default the bitmap test corpus, the
// hand-made seeds and the reproducers. With --load, each path goes through LoadPicture instead,
// file access included, and its outcome is printed: the driver for timing hostile files.
int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool load = args.removeAll(u"--load"_s) > 0;
    const bool verbose = args.removeAll(u"-v"_s) > 0;

    if (load) {
        for (const QString &path : args) {
            try {
                const QImage picture = ui::LoadPicture(path, fuzzcase::CanvasSize);
                fuzzcase::placeAndMake(picture);
                std::printf("%s: picture %d x %d\n", qPrintable(path), picture.width(),
                            picture.height());
            } catch (const ui::RuntimeError &e) {
                std::printf("%s: error %d: %s\n", qPrintable(path), e.number(),
                            qPrintable(e.description().replace(u'\n', u' ')));
            }
        }
        return 0;
    }

    if (args.isEmpty())
        args = QStringList{testimages::bmpsuite(QString()),
                           QStringLiteral(ZOMVORN_FUZZ_DIR "/seeds"),
                           QStringLiteral(ZOMVORN_FUZZ_DIR "/reproducers")};
    QStringList files;
    for (const QString &arg : args) {
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files.append(it.next());
        } else {
            files.append(arg);
        }
    }
    files.sort();
    int pictures = 0;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        if (verbose)
            std::printf("%s: ", qPrintable(path)), std::fflush(stdout);
        const bool picture = fuzzcase::loadAndMake(file.readAll());
        pictures += picture;
        if (verbose)
            std::printf("%s\n", picture ? "picture" : "refused");
    }
    std::printf("%lld inputs replayed: %d pictures, %lld refused\n", qlonglong(files.size()),
                pictures, qlonglong(files.size() - pictures));
    return files.isEmpty() ? 1 : 0;
}
