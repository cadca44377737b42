// SPDX-License-Identifier: MIT

#pragma once

#include "cli/cli.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "ui/colour.h"

// One command line of zomvorn-cli, run in this process.
struct CliResult
{
    int status = -1;
    QString out;
    QString err;
};

inline CliResult runCli(QStringList arguments, bool terminal = false)
{
    CliResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    cli::Io io{out, err, terminal};
    arguments.prepend(QStringLiteral("zomvorn-cli"));
    result.status = cli::run(arguments, io);
    out.flush();
    err.flush();
    return result;
}

// The same, with standard input holding `input` and standard output's bytes kept in `output`.
inline CliResult runCliWithStreams(QStringList arguments, const QByteArray &input,
                                   QByteArray *output, bool outputIsTerminal = false)
{
    CliResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    QBuffer bytes(output);
    bytes.open(QIODevice::WriteOnly);
    cli::Io io{out, err, false, &in, &bytes, outputIsTerminal};
    arguments.prepend(QStringLiteral("zomvorn-cli"));
    result.status = cli::run(arguments, io);
    out.flush();
    err.flush();
    return result;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A depth map of level colours: rectangles and discs of random levels on black, and when asked
// for, pixels of colours that are no level strewn over it.
inline QImage shapesMap(quint32 seed, bool offPalette, QSize size = {389, 333})
{
    QRandomGenerator random(seed);
    QImage map(size, QImage::Format_RGB32);
    map.fill(ui::toQRgb(ui::QBColor(0)));
    for (int i = 0; i < 8; ++i) {
        const int level = int(random.bounded(16));
        const int cx = int(random.bounded(size.width()));
        const int cy = int(random.bounded(size.height()));
        const int r = 10 + int(random.bounded(80));
        const bool disc = random.bounded(2) == 0;
        for (int y = std::max(0, cy - r); y < std::min(size.height(), cy + r); ++y)
            for (int x = std::max(0, cx - r); x < std::min(size.width(), cx + r); ++x)
                if (!disc || (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r)
                    map.setPixel(x, y, ui::toQRgb(ui::QBColor(level)));
    }
    if (offPalette)
        for (int i = 0; i < 2000; ++i)
            map.setPixel(int(random.bounded(size.width())), int(random.bounded(size.height())),
                         qRgb(int(random.bounded(256)), 1, 77));
    return map;
}
