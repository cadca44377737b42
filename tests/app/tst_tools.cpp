// SPDX-License-Identifier: MIT

// The ツール menu: its windows against the picture library and zomvorn-cli, and the pin that the
// application's own stereograms do not change when the new commands are used.

#include "../cli/clirun.h"

#include "support/controls.h"
#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "app/form2.h"
#include "app/toolwindows.h"
#include "picture/reveal.h"
#include "picture/stereopictures.h"
#include "picture/viewingaids.h"
#include "stereo/stereogramgenerator.h"

#include "ui/picturebox.h"
#include "ui/platform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QScreen>
#include <QImageReader>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using app::Form2;

namespace {

QRgb level(int k) { return ui::toQRgb(ui::QBColor(k)); }

} // namespace

class TestTools : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void levelNumbersSwitchReachesTheEditor();
    void previewStaysUsableWhileTheEditorIsOpen();
    void toolsMenu_data();
    void toolsMenu();
    void secondImageIsTheSameWithTheNewCommands();
    void checkViewShowsWhatRevealWrites();
    void greyLevels_data();
    void greyLevels();
    void toolWindowsOpenInsideTheScreen_data();
    void toolWindowsOpenInsideTheScreen();
    void viewingAidsFollowEachStereogram_data();
    void viewingAidsFollowEachStereogram();
    void exportWritesWhatTheCliWrites_data();
    void exportWritesWhatTheCliWrites();
    void exportDialogRemembersAndSizes();
    void previewFollowsTheCanvas();
    void anaglyphOfHandMadeStereograms_data();
    void anaglyphOfHandMadeStereograms();
    void crossEyedLevels_data();
    void crossEyedLevels();

private:
    QAction *item(const QString &name) const { return m_form2->findChild<QAction *>(name); }
    void makeStereogram();
    // "ツール" → "拡大して保存...": the settings dialog answered, then the save dialog.
    void exportAs(const QString &path, int scale, bool guides, int dpi = 300);
    // A fresh main window, with the map in its depth store, making `runs` stereograms, calling
    // `between` after the first; returns the last.
    QImage session(int runs, const std::function<void(Form2 &)> &between = {});

    ScriptedDialogs *m_dialogs = nullptr;
    Form2 *m_form2 = nullptr;
    std::unique_ptr<QTemporaryDir> m_tmp;
};

void TestTools::initTestCase()
{
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    ui::installPlatform(*QCoreApplication::instance());
}

void TestTools::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    m_dialogs = new ScriptedDialogs;
    m_form2 = new Form2(*m_dialogs, m_tmp->path());
    m_form2->setEndApplication([] {});
    m_form2->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form2));
}

void TestTools::cleanup()
{
    delete m_form2;
    delete m_dialogs;
}

void TestTools::makeStereogram()
{
    QTimer::singleShot(0, m_form2, [this] { m_form2->Form3()->Command1().click(); });
    item(u"MenuMake2"_s)->trigger();
}

