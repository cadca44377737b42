// SPDX-License-Identifier: MIT

// zomvorn-cli against the desktop program itself: the same maps loaded in the editor of a fresh
// main window, "編集終了", "ランダムドット作成", "名前を付けて保存", driven through Form2's own
// commands with scripted dialogs, must give the very same files.

#include "clirun.h"

#include "support/scripteddialogs.h"

#include "app/form2.h"
#include "editor/depthmapfile.h"

#include "ui/platform.h"

#include <QAction>
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
            const auto &controls = form2.Form1().get().controls();
            dialogs.fileAnswers.push_back(maps[k]);
            controls.Command2->click(); // "ファイル読み込み"
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
    if (!dialogs.messages().isEmpty())
        qWarning() << "the desktop program said" << dialogs.messages().constFirst().text;
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
    QCOMPARE(result.err, QString());

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

QTEST_MAIN(TestCliIdentity)
#include "tst_cliidentity.moc"
