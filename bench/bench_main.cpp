// SPDX-License-Identifier: MIT

// Benchmarks of the work a user waits for: making a stereogram (the generator alone, and the whole
// menu command up to the display window), and stamping one pen disc while dragging.

#include "app/form2.h"
#include "app/toolwindows.h"
#include "picture/reveal.h"
#include "picture/viewingaids.h"
#include "editor/canvashistory.h"
#include "editor/draftstore.h"
#include "editor/depthmapfile.h"
#include "editor/form1.h"
#include "editor/importdialog.h"
#include "stereo/render.h"
#include "stereo/stereogramgenerator.h"

#include "ui/dialogs.h"
#include "ui/picturebox.h"
#include "ui/platform.h"
#include "ui/progressbar.h"
#include "ui/qtimage.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSpinBox>
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <vector>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

class SilentDialogs final : public ui::Dialogs
{
public:
    int msgBox(const QString &, int, const QString &) override { return ui::MsgBox::OK; }
    std::optional<QString> showOpen(const QString &, int, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> showSave(const QString &, int, const QString &) override
    {
        return std::nullopt;
    }
    bool showHelp(const QString &) override { return true; }
    int runModal(QDialog &) override { return QDialog::Rejected; }
};

// A depth map with a shape of several levels and some colours of no level.
QImage benchmarkDepthMap()
{
    QImage map(389, 333, QImage::Format_RGB32);
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            const int d2 = (x - 194) * (x - 194) + (y - 166) * (y - 166);
            const int level = d2 < 1600 ? 15 : d2 < 6400 ? 9 : d2 < 14400 ? 3 : 0;
            map.setPixel(x, y, ui::toQRgb(ui::QBColor(level)));
        }
    }
    for (int x = 0; x < map.width(); x += 13)
        map.setPixel(x, 50, qRgb(1, 2, 3));
    return map;
}

