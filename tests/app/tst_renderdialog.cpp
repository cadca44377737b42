// SPDX-License-Identifier: MIT

#include "support/controls.h"
#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "../cli/clirun.h"

#include "app/renderdialog.h"

#include "picture/colour.h"
#include "stereo/render.h"
#include "ui/platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestRenderDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameFileAsTheCli_data();
    void sameFileAsTheCli();
    void refusedBeforeSaving_data();
    void refusedBeforeSaving();
    void cancelledLeavesNoFile();
    void refusedOnASmallDisk();
    void previewOffTheThread();
    void previewAtItsOwnDpi();
    void readoutInJapanese_data();
    void readoutInJapanese();
    void fieldsInTheUnitChosen_data();
    void fieldsInTheUnitChosen();

private:
    QString mapPath();
    QTemporaryDir m_dir;
};

void TestRenderDialog::initTestCase()
{
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    ui::installPlatform(*QCoreApplication::instance());
}

// A grey disc, near in the middle, on a far background.
QString TestRenderDialog::mapPath()
{
    const QString path = m_dir.filePath(u"disc.png"_s);
    if (QFile::exists(path))
        return path;
    QImage map(320, 180, QImage::Format_Grayscale8);
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 320; ++x) {
            const int d2 = (x - 160) * (x - 160) + (y - 90) * (y - 90);
            map.setPixel(x, y, qRgb(0, 0, 0));
            if (d2 < 70 * 70) {
                const int g = 255 - d2 * 255 / (70 * 70);
                map.setPixel(x, y, qRgb(g, g, g));
            }
        }
    map.save(path);
    return path;
}

void TestRenderDialog::sameFileAsTheCli_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<int>("oversample"); // index: x1, x2, x3, x4, x6, x8
    QTest::addColumn<bool>("guides");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("fields"); // what else the dialog is given, see below
    QTest::newRow("png, blue, x1") << u"a.png"_s << 5 << 0 << false
                                   << QStringList{u"--pattern"_s, u"blue"_s} << QString();
    QTest::newRow("bmp, colour, x4, guides")
        << u"b.bmp"_s << 2 << 3 << true
        << QStringList{u"--pattern"_s, u"colour"_s, u"--oversample"_s, u"4"_s, u"--guides"_s}
        << QString();
    QTest::newRow("webp, bw, x2") << u"c.webp"_s << 0 << 1 << false
                                  << QStringList{u"--pattern"_s, u"bw"_s, u"--oversample"_s,
                                                 u"2"_s}
                                  << QString();
    QTest::newRow("png, inches") << u"d.png"_s << 1 << 0 << false
                                 << QStringList{u"--pattern"_s, u"grey"_s, u"--eye"_s, u"2.5in"_s,
                                                u"--size"_s, u"2.5x1.5in"_s}
                                 << u"inches"_s;
    QTest::newRow("png, mm at 300 dpi") << u"e.png"_s << 3 << 0 << false
                                        << QStringList{u"--pattern"_s, u"red"_s, u"--dpi"_s,
                                                       u"300"_s, u"--size"_s, u"60x20mm"_s}
                                        << u"mm at 300 dpi"_s;
    QTest::newRow("bmp, separations in pixels, x3")
        << u"f.bmp"_s << 4 << 2 << true
        << QStringList{u"--pattern"_s, u"green"_s, u"--oversample"_s, u"3"_s, u"--guides"_s,
                       u"--far-px"_s, u"100"_s, u"--near-px"_s, u"80"_s}
        << u"separations"_s;
    QTest::newRow("png, picture pattern") << u"g.png"_s << 6 << 0 << false
                                          << QStringList{u"--pattern"_s, u"PATTERN"_s}
                                          << u"picture"_s;
    // Nothing but the size and the seed given: the dialog starts from the command line's values;
    // the seed is 0, the least the command line takes.
    QTest::newRow("png, as it opens") << u"h.png"_s << 5 << 0 << false << QStringList()
                                      << u"as it opens"_s;
}

