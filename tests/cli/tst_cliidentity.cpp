// SPDX-License-Identifier: MIT

// zomvorn-cli against the desktop program itself: the same maps loaded in the editor of a fresh
// main window, "編集終了", "ランダムドット作成", "名前を付けて保存", driven through Form2's own
// commands with scripted dialogs, must give the very same files.

#include "clirun.h"

#include "support/scripteddialogs.h"

#include "app/form2.h"
#include "editor/depthmapfile.h"
#include "editor/form1.h"
#include "editor/importdialog.h"

#include "ui/dialogs.h"
#include "ui/picturebox.h"
#include "ui/platform.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// A map file: a picture and the format and pixel layout it is written in.
struct MapFile
{
    QImage picture;
    QByteArray format = "bmp";
};

QImage greyRamp(QSize size)
{
    QImage ramp(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            ramp.setPixel(x, y, qRgb(x * 255 / size.width(), y % 256, 128));
    return ramp;
}

QImage levelNoise(quint32 seed)
{
    QRandomGenerator random(seed);
    QImage map(389, 333, QImage::Format_RGB32);
    for (int y = 0; y < map.height(); ++y)
        for (int x = 0; x < map.width(); ++x)
            map.setPixel(x, y, ui::toQRgb(ui::QBColor(int(random.bounded(16)))));
    return map;
}

QImage withTransparency()
{
    QImage picture(300, 200, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.fillRect(20, 20, 150, 100, QColor(255, 255, 255, 255));
    painter.fillRect(100, 60, 150, 100, QColor(0, 0, 255, 128));
    return picture;
}

QImage indexed(const QImage &map)
{
    return map.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

} // namespace

class TestCliIdentity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameFilesAsTheDesktopProgram_data();
    void sameFilesAsTheDesktopProgram();
    void pngHoldsTheSamePixels();
    void oneThreadOrMany();
    void importEqualsLevels_data();
    void importEqualsLevels();

private:
    // Writes the maps into the folder; returns their paths.
    QStringList writeMaps(const QList<MapFile> &maps, const QString &stem);
    // A fresh desktop session: each map loaded in the editor, handed back, made and saved.
    QList<QByteArray> desktopSession(const QStringList &maps, int iroIndex);

    QTemporaryDir m_dir;
};

void TestCliIdentity::initTestCase()
{
    QVERIFY(m_dir.isValid());
    ui::installPlatform(*QCoreApplication::instance());
}

QStringList TestCliIdentity::writeMaps(const QList<MapFile> &maps, const QString &stem)
{
    QStringList paths;
    for (int i = 0; i < maps.size(); ++i) {
        // "kept": as the editor's 奥行きマップを保存 writes it.
        const bool kept = maps[i].format == "kept";
        const QString path = m_dir.filePath(
            u"%1-%2.%3"_s.arg(stem).arg(i).arg(kept ? u"png"_s : QString::fromLatin1(maps[i].format)));
        if (kept)
            editor::saveDepthMap(maps[i].picture, path);
        else if (!maps[i].picture.save(path, maps[i].format.constData()))
            return {};
        paths << path;
    }
    return paths;
}

QList<QByteArray> TestCliIdentity::desktopSession(const QStringList &maps, int iroIndex)
{
    ScriptedDialogs dialogs;
    app::Form2 form2(dialogs, m_dir.path());
    form2.setEndApplication([] {});
    form2.show();
    auto menu = [&](const QString &name) { return form2.findChild<QAction *>(name); };
    if (iroIndex != 2)
        menu(u"MenuIro%1"_s.arg(iroIndex))->trigger();
    QList<QByteArray> saved;
    for (int k = 0; k < maps.size(); ++k) {
        QTimer::singleShot(0, [&] {
            editor::Form1 &editor = form2.Form1().get();
            const auto &controls = editor.controls();
            // A depth picture not drawn in level colours: はい, then the import dialog's OK.
            dialogs.modal = [](QDialog &) { return int(QDialog::Accepted); };
            dialogs.msgBoxAnswers.push_back(ui::MsgBox::Yes);
            dialogs.fileAnswers.push_back(maps[k]);
            controls.Command2->click(); // "ファイル読み込み"
            dialogs.msgBoxAnswers.clear();
            controls.Command1->click(); // "編集終了"
        });
        menu(u"MenuMake0"_s)->trigger();
        QTimer::singleShot(0, [&] { form2.Form3()->Command1().click(); });
        menu(u"MenuMake2"_s)->trigger();
        const QString path = m_dir.filePath(u"desktop-%1.bmp"_s.arg(k + 1));
        dialogs.fileAnswers.push_back(path);
        menu(u"MenuFile2"_s)->trigger();
        saved << fileBytes(path);
    }
    for (const auto &message : dialogs.messages())
        if (!message.text.contains(u"高さの色では描かれていません"_s))
            qWarning() << "the desktop program said" << message.text;
    return saved;
}

void TestCliIdentity::sameFilesAsTheDesktopProgram_data()
{
    QTest::addColumn<QList<MapFile>>("maps");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("iroIndex");

    QTest::newRow("one map, blue by default") << QList<MapFile>{{shapesMap(1, false)}}
                                              << QString() << 2;
    QTest::newRow("three maps in a row, red")
        << QList<MapFile>{{shapesMap(2, false)}, {shapesMap(3, true)}, {shapesMap(4, false)}}
        << u"red"_s << 0;
    QTest::newRow("off-palette maps carry the level on, green")
        << QList<MapFile>{{shapesMap(5, true)}, {greyRamp({389, 333})}, {shapesMap(6, true)}}
        << u"緑"_s << 1;
    QTest::newRow("one map three times, blue")
        << QList<MapFile>{{shapesMap(7, false)}, {shapesMap(7, false)}, {shapesMap(7, false)}}
        << u"blue"_s << 2;
    QTest::newRow("maps kept by the editor") << QList<MapFile>{{shapesMap(3, false), "kept"},
                                                               {levelNoise(9), "kept"}}
                                             << QString() << 2;
    QTest::newRow("a level of its own in every pixel") << QList<MapFile>{{levelNoise(8)}}
                                                       << u"青"_s << 2;
    QTest::newRow("larger, smaller, indexed, PNG, transparent")
        << QList<MapFile>{{shapesMap(9, false, {500, 400}), "png"},
                          {indexed(shapesMap(10, false, {120, 80})), "bmp"},
                          {withTransparency(), "png"},
                          {greyRamp({389, 333}).convertToFormat(QImage::Format_RGB888), "bmp"}}
        << u"赤"_s << 0;
}

void TestCliIdentity::sameFilesAsTheDesktopProgram()
{
    QFETCH(QList<MapFile>, maps);
    QFETCH(QString, colour);
    QFETCH(int, iroIndex);

    const QString stem = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
    const QStringList paths = writeMaps(maps, stem.left(12));
    QCOMPARE(paths.size(), maps.size());

    QStringList arguments{u"make"_s, u"-q"_s, u"-o"_s, m_dir.filePath(u"cli-{n}.bmp"_s)};
    if (!colour.isEmpty())
        arguments << u"--colour"_s << colour;
    const CliResult result = runCli(arguments + paths);
    QVERIFY2(result.status == cli::Done, qPrintable(result.err));
    // Nothing but the line about each depth picture converted.
    for (const QString &line : result.err.split(u'\n', Qt::SkipEmptyParts))
        QVERIFY2(line.endsWith(u", converted as `levels --near auto --far auto`"_s), qPrintable(line));

    const QList<QByteArray> desktop = desktopSession(paths, iroIndex);
    for (int k = 0; k < paths.size(); ++k) {
        const QByteArray made = fileBytes(m_dir.filePath(u"cli-%1.bmp"_s.arg(k + 1)));
        QVERIFY(!made.isEmpty());
        QVERIFY2(made == desktop[k], qPrintable(u"stereogram %1 differs"_s.arg(k + 1)));
    }
}

void TestCliIdentity::pngHoldsTheSamePixels()
{
    const QStringList paths = writeMaps({{shapesMap(11, true)}, {shapesMap(12, false)}}, u"png"_s);
    QCOMPARE(runCli({u"make"_s, u"-o"_s, m_dir.filePath(u"as-{n}.png"_s), paths[0], paths[1]})
                 .status,
             int(cli::Done));
    const QList<QByteArray> desktop = desktopSession(paths, 2);
    for (int k = 0; k < 2; ++k) {
        const QImage png(m_dir.filePath(u"as-%1.png"_s.arg(k + 1)), "png");
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32),
                 QImage::fromData(desktop[k], "bmp").convertToFormat(QImage::Format_RGB32));
    }
}