void BM_Generator(benchmark::State &state)
{
    stereo::Rnd rnd;
    stereo::StereogramGenerator generator(rnd);
    const picture::Image map = ui::fromQImage(benchmarkDepthMap());
    picture::Image out(453, 333, picture::Image::Format::Rgb32);
    out.fill(0xffffffffu);
    for (auto _ : state) {
        generator.make(map, out, 2);
        benchmark::DoNotOptimize(out.constBits());
    }
    const double dots = double(stereo::ImageWidth) * stereo::ImageHeight;
    state.counters["per_dot"] = benchmark::Counter(
        dots, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Generator)->Unit(benchmark::kMillisecond);

// The worst map for the generator: a level colour of its own in every pixel, so that the level
// changes from dot to dot.
void BM_GeneratorLevelNoise(benchmark::State &state)
{
    stereo::Rnd rnd;
    stereo::StereogramGenerator generator(rnd);
    QImage map(389, 333, QImage::Format_RGB32);
    quint32 x = 1;
    for (int j = 0; j < map.height(); ++j) {
        for (int i = 0; i < map.width(); ++i) {
            x = x * 1664525u + 1013904223u;
            map.setPixel(i, j, ui::toQRgb(ui::QBColor(int(x >> 28))));
        }
    }
    const picture::Image depth = ui::fromQImage(map);
    picture::Image out(453, 333, picture::Image::Format::Rgb32);
    for (auto _ : state) {
        generator.make(depth, out, 2);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_GeneratorLevelNoise)->Unit(benchmark::kMillisecond);

// The easiest map: one level everywhere, so one run a row.
void BM_GeneratorFlat(benchmark::State &state)
{
    stereo::Rnd rnd;
    stereo::StereogramGenerator generator(rnd);
    QImage map(389, 333, QImage::Format_RGB32);
    map.fill(ui::toQRgb(ui::QBColor(9)));
    const picture::Image depth = ui::fromQImage(map);
    picture::Image out(453, 333, picture::Image::Format::Rgb32);
    for (auto _ : state) {
        generator.make(depth, out, 2);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_GeneratorFlat)->Unit(benchmark::kMillisecond);

// The same three maps on each of the generator's paths: argument 0 is the map (0 flat, 1 the
// ordinary map, 2 level noise), argument 1 the path (0 plain, 1 SSE2, 2 AVX2).
void BM_GeneratorPath(benchmark::State &state)
{
    const auto path = stereo::GeneratorPath(state.range(1));
    if (!stereo::availableGeneratorPaths().contains(path)) {
        state.SkipWithError("this processor has no such path");
        return;
    }
    QImage map = benchmarkDepthMap();
    if (state.range(0) == 0) {
        map.fill(ui::toQRgb(ui::QBColor(9)));
    } else if (state.range(0) == 2) {
        quint32 x = 1;
        for (int j = 0; j < map.height(); ++j) {
            for (int i = 0; i < map.width(); ++i) {
                x = x * 1664525u + 1013904223u;
                map.setPixel(i, j, ui::toQRgb(ui::QBColor(int(x >> 28))));
            }
        }
    }
    stereo::Rnd rnd;
    stereo::StereogramGenerator generator(rnd);
    generator.setPath(path);
    const picture::Image depth = ui::fromQImage(map);
    picture::Image out(453, 333, picture::Image::Format::Rgb32);
    for (auto _ : state) {
        generator.make(depth, out, 2);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_GeneratorPath)
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}})
    ->ArgNames({"map", "path"})
    ->Unit(benchmark::kMillisecond);

// The generator's floor: what no generator can skip, every depth-map pixel read once and every
// pixel of the picture written once, here as a copy of each map row into the picture's row and a
// fill of the rest of that row.
void BM_GeneratorFloor(benchmark::State &state)
{
    const QImage map = benchmarkDepthMap();
    QImage out(453, 333, QImage::Format_RGB32);
    QRgb fill = 0;
    for (auto _ : state) {
        for (int y = 0; y < out.height(); ++y) {
            const auto *in = reinterpret_cast<const QRgb *>(map.constScanLine(y));
            auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
            std::copy(in, in + map.width(), line);
            std::fill(line + map.width(), line + out.width(), fill++);
        }
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_GeneratorFloor)->Unit(benchmark::kMillisecond);

// The lower floor: the picture's pixels written once, nothing read.
void BM_GeneratorFloorWrite(benchmark::State &state)
{
    QImage out(453, 333, QImage::Format_RGB32);
    QRgb fill = 0;
    for (auto _ : state) {
        auto *bits = reinterpret_cast<QRgb *>(out.bits());
        std::fill(bits, bits + out.width() * out.height(), fill++);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_GeneratorFloorWrite)->Unit(benchmark::kMillisecond);

// From the menu click to the moment the display window is up, progress and status included.
void BM_RandomDotCommand(benchmark::State &state)
{
    SilentDialogs dialogs;
    app::Form2 form2(dialogs, QDir::tempPath());
    form2.show();
    form2.controls().Picture1->setPicture(benchmarkDepthMap());
    QAction *make = form2.findChild<QAction *>(u"MenuMake2"_s);
    for (auto _ : state) {
        using Clock = std::chrono::steady_clock;
        Clock::time_point shown;
        QTimer::singleShot(0, [&] {
            shown = Clock::now();
            form2.Form3()->Command1().click();
        });
        const auto start = Clock::now();
        make->trigger();
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
    }
}
BENCHMARK(BM_RandomDotCommand)->UseManualTime()->Unit(benchmark::kMillisecond);

// The progress bar alone: 334 moves, each repainted at once where it changed.
void BM_ProgressBarRun(benchmark::State &state)
{
    QWidget window;
    window.resize(293, 113);
    ui::ProgressBar bar(&window, QRect(0, 96, 293, 17), 0, 333);
    window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        for (int y = 0; y <= 333; ++y)
            bar.setValue(float(y));
        bar.setValue(0);
    }
}
BENCHMARK(BM_ProgressBarRun)->Unit(benchmark::kMillisecond);

// One move of a left-button drag over the canvas: the disc into both layers and the repaint of
// the pixels it touched.
void BM_PenStamp(benchmark::State &state)
{
    SilentDialogs dialogs;
    QWidget main;
    ui::PictureBox store(&main, QRect(0, 144, 393, 337), 0, ui::PictureSurface::FillStyle::Solid);
    editor::Form1 form1(dialogs, store);
    form1.load();
    form1.show();
    QCoreApplication::processEvents();
    ui::PictureBox *canvas = form1.controls().Picture1;
    int x = 30;
    for (auto _ : state) {
        x = x >= 360 ? 30 : x + 7;
        const QPointF at(x, 160);
        QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &move);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_PenStamp)->Unit(benchmark::kMicrosecond);

// From a pen stamp's mouse event to the preview window repainted with the canvas's new
// stereogram, with the editor and "プレビュー" open: the median and the worst of 1,000 stamps.
void BM_StampToPreview(benchmark::State &state)
{
    SilentDialogs dialogs;
    QTemporaryDir dir;
    app::Form2 form2(dialogs, dir.path());
    form2.show();
    form2.tools().showPreview();
    editor::Form1 &form1 = form2.Form1().get();
    form1.show();
    QCoreApplication::processEvents();
    ui::PictureBox *canvas = form1.controls().Picture1;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(30, 160), canvas->mapToGlobal(QPointF(30, 160)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &press);
    std::vector<double> times;
    int x = 30;
    for (auto _ : state) {
        x = x >= 360 ? 30 : x + 7;
        const QPointF at(x, 60 + (x * 7) % 200);
        const auto start = std::chrono::steady_clock::now();
        QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &move);
        QCoreApplication::processEvents();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
        state.SetIterationTime(took.count());
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2] * 1e3;
    state.counters["worst_ms"] = times.back() * 1e3;
}
BENCHMARK(BM_StampToPreview)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The check view's picture of one stereogram: reveal and the level colours.
void BM_CheckViewReveal(benchmark::State &state)
{
    const picture::Image stereogram =
        stereo::standaloneStereogram(ui::fromQImage(benchmarkDepthMap()), 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(picture::reveal(stereogram).ambiguous);
}
BENCHMARK(BM_CheckViewReveal)->Unit(benchmark::kMillisecond);

void BM_Anaglyph(benchmark::State &state)
{
    const picture::Image stereogram =
        stereo::standaloneStereogram(ui::fromQImage(benchmarkDepthMap()), 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(picture::anaglyph(stereogram).constBits());
}
BENCHMARK(BM_Anaglyph)->Unit(benchmark::kMicrosecond);

// The large-stereogram generator in process, rows only (no file): a 1920 x 1080 sphere at 96 dpi
// at x1 and x4, and the same sphere placed in 7680 x 4320 at x4. The sphere is the shape whose
// every row has its own links, so nothing is reused from row to row.
stereo::render::DepthPlane sphere(int width, int height)
{
    stereo::render::DepthPlane plane{width, height, {}};
    plane.z.resize(std::size_t(width) * std::size_t(height));
    const double radius = 0.45 * std::min(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = x - width / 2.0, dy = y - height / 2.0;
            const double h = radius * radius - dx * dx - dy * dy;
            plane.z[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                h > 0 ? quint16(65535 * std::sqrt(h) / radius) : 0;
        }
    return plane;
}

void BM_Render(benchmark::State &state)
{
    static const stereo::render::DepthPlane depth = sphere(1920, 1080);
    stereo::render::Settings settings;
    settings.size = QSize(int(state.range(0)), int(state.range(1)));
    settings.geometry.oversampling = int(state.range(2));
    qint64 rows = 0;
    for (auto _ : state) {
        stereo::render::render(depth, settings, [&](int, const QRgb *row, int) {
            benchmark::DoNotOptimize(row);
            ++rows;
        });
    }
    state.counters["rows/s"] = benchmark::Counter(double(rows), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Render)
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 4})
    ->Args({7680, 4320, 4})
    ->Unit(benchmark::kMillisecond);

// A canvas with 200 strokes of eight discs each, as a user paints it.
void paintStrokes(ui::PictureSurface &canvas, editor::CanvasHistory *history)
{
    for (int i = 0; i < 200; ++i) {
        if (history)
            history->begin(canvas.persistentImage(), canvas.screenImage());
        const ui::Colour colour = ui::QBColor(1 + i % 15);
        canvas.setFillColor(colour);
        for (bool kept : {true, false}) {
            canvas.setAutoRedraw(kept);
            for (int d = 0; d < 8; ++d)
                canvas.Circle(float((i * 37) % 389 + d * 5), float((i * 53) % 333), 14, colour);
        }
        if (history)
            history->commit(canvas.persistentImage(), canvas.screenImage());
    }
}

// The draft's disk write once it comes due, off the painting thread: the PNG, the header and
// the atomic write with its flush to disk.
void BM_DraftWrite(benchmark::State &state)
{
    ui::PictureSurface canvas({389, 333}, 0, ui::PictureSurface::FillStyle::Solid);
    paintStrokes(canvas, nullptr);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"draft"_s);
    for (auto _ : state)
        editor::writeFileAtomically(editor::DraftStore::encode(canvas.Image()), path);
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_DraftWrite)->Unit(benchmark::kMillisecond);

// 200 strokes with their history: the time per stroke's bookkeeping, and the history's bytes.
void BM_History200Strokes(benchmark::State &state)
{
    qsizetype bytes = 0;
    for (auto _ : state) {
        ui::PictureSurface canvas({389, 333}, 0, ui::PictureSurface::FillStyle::Solid);
        editor::CanvasHistory history;
        paintStrokes(canvas, &history);
        bytes = history.bytes();
        benchmark::DoNotOptimize(history.undoCount());
    }
    state.counters["history_bytes"] = double(bytes);
}
BENCHMARK(BM_History200Strokes)->Unit(benchmark::kMillisecond);

// An 8000 x 8000 grey depth map, 8- or 16-bit: a dome over a slope, with holes of no data (0).
QImage largeGreyPicture(bool sixteen)
{
    QImage picture(8000, 8000, sixteen ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            const double d = std::hypot(x - 4000.0, y - 4000.0) / 3000;
            double v = 0.2 + 0.1 * x / 8000 + (d < 1 ? 0.6 * std::sqrt(1 - d * d) : 0);
            if ((x / 97 + y / 89) % 23 == 0)
                v = 0;
            if (sixteen)
                reinterpret_cast<quint16 *>(line)[x] = quint16(v * 65535);
            else
                line[x] = uchar(v * 255);
        }
    }
    return picture;
}

// The import dialog's preview after a control change, on an 8000 x 8000 picture: the handler's
// quantising, the preview and histogram, and the label's repaint. The picture is placed once as
// the dialog opens (not measured here). Arguments: 16-bit, median radius, no-data on.
void BM_ImportPreview(benchmark::State &state)
{
    editor::ImportDialog dialog(ui::fromQImage(largeGreyPicture(state.range(0) != 0)));
    dialog.smooth->setValue(int(state.range(1)));
    dialog.noDataOn->setChecked(state.range(2) != 0);
    dialog.show();
    QCoreApplication::processEvents();
    double worst = 0;
    int turn = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        // Alternately the gamma and inversion, the cheap and the plane-changing control.
        if (++turn % 2)
            dialog.gamma->setValue(turn % 4 == 1 ? 1.3 : 1.0);
        else
            dialog.invert->setChecked(!dialog.invert->isChecked());
        dialog.preview->repaint();
        dialog.histogram->repaint();
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        worst = std::max(worst, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(BM_ImportPreview)
    ->Args({0, 0, 0})
    ->Args({0, 3, 0})
    ->Args({1, 0, 1})
    ->Args({1, 3, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Placing an 8000 x 8000 picture on the canvas: what opening the dialog, or a new placement or
// no-data value, costs. Arguments: 16-bit, no-data on.
void BM_ImportPlace(benchmark::State &state)
{
    const picture::Image picture = ui::fromQImage(largeGreyPicture(state.range(0) != 0));
    const std::optional<int> noData = state.range(1) ? std::optional<int>(0) : std::nullopt;
    for (auto _ : state)
        benchmark::DoNotOptimize(picture::placePicture(picture, picture::Fit::Fit, noData));
}
BENCHMARK(BM_ImportPlace)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The windows measured here write drafts and settings like the real program: into folders of
    // the run's own, never the user's.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    for (const char *variable : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME",
                                 "XDG_DATA_HOME"})
        qputenv(variable, QFile::encodeName(home.path()));
    QApplication application(argc, argv);
    ui::installPlatform(application);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