void TestTools::exportAs(const QString &path, int scale, bool guides, int dpi)
{
    m_dialogs->fileAnswers.push_back(path);
    QTimer::singleShot(0, m_form2, [=] {
        auto *dialog = dynamic_cast<app::ExportDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->scale().setValue(scale);
        dialog->guides().setChecked(guides);
        dialog->dpi().setValue(dpi);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    item(u"MenuToolsExport"_s)->trigger();
}

QImage TestTools::session(int runs, const std::function<void(Form2 &)> &between)
{
    ScriptedDialogs dialogs;
    Form2 form2(dialogs, m_tmp->path());
    form2.setEndApplication([] {});
    form2.controls().Picture1->setPicture(testimages::shapeMap());
    for (int run = 0; run < runs; ++run) {
        QTimer::singleShot(0, &form2, [&] { form2.Form3()->Command1().click(); });
        form2.findChild<QAction *>(u"MenuMake2"_s)->trigger();
        if (run == 0 && between)
            between(form2);
    }
    return form2.Form3()->Picture1().Image();
}

// The modal editor blocks the main window's other windows; the preview goes along with the editor
// while it is open, and comes back to the main window however the editor goes, closed from its
// title bar included.
void TestTools::previewStaysUsableWhileTheEditorIsOpen()
{
    m_form2->tools().showPreview();
    app::Preview *preview = m_form2->tools().preview();
    QVERIFY(preview->isVisible());
    for (bool titleBar : {false, true}) {
        QWidget *heldBy = nullptr;
        bool shownThen = false;
        QTimer::singleShot(0, [&] {
            auto &editor = m_form2->Form1().get();
            heldBy = preview->parentWidget();
            shownThen = preview->isVisible();
            if (titleBar)
                editor.close();
            else
                editor.controls().Command1->click();
        });
        item(u"MenuMake0"_s)->trigger();
        QVERIFY(heldBy != m_form2);
        QVERIFY(shownThen);
        QCOMPARE(preview->parentWidget(), m_form2);
        QVERIFY(preview->isVisible());
        QCOMPARE(m_form2->tools().preview(), preview);
    }
}

void TestTools::toolsMenu_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("needsStereogram");
    QTest::newRow("check") << u"MenuToolsCheck"_s << u"立体の確認"_s << u"Ctrl+K"_s << true;
    QTest::newRow("view") << u"MenuToolsView"_s << u"見やすく表示"_s << u"Ctrl+L"_s << true;
    QTest::newRow("export") << u"MenuToolsExport"_s << u"拡大して保存..."_s << u"Ctrl+Shift+S"_s
                            << true;
    QTest::newRow("preview") << u"MenuToolsPreview"_s << u"プレビュー"_s << u"Ctrl+P"_s << false;
    QTest::newRow("import") << u"MenuToolImport"_s << u"画像から奥行きマップ..."_s << u"Ctrl+I"_s
                            << false;
    QTest::newRow("animation") << u"MenuToolAnimate"_s << u"アニメーションを作成..."_s << QString()
                               << false;
    QTest::newRow("large stereogram") << u"MenuToolRender"_s << u"大きなステレオグラムを作成..."_s
                                      << QString() << false;
    QTest::newRow("level numbers") << u"MenuToolsLevelNumbers"_s << u"高さを数字で表示"_s
                                   << QString() << false;
}

// The level-number view follows the switch in the editor that is open and in one loaded later,
// and leaves the depth map as it is.
void TestTools::levelNumbersSwitchReachesTheEditor()
{
    QAction *numbers = item(u"MenuToolsLevelNumbers"_s);
    QVERIFY(!m_form2->Form1().isLoaded());
    numbers->setChecked(true);
    QVERIFY(m_form2->Form1()->levelNumbersShown()); // loaded now, with the switch on
    numbers->setChecked(false);
    QVERIFY(!m_form2->Form1()->levelNumbersShown());
}

// Enabled only while there is a stereogram: none before the first, none after "新規作成".
void TestTools::toolsMenu()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(bool, needsStereogram);
    QStringList bar;
    for (QAction *a : m_form2->menuBar()->actions())
        bar << a->text();
    QCOMPARE(bar, (QStringList{u"ファイル"_s, u"作成"_s, u"色の設定"_s, u"ツール"_s, u"ヘルプ"_s}));
    QAction *a = item(name);
    QVERIFY(a);
    QVERIFY(m_form2->findChild<QMenu *>(u"mnTools"_s)->actions().contains(a));
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut(), QKeySequence(shortcut));
    QCOMPARE(a->isEnabled(), !needsStereogram);
    makeStereogram();
    QVERIFY(a->isEnabled());
    m_dialogs->msgBoxAnswers.push_back(ui::MsgBox::Yes);
    item(u"MenuFile0"_s)->trigger();
    QCOMPARE(a->isEnabled(), !needsStereogram);
}

