// SPDX-License-Identifier: MIT

#include "support/controls.h"
#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "../cli/clirun.h"

#include "app/animationdialog.h"
#include "app/form2.h"

#include "ui/picturebox.h"
#include "ui/platform.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace Qt::StringLiterals;

class TestAnimationDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void sameFileAsTheCli_data();
    void sameFileAsTheCli();
    void nothingWritten_data();
    void nothingWritten();
    void neverOverAMap_data();
    void neverOverAMap();
    void mapList();
    void applicationSequenceUntouched();

private:
    QString path(const QString &name) const { return m_work.filePath(name); }
    QStringList files() const { return m_work.entryList(QDir::Files, QDir::Name); }
    QStringList maps(int count);

    QTemporaryDir m_dir;
    QDir m_work;
};

void TestAnimationDialog::initTestCase()
{
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    ui::installPlatform(*QCoreApplication::instance());
}

void TestAnimationDialog::init()
{
    const QString name = QString::fromLatin1(QTest::currentTestFunction()) + u'-'
                         + QString::number(qHash(QString::fromUtf8(QTest::currentDataTag())));
    QVERIFY(QDir(m_dir.path()).mkpath(name));
    m_work.setPath(m_dir.filePath(name));
}

QStringList TestAnimationDialog::maps(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names << path(u"map%1.png"_s.arg(i));
        shapesMap(quint32(i + 10), false).save(names.last());
    }
    return names;
}

void TestAnimationDialog::sameFileAsTheCli_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("maps");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<int>("colour");
    QTest::addColumn<int>("delay");
    // The first map a grey sphere on black instead: converted on both paths, and said so.
    QTest::addColumn<bool>("greyFirst");
    // The first map comes from the main window (いまのマップを追加), not from its file.
    QTest::addColumn<bool>("current");
    QTest::newRow("gif of three maps") << u"a.gif"_s << 3 << 0 << QPoint() << 2 << 100 << false
                                       << false;
    QTest::newRow("webp, one map moving") << u"a.webp"_s << 1 << 4 << QPoint(25, -3) << 0 << 250
                                          << false << false;
    QTest::newRow("webp, a grey map among two") << u"g.webp"_s << 2 << 0 << QPoint() << 2 << 100
                                                << true << false;
    QTest::newRow("gif, the current map first")
        << u"a.gif"_s << 3 << 0 << QPoint() << 1 << 100 << false << true;
    QTest::newRow("webp, the current map moving")
        << u"a.webp"_s << 1 << 3 << QPoint(-7, 2) << 2 << 100 << false << true;
}

void TestAnimationDialog::sameFileAsTheCli()
{
    QFETCH(QString, output);
    QFETCH(int, maps);
    QFETCH(int, frames);
    QFETCH(QPoint, move);
    QFETCH(int, colour);
    QFETCH(int, delay);
    QFETCH(bool, greyFirst);
    QFETCH(bool, current);
    const QStringList names = this->maps(maps);
    if (greyFirst) {
        const QImage sphere = testimages::sphereOnBlack({640, 480}, 180, {320, 240});
        QVERIFY(sphere.save(names[0]));
    }
    ScriptedDialogs dialogs;
    app::AnimationDialog dialog(dialogs, 2);
    QVERIFY(!dialog.AddCurrent->isEnabled());
    if (current) {
        dialog.offerCurrentMap(QImage(names.front()));
        dialog.AddCurrent->click();
        QCOMPARE(dialog.Files->item(0)->text(), u"いまのマップ（編集終了で渡したもの）"_s);
        dialog.Files->addItems(names.mid(1));
    } else {
        dialog.Files->addItems(names);
    }
    dialog.Frames->setValue(frames);
    dialog.MoveX->setValue(move.x());
    dialog.MoveY->setValue(move.y());
    dialog.Colour->setCurrentIndex(colour);
    dialog.Delay->setValue(delay);
    dialog.Output->setText(path(u"gui-"_s + output));
    dialog.start();
    QVERIFY(dialog.running());
    QTRY_VERIFY(!dialog.running());
    QVERIFY(dialogs.messages().isEmpty());
    QCOMPARE(dialog.Status->text().contains(
                 u"%1: 灰色の奥行きマップ。「画像から奥行きマップ」の最初の設定で変換しました。"_s.arg(
                     QDir::toNativeSeparators(names[0]))),
             greyFirst);

    QStringList command{u"make"_s, u"-q"_s, u"--animate"_s, path(u"cli-"_s + output),
                        u"--colour"_s, QStringList{u"red"_s, u"green"_s, u"blue"_s}[colour],
                        u"--delay"_s, QString::number(delay)};
    if (frames > 0)
        command << u"--frames"_s << QString::number(frames) << u"--move"_s
                << u"%1,%2"_s.arg(move.x()).arg(move.y());
    const CliResult cli = runCli(command + names);
    QVERIFY2(cli.status == cli::Done, qPrintable(cli.err));
    const QByteArray made = fileBytes(path(u"gui-"_s + output));
    QVERIFY(made.size() > 1000);
    QCOMPARE(made, fileBytes(path(u"cli-"_s + output)));
}

void TestAnimationDialog::nothingWritten_data()
{
    QTest::addColumn<bool>("badMap");
    QTest::addColumn<bool>("existing");
    // Cancelled while the maps are read, before any frame.
    QTest::addColumn<bool>("whileReading");
    QTest::newRow("bad map among many") << true << false << false;
    QTest::newRow("bad map, file there") << true << true << false;
    QTest::newRow("cancelled") << false << false << false;
    QTest::newRow("cancelled, file there") << false << true << false;
    QTest::newRow("cancelled reading") << false << false << true;
    QTest::newRow("cancelled reading, file there") << false << true << true;
    QTest::newRow("cancelled reading, bad map") << true << false << true;
}