void TestCliIdentity::oneThreadOrMany()
{
    QList<MapFile> maps;
    for (quint32 seed = 20; seed < 32; ++seed)
        maps << MapFile{shapesMap(seed, seed % 3 == 0)};
    const QStringList paths = writeMaps(maps, u"threads"_s);
    const int threads = QThreadPool::globalInstance()->maxThreadCount();
    QList<QByteArray> outputs[2];
    for (int pass = 0; pass < 2; ++pass) {
        QThreadPool::globalInstance()->setMaxThreadCount(pass == 0 ? 1 : std::max(4, threads));
        const QString pattern = m_dir.filePath(u"pass%1-{n}.bmp"_s.arg(pass));
        QCOMPARE(runCli(QStringList{u"make"_s, u"-o"_s, pattern} + paths).status, int(cli::Done));
        for (int k = 1; k <= paths.size(); ++k)
            outputs[pass] << fileBytes(m_dir.filePath(u"pass%1-%2.bmp"_s.arg(pass).arg(k)));
    }
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    QCOMPARE(outputs[0], outputs[1]);
}

// The import dialog's controls as a row sets them.
struct ImportControls
{
    bool invert = false;
    bool automatic = true;
    int nearGrey = 0;
    int farGrey = 0;
    int noData = -1;
    double gamma = 1.0;
    int fit = 0;
    int smooth = 0;
};