// Image 2 of a session is the same whatever the new commands did after image 1.
void TestTools::secondImageIsTheSameWithTheNewCommands()
{
    const QImage plain = session(2);
    const QString out = m_tmp->filePath(u"big.png"_s);
    const QImage used = session(2, [&](Form2 &form2) {
        auto &tools = form2.tools();
        tools.showCheckView();
        tools.checkView()->markSwitch().setChecked(true);
        tools.showViewingAids();
        for (int view : {0, 1, 2}) {
            tools.viewingAids()->viewChoice().setCurrentIndex(view);
            tools.viewingAids()->scale().setValue(view + 2);
            tools.viewingAids()->saveView(m_tmp->filePath(u"view%1.png"_s.arg(view)));
        }
        tools.writeExport(out, {3, true});
        tools.showPreview();
        tools.preview()->levelColours().setChecked(true);
        form2.Form1()->StampPen(100, 100);
        form2.editingSession().canvasChanged();
    });
    QVERIFY(QFile::exists(out));
    QCOMPARE(used, plain);
    QVERIFY(used != session(1));
}

// Each tool window opens inside the screen's free area and off the main window, whatever the
// scale of 見やすく表示.
void TestTools::toolWindowsOpenInsideTheScreen_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("x1") << 1;
    QTest::newRow("x4") << 4;
}

void TestTools::toolWindowsOpenInsideTheScreen()
{
    QFETCH(int, scale);
    const QRect screen = m_form2->screen()->availableGeometry();
    // The test screen is small (800 x 600): the main window at its top left leaves room.
    m_form2->move(screen.topLeft());
    m_form2->controls().Picture1->setPicture(testimages::shapeMap());
    makeStereogram();
    auto &tools = m_form2->tools();
    tools.showCheckView();
    tools.showViewingAids();
    tools.viewingAids()->scale().setValue(scale);
    tools.showPreview();
    const QRect main = m_form2->frameGeometry();
    for (QWidget *w : std::initializer_list<QWidget *>{tools.checkView(), tools.viewingAids(),
                                                       tools.preview()}) {
        QVERIFY(w->isVisible());
        const QRect frame = w->frameGeometry();
        QVERIFY2(screen.contains(frame), qPrintable(w->windowTitle()));
        QVERIFY2(!frame.intersects(main), qPrintable(w->windowTitle()));
    }
    // The picture is whole: at x4 it scrolls rather than being cut.
    QCOMPARE(tools.viewingAids()->shownImage().width(), 453 * scale);
}

// The check view's greys: level L is grey 17 L; what is no level colour stays.
void TestTools::greyLevels_data()
{
    QTest::addColumn<uint>("in");
    QTest::addColumn<uint>("out");
    QTest::newRow("level 0, black") << 0xff000000u << 0xff000000u;
    QTest::newRow("level 7, light grey") << 0xffc0c0c0u << 0xff777777u;
    QTest::newRow("level 8, grey") << 0xff808080u << 0xff888888u;
    QTest::newRow("level 9, light blue") << 0xff0000ffu << 0xff999999u;
    QTest::newRow("level 14, light yellow") << 0xffffff00u << 0xffeeeeeeu;
    QTest::newRow("level 15, white") << 0xffffffffu << 0xffffffffu;
    QTest::newRow("no level colour") << 0xff123456u << 0xff123456u;
    QTest::newRow("the ambiguity mark") << 0xffff8800u << 0xffff8800u;
}

void TestTools::greyLevels()
{
    QFETCH(uint, in);
    QFETCH(uint, out);
    QImage map(3, 2, QImage::Format_RGB32);
    map.fill(QColor::fromRgb(in));
    const QImage grey = ui::toQImage(picture::greyLevels(ui::fromQImage(map)));
    QCOMPARE(grey.size(), map.size());
    QCOMPARE(grey.pixel(2, 1), QRgb(out));
}