void TestRenderDialog::sameFileAsTheCli()
{
    QFETCH(QString, name);
    QFETCH(int, pattern);
    QFETCH(int, oversample);
    QFETCH(bool, guides);
    QFETCH(QStringList, options);
    QFETCH(QString, fields);
    ScriptedDialogs dialogs;
    app::RenderDialog dialog(dialogs, QImage());
    dialog.Source->setCurrentIndex(1);
    dialog.Picture->setText(mapPath());
    const bool asItOpens = fields == u"as it opens"_s;
    const QString seed = asItOpens ? u"0"_s : u"7"_s;
    dialog.Width->setValue(800);
    dialog.Height->setValue(450);
    dialog.Seed->setValue(seed.toInt());
    if (!asItOpens) {
        dialog.Dpi->setValue(120);
        dialog.Eye->setValue(60.0);
        dialog.Depth->setValue(0.3);
        dialog.Pattern->setCurrentIndex(pattern);
        dialog.Oversample->setCurrentIndex(oversample);
        dialog.Guides->setChecked(guides);
    }
    if (fields == u"inches"_s) {
        dialog.Unit->setCurrentIndex(1);
        QCOMPARE(dialog.Eye->value(), 2.362); // 60 mm, converted as it stood
        QCOMPARE(dialog.LengthWidth->value(), 6.67); // 800 px at 120 dpi
        dialog.Eye->setValue(2.5);
        dialog.SizeBy->setCurrentIndex(1);
        dialog.LengthWidth->setValue(2.5);
        dialog.LengthHeight->setValue(1.5);
        QCOMPARE(dialog.Width->value(), 300);
    } else if (fields == u"mm at 300 dpi"_s) {
        dialog.SizeBy->setCurrentIndex(1);
        dialog.LengthWidth->setValue(60);
        dialog.LengthHeight->setValue(20);
        dialog.Dpi->setValue(300); // the pixels follow the dpi
        QCOMPARE(dialog.Width->value(), 709);
        QCOMPARE(dialog.Height->value(), 236);
    } else if (fields == u"separations"_s) {
        dialog.GeometryBy->setCurrentIndex(1);
        QVERIFY(dialog.FarPx->isEnabled() && dialog.NearPx->isEnabled());
        QVERIFY(!dialog.Eye->isEnabled() && !dialog.Depth->isEnabled());
        dialog.FarPx->setValue(100);
        dialog.NearPx->setValue(80);
    } else if (fields == u"picture"_s) {
        const QString patternPath = m_dir.filePath(u"pattern.png"_s);
        QImage pattern(40, 30, QImage::Format_RGB32);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                pattern.setPixel(x, y, qRgb(x * 6, y * 8, (x * y) % 256));
        QVERIFY(pattern.save(patternPath));
        options.replace(options.indexOf(u"PATTERN"_s), patternPath);
        dialogs.fileAnswers.push_back(patternPath);
        dialog.Pattern->setCurrentIndex(0);
        dialog.ChoosePattern->click();
        QCOMPARE(dialog.Pattern->currentIndex(), 6);
    }
    const QString gui = m_dir.filePath(u"gui-"_s + name);
    QVERIFY(dialog.save(gui));
    QTRY_VERIFY(!dialog.saving());
    QVERIFY(dialogs.messages().isEmpty());

    const QString cli = m_dir.filePath(u"cli-"_s + name);
    QStringList base{u"render"_s, u"-q"_s, u"--size"_s, u"800x450"_s, u"--seed"_s, seed};
    if (!asItOpens)
        base << u"--dpi"_s << u"120"_s;
    if (!asItOpens && fields != u"separations"_s)
        base << u"--eye"_s << u"60mm"_s << u"--depth"_s << u"0.3"_s;
    // The options of the row come last: the last value of an option given twice counts.
    const CliResult r = runCli(base + options + QStringList{mapPath(), u"-o"_s, cli});
    QVERIFY2(r.status == cli::Done, qPrintable(r.err));
    const QByteArray made = fileBytes(gui);
    QVERIFY(made.size() > 1000);
    QCOMPARE(made, fileBytes(cli));
}

void TestRenderDialog::refusedBeforeSaving_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("says");
    QTest::newRow("near not below far") << u"far 80 near 80"_s
                                        << u"近い面の間隔は遠い面の間隔より狭くしてください。"_s;
    QTest::newRow("no pattern picture") << u"missing pattern"_s << u"模様の画像を読めません。"_s;
    // The pictures it reads are never written over, by their names or through a link.
    QTest::newRow("over the depth picture") << u"depth"_s
                                            << u"保存先が奥行きの画像と同じファイルです。"_s;
    QTest::newRow("over the pattern, through a link")
        << u"pattern link"_s << u"保存先が模様の画像と同じファイルです。"_s;
}

