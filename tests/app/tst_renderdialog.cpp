// SPDX-License-Identifier: MIT

#include "support/scripteddialogs.h"

#include "../cli/clirun.h"

#include "app/renderdialog.h"

#include "picture/colour.h"
#include "ui/platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestRenderDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameFileAsTheCli_data();
    void sameFileAsTheCli();
    void cancelledLeavesNoFile();
    void previewOffTheThread();

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
    QTest::newRow("png, blue, x1") << u"a.png"_s << 5 << 0 << false
                                   << QStringList{u"--pattern"_s, u"blue"_s};
    QTest::newRow("bmp, colour, x4, guides")
        << u"b.bmp"_s << 2 << 3 << true
        << QStringList{u"--pattern"_s, u"colour"_s, u"--oversample"_s, u"4"_s, u"--guides"_s};
    QTest::newRow("webp, bw, x2") << u"c.webp"_s << 0 << 1 << false
                                  << QStringList{u"--pattern"_s, u"bw"_s, u"--oversample"_s,
                                                 u"2"_s};
}

void TestRenderDialog::sameFileAsTheCli()
{
    QFETCH(QString, name);
    QFETCH(int, pattern);
    QFETCH(int, oversample);
    QFETCH(bool, guides);
    QFETCH(QStringList, options);
    ScriptedDialogs dialogs;
    app::RenderDialog dialog(dialogs, QImage());
    dialog.Source->setCurrentIndex(1);
    dialog.Picture->setText(mapPath());
    dialog.Width->setValue(800);
    dialog.Height->setValue(450);
    dialog.Dpi->setValue(120);
    dialog.Eye->setValue(60.0);
    dialog.Depth->setValue(0.3);
    dialog.Pattern->setCurrentIndex(pattern);
    dialog.Oversample->setCurrentIndex(oversample);
    dialog.Guides->setChecked(guides);
    dialog.Seed->setValue(7);
    const QString gui = m_dir.filePath(u"gui-"_s + name);
    QVERIFY(dialog.save(gui));
    QTRY_VERIFY(!dialog.saving());
    QVERIFY(dialogs.messages().isEmpty());

    const QString cli = m_dir.filePath(u"cli-"_s + name);
    const CliResult r = runCli(QStringList{u"render"_s, u"-q"_s, u"--size"_s, u"800x450"_s,
                                           u"--dpi"_s, u"120"_s, u"--eye"_s, u"60mm"_s,
                                           u"--depth"_s, u"0.3"_s, u"--seed"_s, u"7"_s}
                               + options + QStringList{mapPath(), u"-o"_s, cli});
    QVERIFY2(r.status == cli::Done, qPrintable(r.err));
    const QByteArray made = fileBytes(gui);
    QVERIFY(made.size() > 1000);
    QCOMPARE(made, fileBytes(cli));
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

QTEST_MAIN(TestRenderDialog)
#include "tst_renderdialog.moc"