void TestTools::checkViewShowsWhatRevealWrites()
{
    m_form2->controls().Picture1->setPicture(testimages::shapeMap());
    makeStereogram();
    const QString saved = m_tmp->filePath(u"s.bmp"_s);
    QVERIFY(m_form2->saveStereogram(saved, u"test"_s));
    const QString revealed = m_tmp->filePath(u"map.bmp"_s);
    const CliResult cli = runCli({u"reveal"_s, u"-o"_s, revealed, saved});
    QCOMPARE(cli.status, 0);

    item(u"MenuToolsCheck"_s)->trigger();
    app::CheckView *view = m_form2->tools().checkView();
    QVERIFY(view && view->isVisible());
    QCOMPARE(view->windowTitle(), u"立体の確認"_s);
    QCOMPARE(view->shownImage(), QImage(revealed).convertToFormat(QImage::Format_RGB32));
    const picture::Revealed r = picture::reveal(ui::fromQImage(QImage(saved)));
    QVERIFY(r.ambiguous > 0);
    QCOMPARE(view->ambiguityLine().text(), app::CheckView::ambiguityText(r.ambiguous));
    QVERIFY(cli.out.contains(QString::number(r.ambiguous)));
    view->markSwitch().setChecked(true);
    QCOMPARE(qint64(testimages::countOf(view->shownImage(),
                                        ui::RGB(0xff, 0x88, 0x00))),
             r.ambiguous);

    // In greys the marks stay where they were.
    view->greySwitch().setChecked(true);
    QCOMPARE(view->shownImage(),
             ui::toQImage(picture::markAmbiguous(
                 picture::greyLevels(ui::fromQImage(QImage(revealed))), r.ambiguousAt)));
    view->greySwitch().setChecked(false);

    // It follows the next stereogram while open.
    m_form2->controls().Picture1->setPicture(testimages::uniformDepthMap(4));
    makeStereogram();
    view->markSwitch().setChecked(false);
    QCOMPARE(view->shownImage(),
             ui::toQImage(
                 picture::reveal(ui::fromQImage(m_form2->Form3()->Picture1().Image())).depthMap));
}

void TestTools::viewingAidsFollowEachStereogram_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("scale");
    QTest::newRow("parallel x1") << 0 << 1;
    QTest::newRow("parallel x4") << 0 << 4;
    QTest::newRow("cross-eyed x2") << 1 << 2;
    QTest::newRow("anaglyph x3") << 2 << 3;
}

void TestTools::viewingAidsFollowEachStereogram()
{
    QFETCH(int, view);
    QFETCH(int, scale);
    m_form2->controls().Picture1->setPicture(testimages::uniformDepthMap(2));
    makeStereogram();
    item(u"MenuToolsView"_s)->trigger();
    app::ViewingAids *aids = m_form2->tools().viewingAids();
    QVERIFY(aids && aids->isVisible());
    aids->viewChoice().setCurrentIndex(view);
    aids->scale().setValue(scale);
    m_form2->controls().Picture1->setPicture(testimages::shapeMap());
    makeStereogram();
    const picture::Image s = ui::fromQImage(m_form2->Form3()->Picture1().Image());
    const picture::Image expected =
        view == 0 ? picture::printable(s, scale, true)
        : view == 1
            ? picture::printable(
                  stereo::standaloneStereogram(
                      picture::crossEyedDepthMap(ui::fromQImage(testimages::shapeMap())), 2),
                  scale, true)
            : picture::printable(picture::anaglyph(s), scale, false);
    QCOMPARE(aids->shownImage(), ui::toQImage(expected));
    const QString out = m_tmp->filePath(u"view.png"_s);
    m_dialogs->fileAnswers.push_back(out);
    aids->saveButton().click();
    QCOMPARE(m_dialogs->fileDialogs().size(), 1);
    QCOMPARE(m_dialogs->fileDialogs().front().filter, u"PNG ファイル (*.png)|*.png"_s);
    QCOMPARE(m_dialogs->fileDialogs().front().filterIndex, 0);
    QCOMPARE(QImage(out).convertToFormat(QImage::Format_RGB32), ui::toQImage(expected));
    QCOMPARE(overlappingControls(*aids), QStringList());
    // 新規作成 puts the window away, and the stereogram it showed with it.
    QVERIFY(aids->saveButton().isEnabled());
    m_dialogs->msgBoxAnswers.push_back(ui::MsgBox::Yes);
    item(u"MenuFile0"_s)->trigger();
    QVERIFY(!aids->isVisible());
    QVERIFY(aids->shownImage().isNull());
    QVERIFY(!aids->saveButton().isEnabled());
}