// A bad map is named with its reason before anything is written; a cancelled job leaves nothing.
void TestAnimationDialog::nothingWritten()
{
    QFETCH(bool, badMap);
    QFETCH(bool, existing);
    QFETCH(bool, whileReading);
    QStringList names = maps(12);
    if (badMap) {
        QFile bad(path(u"broken.bmp"_s));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("BM not really");
        names.insert(7, bad.fileName());
    }
    if (existing) {
        QFile old(path(u"out.webp"_s));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the old file");
    }
    const QStringList before = files();
    ScriptedDialogs dialogs;
    app::AnimationDialog dialog(dialogs, 2);
    dialog.Files->addItems(names);
    dialog.Output->setText(path(u"out.webp"_s));
    dialog.start();
    QVERIFY(dialog.running());
    if (whileReading) {
        // The reading has not been answered yet: no event has been handled since start().
        QVERIFY(dialog.checking());
        dialog.Cancel->click();
        QVERIFY(!dialog.running());
        QVERIFY(!dialog.Make->isEnabled());
        QTRY_VERIFY(dialog.Make->isEnabled());
        QVERIFY(!dialog.running());
        QVERIFY(dialogs.messages().isEmpty());
        QCOMPARE(dialog.Status->text(), u"キャンセルしました。何も保存していません。"_s);
    } else if (badMap) {
        QTRY_VERIFY(!dialog.running());
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages()[0].text.contains(u"broken.bmp"_s));
    } else {
        // Cancelled while frames are made: the reading of the maps is over.
        QTRY_VERIFY(!dialog.checking() && dialog.Progress->value() >= 2);
        QVERIFY(dialog.running());
        dialog.Cancel->click();
        QVERIFY(!dialog.running());
        QVERIFY(dialog.Make->isEnabled());
        QVERIFY(dialogs.messages().isEmpty());
    }
    QCOMPARE(files(), before);
    if (existing)
        QCOMPARE(fileBytes(path(u"out.webp"_s)), QByteArray("the old file"));
}

void TestAnimationDialog::neverOverAMap_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("the map's own name") << false;
    QTest::newRow("a link to the map") << true;
}

// The animation is never written over a map it reads, by its name or through a link to it.
void TestAnimationDialog::neverOverAMap()
{
    QFETCH(bool, throughLink);
    const QStringList names = maps(2);
    const QString map = path(u"map.gif"_s);
    QVERIFY(QFile::copy(names[1], map));
    const QByteArray before = fileBytes(map);
    QString output = map;
    if (throughLink) {
        output = path(u"out.gif"_s);
        QVERIFY(QFile::link(map, output));
    }
    ScriptedDialogs dialogs;
    app::AnimationDialog dialog(dialogs, 2);
    dialog.Files->addItems({names[0], map});
    dialog.Output->setText(output);
    dialog.start();
    QVERIFY(!dialog.running());
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages()[0].text, u"保存先が奥行きマップと同じファイルです。"_s);
    QCOMPARE(fileBytes(map), before);
}

// Every control apart from the others. 追加 opens where the list's last map is and adds what was
// chosen; 削除 takes the selected row out.
void TestAnimationDialog::mapList()
{
    ScriptedDialogs dialogs;
    dialogs.fileAnswers = {u"/maps/a.png"_s, u"/maps/b.png"_s, std::nullopt};
    app::AnimationDialog dialog(dialogs, 2);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(overlappingControls(dialog), QStringList());
    for (int i = 0; i < 3; ++i)
        dialog.AddFiles->click();
    QCOMPARE(dialogs.fileDialogs().size(), 3);
    QCOMPARE(dialogs.fileDialogs()[0].fileName, QString());
    QCOMPARE(dialogs.fileDialogs()[1].fileName, u"/maps/a.png"_s);
    QCOMPARE(dialogs.fileDialogs()[2].fileName, u"/maps/b.png"_s);
    QCOMPARE(dialog.Files->count(), 2);
    dialog.Files->setCurrentRow(0);
    dialog.RemoveFile->click();
    QCOMPARE(dialog.Files->count(), 1);
    QCOMPARE(dialog.Files->item(0)->text(), u"/maps/b.png"_s);
}

// Image n of ランダムドット作成 is the same whether an animation was made in between or not.
void TestAnimationDialog::applicationSequenceUntouched()
{
    const QStringList names = maps(2);
    QList<QImage> second;
    for (const bool animate : {false, true}) {
        ScriptedDialogs dialogs;
        app::Form2 form2(dialogs, m_work.path());
        form2.setEndApplication([] {});
        auto make = [&] {
            QTimer::singleShot(0, [&] { form2.Form3()->Command1().click(); });
            form2.findChild<QAction *>(u"MenuMake2"_s)->trigger();
        };
        make();
        if (animate) {
            bool made = false;
            QTimer::singleShot(0, [&] {
                auto *dialog =
                    dynamic_cast<app::AnimationDialog *>(QApplication::activeModalWidget());
                if (!dialog)
                    return closeModalWindows();
                dialog->Files->addItems(names);
                dialog->Output->setText(path(u"between.gif"_s));
                dialog->start();
                while (dialog->running())
                    QCoreApplication::processEvents();
                made = QFile::exists(path(u"between.gif"_s));
                dialog->Cancel->click();
            });
            form2.findChild<QAction *>(u"MenuToolAnimate"_s)->trigger();
            QVERIFY(made);
        }
        make();
        second << form2.Form3()->Picture1().Image();
    }
    QCOMPARE(second[1], second[0]);
}

QTEST_MAIN(TestAnimationDialog)
#include "tst_animationdialog.moc"