// Each row: a picture, the dialog's settings, and the levels options that say the same. ツール >
// 画像から奥行きマップ..., OK, 編集終了: the main window's depth map has the CLI file's pixels.
void TestCliIdentity::importEqualsLevels_data()
{
    QTest::addColumn<MapFile>("file");
    QTest::addColumn<ImportControls>("controls");
    QTest::addColumn<QStringList>("options");
    QImage grey16(700, 300, QImage::Format_Grayscale16);
    for (int y = 0; y < grey16.height(); ++y)
        for (int x = 0; x < grey16.width(); ++x)
            reinterpret_cast<quint16 *>(grey16.scanLine(y))[x] =
                quint16((x / 50 + y / 30) % 3 == 0 ? 0 : 12000 + x * 7 + y * 3);
    const MapFile ramp{greyRamp({450, 300}), "png"};
    const MapFile deep{grey16, "png"};
    const MapFile photo{greyRamp({300, 420}), "jpg"};
    QTest::newRow("8-bit, automatic") << ramp << ImportControls{}
                                      << QStringList{u"--near"_s, u"auto"_s, u"--far"_s, u"auto"_s};
    QTest::newRow("8-bit, set, inverted, gamma, fill")
        << ramp << ImportControls{true, false, 40, 200, -1, 1.7, 1, 0}
        << QStringList{u"--invert"_s, u"--near"_s, u"40"_s, u"--far"_s, u"200"_s, u"--gamma"_s,
                       u"1.7"_s, u"--fit"_s, u"fill"_s};
    QTest::newRow("16-bit, no data, smoothed, automatic")
        << deep << ImportControls{false, true, 0, 0, 0, 1.0, 0, 2}
        << QStringList{u"--near"_s, u"auto"_s, u"--far"_s, u"auto"_s, u"--no-data"_s, u"0"_s,
                       u"--smooth"_s, u"2"_s};
    QTest::newRow("16-bit, set, stretch, inverted")
        << deep << ImportControls{true, false, 13000, 16000, -1, 0.5, 2, 1}
        << QStringList{u"--invert"_s, u"--near"_s, u"13000"_s, u"--far"_s, u"16000"_s,
                       u"--gamma"_s, u"0.5"_s, u"--fit"_s, u"stretch"_s, u"--smooth"_s, u"1"_s};
    QTest::newRow("JPEG, 1:1, no data 0") << photo << ImportControls{false, true, 0, 0, 0, 1.0, 3, 3}
                                          << QStringList{u"--near"_s, u"auto"_s, u"--far"_s,
                                                         u"auto"_s, u"--no-data"_s, u"0"_s,
                                                         u"--fit"_s, u"none"_s, u"--smooth"_s,
                                                         u"3"_s};
}

void TestCliIdentity::importEqualsLevels()
{
    QFETCH(MapFile, file);
    QFETCH(ImportControls, controls);
    QFETCH(QStringList, options);
    const QStringList paths = writeMaps({file}, u"import"_s);
    QCOMPARE(paths.size(), 1);
    const QString out = m_dir.filePath(u"import-levels.png"_s);
    const CliResult result = runCli(QStringList{u"levels"_s} + options
                                    + QStringList{paths[0], u"-o"_s, out});
    QVERIFY2(result.status == cli::Done, qPrintable(result.err));

    ScriptedDialogs dialogs;
    app::Form2 form2(dialogs, m_dir.path());
    form2.setEndApplication([] {});
    form2.show();
    dialogs.modal = [&](QDialog &dialog) {
        auto &d = static_cast<editor::ImportDialog &>(dialog);
        d.invert->setChecked(controls.invert);
        d.automatic->setChecked(controls.automatic);
        if (!controls.automatic) {
            d.nearGrey->setValue(controls.nearGrey);
            d.farGrey->setValue(controls.farGrey);
        }
        d.noDataOn->setChecked(controls.noData >= 0);
        d.noData->setValue(std::max(0, controls.noData));
        d.gamma->setValue(controls.gamma);
        d.fit->setCurrentIndex(controls.fit);
        d.smooth->setValue(controls.smooth);
        if (!QTest::qWaitFor([&] { return !d.placing(); }))
            return int(QDialog::Rejected);
        // "編集終了" once the editor shows the map: the picture is read while the window answers.
        QTimer::singleShot(0, [&] { form2.Form1()->controls().Command1->click(); });
        return int(QDialog::Accepted);
    };
    dialogs.fileAnswers.push_back(paths[0]);
    form2.findChild<QAction *>(u"MenuToolImport"_s)->trigger();
    QVERIFY(dialogs.messages().isEmpty());
    QCOMPARE(form2.controls().Picture1->Image().convertToFormat(QImage::Format_RGB32),
             QImage(out).convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(TestCliIdentity)
#include "tst_cliidentity.moc"