void TestTools::exportWritesWhatTheCliWrites_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("guides");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("dpi");
    // What the file says, in dots per metre: 300 dpi is 11811, 600 is 23622, 96 is 3780.
    QTest::addColumn<int>("dotsPerMeter");
    QTest::newRow("x1 bmp") << 1 << false << u"out.bmp"_s << 300 << 11811;
    QTest::newRow("x1 guides png") << 1 << true << u"out.png"_s << 300 << 11811;
    QTest::newRow("x3 bmp 600 dpi") << 3 << false << u"out.bmp"_s << 600 << 23622;
    QTest::newRow("x3 guides bmp") << 3 << true << u"out.bmp"_s << 300 << 11811;
    QTest::newRow("x16 png 96 dpi") << 16 << false << u"out.png"_s << 96 << 3780;
    QTest::newRow("x16 guides png 1200 dpi") << 16 << true << u"out.png"_s << 1200 << 47244;
}

// The first stereogram of a session is what make writes for the same map, byte for byte.
void TestTools::exportWritesWhatTheCliWrites()
{
    QFETCH(int, scale);
    QFETCH(bool, guides);
    QFETCH(QString, name);
    QFETCH(int, dpi);
    QFETCH(int, dotsPerMeter);
    const QString map = m_tmp->filePath(u"map.bmp"_s);
    QVERIFY(testimages::shapeMap().save(map));
    m_form2->controls().Picture1->setPicture(QImage(map));
    makeStereogram();
    const QString desktop = m_tmp->filePath(u"desktop-"_s + name);
    exportAs(desktop, scale, guides, dpi);
    QCOMPARE(m_dialogs->fileDialogs().size(), 1);
    QCOMPARE(m_dialogs->fileDialogs().front().kind, ScriptedDialogs::Asked::Save);
    QCOMPARE(m_dialogs->fileDialogs().front().filter, app::Tools::exportFilter());
    const QString cli = m_tmp->filePath(u"cli-"_s + name);
    QStringList make{u"make"_s, u"-q"_s, u"--scale"_s, QString::number(scale), u"-o"_s, cli,
                     u"--dpi"_s, QString::number(dpi)};
    if (guides)
        make << u"--guides"_s;
    QCOMPARE(runCli(make << map).status, 0);
    const QByteArray bytes = fileBytes(desktop);
    QVERIFY(!bytes.isEmpty());
    QVERIFY(bytes == fileBytes(cli));
    // Qt's reader refuses pictures over 128 MB unless told otherwise, and the x16 exports are
    // larger (the program's own reading used to raise that limit for the whole process).
    QImageReader::setAllocationLimit(512);
    QCOMPARE(QImage(desktop).dotsPerMeterX(), dotsPerMeter);
    QCOMPARE(QImage(desktop).dotsPerMeterY(), dotsPerMeter);
}

void TestTools::exportDialogRemembersAndSizes()
{
    makeStereogram();
    exportAs(m_tmp->filePath(u"a.png"_s), 5, true);
    QCOMPARE(m_form2->tools().exportSettings().scale, 5);
    QVERIFY(m_form2->tools().exportSettings().guides);
    app::ExportDialog dialog(m_form2->tools().exportSettings(), m_form2);
    QCOMPARE(dialog.scale().value(), 5);
    QVERIFY(dialog.guides().isChecked());
    QCOMPARE(dialog.dpi().value(), 300);
    QCOMPARE(dialog.sizeLine().text(), u"2265 × 1765 ピクセル、印刷すると 191.8 × 149.4 mm（300 dpi）"_s);
    dialog.dpi().setValue(600);
    QCOMPARE(dialog.sizeLine().text(), u"2265 × 1765 ピクセル、印刷すると 95.9 × 74.7 mm（600 dpi）"_s);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(overlappingControls(dialog), QStringList());
    dialog.hide();
    // Cancelled, nothing is written and nothing is remembered.
    QTimer::singleShot(0, m_form2, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            QTest::keyClick(w, Qt::Key_Escape);
    });
    item(u"MenuToolsExport"_s)->trigger();
    QCOMPARE(m_dialogs->fileDialogs().size(), 1);
}