void TestRenderDialog::refusedBeforeSaving()
{
    QFETCH(QString, fields);
    QFETCH(QString, says);
    ScriptedDialogs dialogs;
    app::RenderDialog dialog(dialogs, QImage());
    QString path = m_dir.filePath(u"refused.png"_s);
    if (fields == u"far 80 near 80"_s) {
        dialog.GeometryBy->setCurrentIndex(1);
        dialog.FarPx->setValue(80);
        dialog.NearPx->setValue(80);
    } else if (fields == u"depth"_s) {
        dialog.Source->setCurrentIndex(1);
        dialog.Picture->setText(mapPath());
        path = mapPath();
    } else if (fields == u"pattern link"_s) {
        dialog.Pattern->setCurrentIndex(6);
        dialog.PatternPicture->setText(mapPath());
        path = m_dir.filePath(u"pattern-link.png"_s);
        QFile::remove(path);
        QVERIFY(QFile::link(mapPath(), path));
    } else {
        dialog.Pattern->setCurrentIndex(6);
        dialog.PatternPicture->setText(m_dir.filePath(u"no-such-pattern.png"_s));
    }
    const QByteArray before = QFileInfo::exists(path) ? fileBytes(path) : QByteArray();
    QVERIFY(!dialog.save(path));
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages()[0].text, says);
    if (before.isEmpty())
        QVERIFY(!QFile::exists(path));
    else
        QCOMPARE(fileBytes(path), before);
}

void TestRenderDialog::cancelledLeavesNoFile()
{
    ScriptedDialogs dialogs;
    app::RenderDialog dialog(dialogs, QImage());
    dialog.Source->setCurrentIndex(1);
    dialog.Picture->setText(mapPath());
    dialog.Width->setValue(4000);
    dialog.Height->setValue(3000);
    dialog.Oversample->setCurrentIndex(5);
    const QString path = m_dir.filePath(u"cancelled.bmp"_s);
    QVERIFY(dialog.save(path));
    dialog.cancel();
    QTRY_VERIFY(!dialog.saving());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(m_dir.path()).entryList({u"cancelled*"_s}, QDir::Files), QStringList());
}

