// SPDX-License-Identifier: MIT

// How long the window's thread is kept from its event loop by the desktop program's long jobs: the
// import of an 8000 x 8000 picture, the export enlarged 16 times, and the animation dialog with
// 1,000 maps. A timer every 10 ms notes the longest wait between two of its ticks while each job
// runs, as a user's window would wait to be moved or repainted.
//
//     bench/zomvorn_windowthread [import|export|animation]...

#include "support/scripteddialogs.h"

#include "app/animationdialog.h"
#include "app/toolwindows.h"
#include "editor/form1.h"
#include "editor/importdialog.h"
#include "stereo/stereogramgenerator.h"
#include "ui/picturebox.h"
#include "ui/platform.h"
#include "ui/qtimage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// The longest gap between the ticks of a 10 ms timer while `job` runs; `job` calls `done` at its end.
qint64 longestGap(const std::function<void(const std::function<void()> &done)> &job,
                  qint64 *took)
{
    QEventLoop loop;
    QElapsedTimer clock;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    qint64 last = 0;
    qint64 longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    bool ended = false;
    clock.start();
    tick.start();
    QTimer::singleShot(0, [&] {
        job([&] {
            ended = true;
            // A last tick after the job, so that a job that kept the thread to its end counts.
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
        });
    });
    loop.exec();
    *took = clock.elapsed();
    return ended ? longest : -1;
}

QImage greyPicture(int side)
{
    QImage grey(side, side, QImage::Format_Grayscale8);
    for (int y = 0; y < side; ++y) {
        uchar *line = grey.scanLine(y);
        for (int x = 0; x < side; ++x) {
            const double dx = x - side / 2.0, dy = y - side / 2.0;
            line[x] = uchar(std::max(0.0, 255 - std::sqrt(dx * dx + dy * dy) * 510 / side));
        }
    }
    return grey;
}

void report(const char *what, qint64 gap, qint64 took)
{
    std::printf("%-40s longest busy %6lld ms   (job took %6lld ms)\n", what,
                static_cast<long long>(gap), static_cast<long long>(took));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ui::installPlatform(application);
    QStringList jobs = application.arguments().mid(1);
    if (jobs.isEmpty())
        jobs = {u"import"_s, u"export"_s, u"animation"_s};
    QTemporaryDir dir;
    qint64 took = 0;

    if (jobs.contains(u"import"_s)) {
        const QString big = dir.filePath(u"big.png"_s);
        greyPicture(8000).save(big);
        ScriptedDialogs dialogs;
        QWidget main;
        ui::PictureBox store(&main, QRect(0, 144, 393, 337), 0, ui::PictureSurface::FillStyle::Solid);
        editor::Form1 form(dialogs, store);
        form.load();
        form.show();
        dialogs.modal = [](QDialog &) { return int(QDialog::Accepted); };
        // Drawn once, as a user has seen it: its Japanese captions load the fonts every window uses.
        (void)form.grab();
        const qint64 gap = longestGap([&](const auto &done) {
            form.importPicture(big);
            done();
        }, &took);
        report("import of an 8000 x 8000 picture", gap, took);
    }

    if (jobs.contains(u"export"_s)) {
        ScriptedDialogs dialogs;
        QWidget owner;
        app::Tools tools(dialogs, owner, [] { return QImage(); }, [] { return qint16(2); });
        stereo::Rnd rnd;
        stereo::StereogramGenerator generator(rnd);
        picture::Image map(453, 333, picture::Image::Format::Rgb32);
        map.fill(0xff000000u);
        picture::Image stereogram(453, 333, picture::Image::Format::Rgb32);
        generator.make(map, stereogram, 2);
        tools.stereogramMade(ui::toQImage(stereogram), ui::toQImage(map), 2);
        for (const QString &name : {u"x16.png"_s, u"x16.bmp"_s}) {
            const qint64 gap = longestGap([&](const auto &done) {
                tools.writeExport(dir.filePath(name), {16, true, 300});
                done();
            }, &took);
            report(qPrintable(u"export x16, "_s + name), gap, took);
        }
    }

    if (jobs.contains(u"animation"_s)) {
        QStringList maps;
        QImage map(453, 333, QImage::Format_RGB32);
        for (int i = 0; i < 1000; ++i) {
            map.fill(Qt::black);
            for (int y = 100; y < 200; ++y)
                for (int x = 100 + i % 200; x < 200 + i % 200; ++x)
                    map.setPixel(x, y, qRgb(255, 0, 0));
            maps << dir.filePath(u"map%1.png"_s.arg(i));
            map.save(maps.last());
        }
        ScriptedDialogs dialogs;
        app::AnimationDialog dialog(dialogs, 2);
        dialog.Files->addItems(maps);
        dialog.Output->setText(dir.filePath(u"out.gif"_s));
        dialog.show();
        const qint64 gap = longestGap([&](const auto &done) {
            dialog.start();
            // Until the frames begin: the checking of every map is what is measured; the frames
            // are made a step at a time.
            auto *wait = new QTimer(&dialog);
            QObject::connect(wait, &QTimer::timeout, [&dialog, wait, done] {
                if (dialog.Status->text() == u"作成しています..."_s || !dialog.running()) {
                    wait->stop();
                    dialog.cancel();
                    done();
                }
            });
            wait->start(1);
        }, &took);
        report("animation dialog, 1,000 maps", gap, took);
    }
    return 0;
}