// The preview shows the canvas's own stereogram after every stamp, and leaves the application's
// sequence where it was.
void TestTools::previewFollowsTheCanvas()
{
    item(u"MenuToolsPreview"_s)->trigger();
    app::Preview *preview = m_form2->tools().preview();
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(preview->windowTitle(), u"プレビュー"_s);
    QCOMPARE(preview->shownImage(),
             ui::toQImage(stereo::standaloneStereogram(picture::depthMapOf({}), 2)));
    QImage afterStamp;
    QImage canvas;
    QTimer::singleShot(0, m_form2, [&] {
        editor::Form1 &form1 = m_form2->Form1().get();
        QTest::mousePress(form1.controls().Picture1, Qt::LeftButton, {}, QPoint(120, 90));
        QTest::mouseRelease(form1.controls().Picture1, Qt::LeftButton, {}, QPoint(120, 90));
        afterStamp = preview->shownImage();
        canvas = form1.controls().Picture1->Image();
        form1.Command1_Click();
    });
    item(u"MenuMake0"_s)->trigger();
    QVERIFY(!canvas.isNull());
    QCOMPARE(afterStamp, ui::toQImage(stereo::standaloneStereogram(ui::fromQImage(canvas), 2)));
    item(u"MenuIro0"_s)->trigger();
    QCOMPARE(preview->shownImage(),
             ui::toQImage(stereo::standaloneStereogram(ui::fromQImage(canvas), 0)));
    preview->levelColours().setChecked(true);
    QCOMPARE(preview->shownImage(),
             ui::toQImage(
                 picture::reveal(stereo::standaloneStereogram(ui::fromQImage(canvas), 0))
                     .depthMap));
    makeStereogram();
    ScriptedDialogs dialogs;
    Form2 fresh(dialogs, m_tmp->path());
    fresh.controls().Picture1->setPicture(canvas);
    fresh.MenuIro_Click(0);
    QTimer::singleShot(0, &fresh, [&] { fresh.Form3()->Command1().click(); });
    fresh.MenuMake_Click(2);
    QCOMPARE(m_form2->Form3()->Picture1().Image(), fresh.Form3()->Picture1().Image());
}

void TestTools::anaglyphOfHandMadeStereograms_data()
{
    QTest::addColumn<QImage>("stereogram");
    QTest::addColumn<QImage>("expected");
    // 62 x 1: red from x, green and blue from x + 60, as greys.
    QImage s(62, 1, QImage::Format_RGB32);
    s.fill(qRgb(0, 0, 0));
    s.setPixel(0, 0, qRgb(250, 10, 10));
    s.setPixel(60, 0, qRgb(10, 10, 250));
    s.setPixel(61, 0, qRgb(200, 200, 200));
    QImage e(2, 1, QImage::Format_RGB32);
    e.setPixel(0, 0, qRgb(qGray(250, 10, 10), qGray(10, 10, 250), qGray(10, 10, 250)));
    e.setPixel(1, 0, qRgb(0, 200, 200));
    QTest::newRow("two columns") << s << e;
    QImage flat(61, 2, QImage::Format_RGB32);
    flat.fill(qRgb(100, 100, 250));
    QImage flatOut(1, 2, QImage::Format_RGB32);
    const int g = qGray(100, 100, 250);
    flatOut.fill(qRgb(g, g, g));
    QTest::newRow("one column, two rows") << flat << flatOut;
    QTest::newRow("too narrow") << QImage(60, 3, QImage::Format_RGB32) << QImage();
}

void TestTools::anaglyphOfHandMadeStereograms()
{
    QFETCH(QImage, stereogram);
    QFETCH(QImage, expected);
    QCOMPARE(ui::toQImage(picture::anaglyph(ui::fromQImage(stereogram))), expected);
}

void TestTools::crossEyedLevels_data()
{
    QTest::addColumn<QRgb>("in");
    QTest::addColumn<QRgb>("out");
    for (int k : {0, 1, 7, 8, 14, 15})
        QTest::addRow("level %d", k) << level(k) << level(15 - k);
    QTest::newRow("no level") << qRgb(1, 2, 3) << qRgb(1, 2, 3);
}

void TestTools::crossEyedLevels()
{
    QFETCH(QRgb, in);
    QFETCH(QRgb, out);
    QImage map(3, 2, QImage::Format_RGB32);
    map.fill(in);
    QImage expected(3, 2, QImage::Format_RGB32);
    expected.fill(out);
    QCOMPARE(ui::toQImage(picture::crossEyedDepthMap(ui::fromQImage(map))), expected);
}

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