// A BMP of 400 x 100 takes 120,054 bytes, more than a disk of 64 KB has: refused before anything
// is made, with the megabytes it needs rounded up. The disk is mounted in a child process, seen
// by no one else.
void TestRenderDialog::refusedOnASmallDisk()
{
    const QString disk = m_dir.filePath(u"small-disk"_s);
    QVERIFY(QDir().mkpath(disk));
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(60);
        if (::unshare(CLONE_NEWNS) != 0
            || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(77);
        ScriptedDialogs dialogs;
        app::RenderDialog dialog(dialogs, QImage());
        dialog.Width->setValue(400);
        dialog.Height->setValue(100);
        const bool started = dialog.save(disk + u"/big.bmp"_s);
        const auto said = dialogs.messages();
        ::_exit(!started && said.size() == 1
                        && said[0].text == u"空き容量が足りません（1 MB 必要）。"_s
                    ? 0
                    : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        QSKIP("no disk can be mounted here");
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestRenderDialog::previewOffTheThread()
{
    ScriptedDialogs dialogs;
    QImage map(389, 333, QImage::Format_RGB32);
    map.fill(picture::toQRgb(picture::QBColor(0)));
    for (int y = 100; y < 200; ++y)
        for (int x = 100; x < 250; ++x)
            map.setPixel(x, y, picture::toQRgb(picture::QBColor(9)));
    app::RenderDialog dialog(dialogs, map);
    QTRY_VERIFY(!dialog.preview().isNull() && !dialog.previewing());
    QCOMPARE(dialog.preview().size(), QSize(480, 270));
    QVERIFY2(dialog.CheckLine->text().contains(u"100.00 %"_s), qPrintable(dialog.CheckLine->text()));
    QVERIFY(dialog.Readout->text().startsWith(u"遠 120.00 px (31.8 mm)、近 96.00 px"_s));
}

// 4000 x 2250 at 10 dpi is previewed 480 x 270 at 1 dpi (10 x 0.12, rounded), without the guides
// asked for the file: the renderer's picture for those settings.
void TestRenderDialog::previewAtItsOwnDpi()
{
    ScriptedDialogs dialogs;
    app::RenderDialog dialog(dialogs, testimages::shapeMap());
    dialog.Width->setValue(4000);
    dialog.Height->setValue(2250);
    dialog.Dpi->setValue(10);
    dialog.Guides->setChecked(true);
    QTRY_VERIFY(!dialog.preview().isNull() && !dialog.previewing());
    stereo::render::Settings s = dialog.settings();
    s.size = {480, 270};
    s.geometry.dpi = 1;
    s.guides = false;
    QCOMPARE(dialog.preview(),
             ui::toQImage(stereo::render::renderImage(
                 stereo::render::depthPlaneOf(ui::fromQImage(testimages::shapeMap()), {}), s)));
}

void TestRenderDialog::readoutInJapanese_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("says");
    QTest::newRow("near too close") << u"far 120 near 40"_s
                                    << u"遠 120.00 px (31.8 mm)、近 40.00 px (10.6 mm)、奥行き 81 段"
                                       "（目の間隔 63.5 mm、奥行きの深さ 0.800 に当たります）\n"
                                       "注意: 近い面の間隔が遠い面の 0.55 倍より狭く"_s;
    QTest::newRow("few steps") << u"10 dpi"_s
                               << u"注意: 奥行きの段が 8 段より少なくなります。dpi か"_s;
    QTest::newRow("few steps in pixels")
        << u"far 100 near 95"_s << u"注意: 奥行きの段が 8 段より少なくなります。遠い面と近い面の間隔の差"_s;
    QTest::newRow("far too wide") << u"eye 100 mm"_s << u"注意: 遠い面の間隔が 40 mm を超え"_s;
    QTest::newRow("no pattern picture") << u"missing pattern"_s << u"注意: 模様の画像を読めません"_s;
}

void TestRenderDialog::readoutInJapanese()
{
    QFETCH(QString, fields);
    QFETCH(QString, says);
    ScriptedDialogs dialogs;
    app::RenderDialog dialog(dialogs, QImage());
    if (fields.startsWith(u"far "_s)) {
        const QStringList words = fields.split(u' ');
        dialog.GeometryBy->setCurrentIndex(1);
        dialog.FarPx->setValue(words[1].toInt());
        dialog.NearPx->setValue(words[3].toInt());
    } else if (fields == u"10 dpi"_s) {
        dialog.Dpi->setValue(10);
    } else if (fields == u"eye 100 mm"_s) {
        dialog.Eye->setValue(100);
    } else {
        dialog.Pattern->setCurrentIndex(6);
        dialog.PatternPicture->setText(m_dir.filePath(u"no-such-pattern.png"_s));
    }
    QTRY_VERIFY2(dialog.Readout->text().contains(says), qPrintable(dialog.Readout->text()));
    QTRY_VERIFY(!dialog.previewing());
    // No English left in it: only the units are in Latin letters.
    QString latin = dialog.Readout->text();
    latin.remove(u"px"_s).remove(u"mm"_s).remove(u"dpi"_s);
    QVERIFY2(!latin.contains(QRegularExpression(u"[A-Za-z]"_s)), qPrintable(latin));
}

void TestRenderDialog::fieldsInTheUnitChosen_data()
{
    QTest::addColumn<int>("unit");
    // The eye separation, the width as a length (1920 px at 96 dpi) and the dpi as shown.
    QTest::addColumn<QStringList>("shown");
    // The eye separations offered: the command line's 10 to 100 mm.
    QTest::addColumn<QList<double>>("eyeBounds");
    QTest::newRow("mm") << 0 << QStringList{u"63.5 mm"_s, u"508.00 mm"_s, u"96 dpi"_s}
                        << QList<double>{10, 100};
    QTest::newRow("in") << 1 << QStringList{u"2.500 in"_s, u"20.00 in"_s, u"96 dpi"_s}
                        << QList<double>{0.394, 3.937};
}

// Every control in its place, none over another; the lengths in the unit chosen.
void TestRenderDialog::fieldsInTheUnitChosen()
{
    QFETCH(int, unit);
    QFETCH(QStringList, shown);
    QFETCH(QList<double>, eyeBounds);
    ScriptedDialogs dialogs;
    app::RenderDialog dialog(dialogs, QImage());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(overlappingControls(dialog), QStringList());
    dialog.Unit->setCurrentIndex(unit);
    QCOMPARE((QStringList{dialog.Eye->text(), dialog.LengthWidth->text(), dialog.Dpi->text()}),
             shown);
    dialog.Eye->setValue(0);
    const double least = dialog.Eye->value();
    dialog.Eye->setValue(1000);
    QCOMPARE((QList<double>{least, dialog.Eye->value()}), eyeBounds);
    QTRY_VERIFY(!dialog.previewing());
}

QTEST_MAIN(TestRenderDialog)
#include "tst_renderdialog.moc"
