// SPDX-License-Identifier: MIT

#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "app/form2.h"
#include "editor/draftstore.h"

#include "ui/picturebox.h"
#include "ui/platform.h"
#include "ui/progressbar.h"
#include "ui/shape.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QScreen>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;
using app::Form2;
using ui::QBColor;
using ui::RGB;

class TestForm2 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startState();
    void menus_data();
    void menus();
    void windowAndDrawingAreaSizes();
    void secondaryWindowsAreOwnedByTheMainWindow_data();
    void secondaryWindowsAreOwnedByTheMainWindow();
    void labels_data();
    void labels();
    void disabledShortcutDoesNothing();
    void f10OpensTheFirstMenu_data();
    void f10OpensTheFirstMenu();
    void closingEndsTheApplicationAtOnce();

    void colourMenuMovesTheCheckMark();
    void colourMenuTintsTheNextRun();
    void makeCommandDrawsAndShowsTheStereogram();
    void displayClosedFromItsTitleBarKeepsTheStereogram();
    void editCommandHandsTheDepthMapBack();
    void theMainWindowGetsTheKeyboardBack_data();
    void theMainWindowGetsTheKeyboardBack();

    void newDataAnsweredNoChangesNothing();
    void newDataAnsweredYesBlanksEverything();
    void saveAsWritesTheStereogram();
    void saveAsOpensOnTheFirstFilterEveryTime();
    void saveAsCancelledWritesNothing();
    void saveAsOpensWithTheRememberedName();
    void saveEnabledState_data();
    void saveEnabledState();
    void failedSaveAsIsReportedAndKeepsRunning();
    void saveWritesUnderTheRememberedName();
    void exitEndsTheApplication();
    void helpStartsTheViewerWithTheHelpFile();
    void about();
    void draftLeftByAnEndedInstance_data();
    void draftLeftByAnEndedInstance();
    void everyDraftIsListed();

private:
    QAction *item(const char *name) const
    {
        return m_form2->findChild<QAction *>(QString::fromLatin1(name));
    }
    // Runs the command while answering the modal display window with "OK".
    void makeStereogram();
    bool saveAs(const QString &path);

    ScriptedDialogs *m_dialogs = nullptr;
    Form2 *m_form2 = nullptr;
    int m_ended = 0;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QDir m_dir;
};

void TestForm2::initTestCase()
{
    // Drafts go to a folder of this test's own, never into the user's home.
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    ui::installPlatform(*QCoreApplication::instance());
}

void TestForm2::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_dir.setPath(m_tmp->path());
    m_dialogs = new ScriptedDialogs;
    m_form2 = new Form2(*m_dialogs, m_dir.path());
    m_ended = 0;
    m_form2->setEndApplication([this] { ++m_ended; });
    m_form2->show();
    m_form2->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form2));
}

void TestForm2::cleanup()
{
    delete m_form2;
    delete m_dialogs;
}

void TestForm2::makeStereogram()
{
    QTimer::singleShot(0, [this] { m_form2->Form3()->Command1().click(); });
    item("MenuMake2")->trigger();
}

bool TestForm2::saveAs(const QString &path)
{
    m_dialogs->fileAnswers.push_back(path);
    item("MenuFile2")->trigger();
    return QFile::exists(path);
}

void TestForm2::startState()
{
    QCOMPARE(int(m_form2->IroIndex()), 2);
    QCOMPARE(m_form2->windowTitle(), u"ZOMIRA -VORNA-"_s);
    QVERIFY(!m_form2->Form1().isLoaded());
    QVERIFY(!m_form2->Form3().isLoaded());
    const auto &c = m_form2->controls();
    QCOMPARE(c.Label4->text(), QString());
    QCOMPARE(c.ProgressBar1->value(), 0.f);
    QCOMPARE(c.ProgressBar1->minimum(), 0);
    QCOMPARE(c.ProgressBar1->maximum(), 333);
    QVERIFY(!c.Picture1->isVisible());
    QCOMPARE(testimages::countOf(c.Picture1->Image(), QBColor(0)), testimages::area(testimages::CanvasSize));
    QCOMPARE(m_form2->windowIcon().actualSize(QSize(32, 32)), QSize(32, 32));
    QVERIFY(!(m_form2->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_form2->windowFlags() & Qt::WindowMinimizeButtonHint);
}

void TestForm2::menus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    auto row = [](const char *name, const char *menu, const QString &caption,
                  const char *shortcut = "", bool enabled = true, bool checked = false) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(menu) << caption
                            << QString::fromLatin1(shortcut) << enabled << checked;
    };
    row("MenuFile0", "mn1", u"新規作成"_s, "Ctrl+N");
    row("MenuFile1", "mn1", u"同名保存"_s, "Ctrl+S", false);
    row("MenuFile2", "mn1", u"名前を付けて保存"_s, "Ctrl+F");
    row("MenuFile3", "mn1", u"-"_s);
    row("MenuFile4", "mn1", u"終了"_s, "Ctrl+E");
    row("MenuMake0", "mn2", u"データ編集"_s, "Ctrl+D");
    row("MenuMake1", "mn2", u"-"_s);
    row("MenuMake2", "mn2", u"ランダムドット作成"_s, "Ctrl+R");
    row("MenuIro0", "mn3", u"赤"_s);
    row("MenuIro1", "mn3", u"緑"_s);
    row("MenuIro2", "mn3", u"青"_s, "", true, true);
    row("MenuHelp0", "mn4", u"ヘルプファイルを開く"_s, "Ctrl+H");
    row("MenuHelp1", "mn4", u"-"_s);
    row("MenuHelp2", "mn4", u"ABOUT"_s);
}

void TestForm2::menus()
{
    QFETCH(QString, name);
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    QAction *a = m_form2->findChild<QAction *>(name);
    QVERIFY(a);
    auto *m = m_form2->findChild<QMenu *>(menu);
    QVERIFY(m && m->actions().contains(a));
    const int index = name.back().digitValue();
    QCOMPARE(m->actions().indexOf(a), index);
    if (caption == u"-"_s) {
        QVERIFY(a->isSeparator());
        return;
    }
    QCOMPARE(a->text(), caption);
    QVERIFY(!a->text().contains(u'&'));
    QCOMPARE(a->shortcut().toString(QKeySequence::PortableText), shortcut);
    QCOMPARE(a->isEnabled(), enabled);
    QCOMPARE(a->isChecked(), checked);
}

void TestForm2::f10OpensTheFirstMenu_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("open");
    QTest::newRow("F10") << QList<int>{} << u"mn1"_s;
    QTest::newRow("F10, then Right") << QList<int>{Qt::Key_Right} << u"mn2"_s;
    QTest::newRow("F10, then Left") << QList<int>{Qt::Key_Left} << u"mn4"_s;
}

void TestForm2::f10OpensTheFirstMenu()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, open);
    QTest::keyClick(m_form2, Qt::Key_F10);
    auto *first = m_form2->findChild<QMenu *>(u"mn1"_s);
    QTRY_VERIFY(first->isVisible());
    for (int key : keys)
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key(key));
    auto *menu = m_form2->findChild<QMenu *>(open);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(m_form2->menuBar()->activeAction(), menu->menuAction());
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
}

void TestForm2::windowAndDrawingAreaSizes()
{
    QCOMPARE(m_form2->centralWidget()->size(), QSize(293, 113));
    QCOMPARE(m_form2->controls().ProgressBar1->geometry(), QRect(0, 96, 293, 17));
    QCOMPARE(m_form2->controls().Picture1->surface().size(), testimages::CanvasSize);
    QCOMPARE(m_form2->controls().Picture1->geometry(), QRect(0, 144, 393, 337));
    const QStringList menus{u"ファイル"_s, u"作成"_s, u"色の設定"_s, u"ツール"_s, u"ヘルプ"_s};
    QStringList bar;
    for (QAction *a : m_form2->menuBar()->actions())
        bar.append(a->text());
    QCOMPARE(bar, menus);

    auto &form1 = m_form2->Form1().get();
    QCOMPARE(form1.size(), QSize(555, 356));
    QCOMPARE(form1.controls().Picture1->surface().size(), testimages::CanvasSize);
    QCOMPARE(form1.controls().Picture1->geometry(), QRect(8, 8, 393, 337));
    QCOMPARE(form1.controls().Picture2->surface().size(), QSize(53, 53));
    QCOMPARE(form1.controls().Picture2->geometry(), QRect(464, 88, 57, 57));
    QCOMPARE(form1.controls().Command1->geometry(), QRect(408, 320, 129, 25));
    QCOMPARE(form1.controls().HScroll2->geometry(), QRect(408, 250, 121, 17));
    // The swatches overlap by a pixel and make one strip from 408 to 536.
    QRect strip;
    for (auto *s : form1.controls().Shape1)
        strip |= s->geometry();
    QCOMPARE(strip, QRect(408, 224, 129, 25));

    auto &form3 = m_form2->Form3().get();
    QCOMPARE(form3.size(), QSize(457, 367));
    QCOMPARE(form3.Picture1().surface().size(), testimages::DisplaySize);
    QCOMPARE(form3.Command1().geometry(), QRect(360, 340, 89, 25));
    QCOMPARE(form3.Picture1().Point(0, 0), RGB(255, 255, 255));
    QCOMPARE(form3.windowTitle(), u"ランダムドット表示"_s);
    QCOMPARE(form1.windowTitle(), u"データ編集"_s);
    for (QWidget *w : {static_cast<QWidget *>(&form1), static_cast<QWidget *>(&form3)}) {
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(w->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
    }
}

void TestForm2::secondaryWindowsAreOwnedByTheMainWindow_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("editor") << u"Form1"_s;
    QTest::newRow("display") << u"Form3"_s;
}

// Transient for the main window: kept above it, minimised with it, never left blocking it from
// behind. Still a window of its own, centred on the screen.
void TestForm2::secondaryWindowsAreOwnedByTheMainWindow()
{
    QFETCH(QString, window);
    const bool editor = window == u"Form1"_s;
    QWidget *form = editor ? static_cast<QWidget *>(&m_form2->Form1().get())
                           : static_cast<QWidget *>(&m_form2->Form3().get());
    QCOMPARE(form->parentWidget(), m_form2);
    QVERIFY(form->isWindow());
    QWindow *transientParent = nullptr;
    QPoint centre;
    bool exposed = false;
    // Nothing here may return early: the window must be put away for showModal() to return.
    QTimer::singleShot(0, [&] {
        exposed = QTest::qWaitForWindowExposed(form);
        transientParent = form->windowHandle()->transientParent();
        centre = form->frameGeometry().center();
        form->setVisible(false);
    });
    if (editor)
        m_form2->Form1().showModal();
    else
        m_form2->Form3().showModal();
    QVERIFY(exposed);
    QCOMPARE(transientParent, m_form2->windowHandle());
    QVERIFY((centre - form->screen()->availableGeometry().center()).manhattanLength() <= 2);
}

void TestForm2::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("centred");
    QTest::newRow("Label1") << u"Label1"_s << u"ＺＯＭＩＲＡ"_s << 20.25 << true << false << false;
    QTest::newRow("Label2") << u"Label2"_s << u"-VORNA-"_s << 20.25 << true << true << false;
    QTest::newRow("Label3") << u"Label3"_s << u"Ｖｅｒｓｉｏｎ １．０２"_s << 12.0 << false << false
                            << true;
    QTest::newRow("Label4") << u"Label4"_s << QString() << 12.0 << false << false << true;
}

void TestForm2::labels()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, centred);
    auto *l = m_form2->findChild<QLabel *>(name);
    QVERIFY(l);
    QCOMPARE(l->text(), text);
    QCOMPARE(l->font().family(), u"ＭＳ Ｐゴシック"_s);
    QCOMPARE(l->font().pointSizeF(), points);
    QCOMPARE(l->font().bold(), bold);
    QCOMPARE(l->font().italic(), italic);
    QCOMPARE(bool(l->alignment() & Qt::AlignHCenter), centred);
}

void TestForm2::disabledShortcutDoesNothing()
{
    QTest::keyClick(m_form2, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(m_dialogs->asked.isEmpty());
    QTest::keyClick(m_form2, Qt::Key_F, Qt::ControlModifier); // Save As, cancelled
    QCOMPARE(m_dialogs->asked.size(), 1);
    QCOMPARE(m_dialogs->asked[0].kind, ScriptedDialogs::Asked::Save);
}

void TestForm2::closingEndsTheApplicationAtOnce()
{
    m_form2->Form1().get(); // loaded and hidden
    m_form2->close();
    QCOMPARE(m_ended, 1);
    QVERIFY(m_dialogs->asked.isEmpty());
    // The editor's own close handling did not run: it is still loaded.
    QVERIFY(m_form2->Form1().isLoaded());
}

void TestForm2::colourMenuMovesTheCheckMark()
{
    const std::array<QAction *, 3> items{item("MenuIro0"), item("MenuIro1"), item("MenuIro2")};
    for (int choice : {0, 1, 1, 2, 0}) {
        items[std::size_t(choice)]->trigger();
        QCOMPARE(int(m_form2->IroIndex()), choice);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(items[std::size_t(i)]->isChecked(), i == choice);
    }
}

void TestForm2::colourMenuTintsTheNextRun()
{
    makeStereogram();
    const QRgb blue = m_form2->Form3()->Picture1().Image().pixel(5, 5);
    QCOMPARE(qBlue(blue), 250);
    item("MenuIro0")->trigger();
    QCOMPARE(int(m_form2->IroIndex()), 0);
    QVERIFY(item("MenuIro0")->isChecked());
    QVERIFY(!item("MenuIro2")->isChecked());
    // An image already drawn keeps its colours.
    QCOMPARE(m_form2->Form3()->Picture1().Image().pixel(5, 5), blue);
    makeStereogram();
    QCOMPARE(qRed(m_form2->Form3()->Picture1().Image().pixel(5, 5)), 250);
}

void TestForm2::makeCommandDrawsAndShowsTheStereogram()
{
    QString whileShown;
    bool mainBlocked = false;
    QTimer::singleShot(0, [&] {
        whileShown = m_form2->controls().Label4->text();
        mainBlocked = QApplication::activeModalWidget() == &m_form2->Form3().get();
        m_form2->Form3()->Command1().click();
    });
    QTest::keyClick(m_form2, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(whileShown, u"作成完了"_s);
    QVERIFY(mainBlocked);
    QCOMPARE(m_form2->controls().Label4->text(), QString());
    QCOMPARE(m_form2->controls().ProgressBar1->value(), 333.f);
    QVERIFY(m_form2->Form3().isLoaded());
    QVERIFY(!m_form2->Form3()->isVisible());
    QCOMPARE(ui::fromQRgb(m_form2->Form3()->Picture1().Image().pixel(0, 0)),
             RGB(180, 180, 250));
}

// The close box (or Alt+F4) used to unload the display window, so a save afterwards wrote white
// over the stereogram, which cannot be made again.
void TestForm2::displayClosedFromItsTitleBarKeepsTheStereogram()
{
    QString whileShown;
    QTimer::singleShot(0, [&] {
        whileShown = m_form2->controls().Label4->text();
        m_form2->Form3()->close();
    });
    item("MenuMake2")->trigger();
    QCOMPARE(whileShown, u"作成完了"_s);
    QCOMPARE(m_form2->controls().Label4->text(), QString());
    QVERIFY(m_form2->Form3().isLoaded());
    QVERIFY(!m_form2->Form3()->isVisible());
    const QImage shown = m_form2->Form3()->Picture1().Image();
    QCOMPARE(ui::fromQRgb(shown.pixel(0, 0)), RGB(180, 180, 250));

    const QString path = m_dir.filePath(u"kept.bmp"_s);
    QVERIFY(saveAs(path));
    QCOMPARE(QImage(path, "BMP").convertToFormat(QImage::Format_RGB32), shown);
    QVERIFY(QFile::remove(path));
    item("MenuFile1")->trigger();
    QCOMPARE(QImage(path, "BMP").convertToFormat(QImage::Format_RGB32), shown);
    QVERIFY(m_dialogs->messages().isEmpty());
}

void TestForm2::editCommandHandsTheDepthMapBack()
{
    QTimer::singleShot(0, [this] {
        auto &f = m_form2->Form1().get();
        QTest::mouseClick(f.controls().Picture1, Qt::LeftButton, {}, QPoint(102, 102));
        f.controls().Command1->click();
    });
    item("MenuMake0")->trigger();
    QVERIFY(m_form2->Form1().isLoaded());
    QCOMPARE(m_form2->controls().Picture1->Point(100, 100), QBColor(8));
    // The hidden store keeps the map for the generator.
    makeStereogram();
    const QImage out = m_form2->Form3()->Picture1().Image();
    QCOMPARE(out.pixel(161, 100), out.pixel(161 - 52, 100));
}

void TestForm2::theMainWindowGetsTheKeyboardBack_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("editor");
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("editor, 編集終了") << u"MenuMake0"_s << true << false;
    QTest::newRow("editor, title bar") << u"MenuMake0"_s << true << true;
    QTest::newRow("display, OK") << u"MenuMake2"_s << false << false;
    QTest::newRow("display, title bar") << u"MenuMake2"_s << false << true;
}

// Some compositors leave the keyboard nowhere when a modal window closes; the main window takes it.
void TestForm2::theMainWindowGetsTheKeyboardBack()
{
    QFETCH(QString, command);
    QFETCH(bool, editor);
    QFETCH(bool, titleBar);
    QWidget *modal = nullptr;
    QWidget *activeWhileShown = nullptr;
    auto *watch = new QTimer(m_form2);
    connect(watch, &QTimer::timeout, m_form2, [&] {
        modal = QApplication::activeModalWidget();
        if (!modal || QApplication::activeWindow() != modal)
            return;
        watch->stop();
        activeWhileShown = modal;
        if (titleBar)
            modal->close();
        else if (editor)
            m_form2->Form1()->controls().Command1->click();
        else
            m_form2->Form3()->Command1().click();
    });
    watch->start(0);
    m_form2->findChild<QAction *>(command)->trigger();
    delete watch;
    QVERIFY(activeWhileShown);
    QTRY_COMPARE(QApplication::activeWindow(), m_form2);
}

void TestForm2::newDataAnsweredNoChangesNothing()
{
    makeStereogram();
    QVERIFY(saveAs(m_dir.filePath(u"a.bmp"_s)));
    const QImage before = m_form2->Form3()->Picture1().Image();
    m_dialogs->asked.clear();
    m_dialogs->msgBoxAnswers.push_back(ui::MsgBox::No);
    item("MenuFile0")->trigger();
    QCOMPARE(m_dialogs->asked.size(), 1);
    const auto &q = m_dialogs->asked[0];
    QCOMPARE(q.text, u"編集中のデータは消去されます。よろしいですか？"_s);
    QCOMPARE(q.title, u"新規作成"_s);
    QCOMPARE(q.style, 36);
    QCOMPARE(m_form2->Form3()->Picture1().Image(), before);
    QCOMPARE(m_form2->controls().ProgressBar1->value(), 333.f);
    QVERIFY(item("MenuFile1")->isEnabled());
    QVERIFY(!m_form2->Form1().isLoaded());
}

void TestForm2::newDataAnsweredYesBlanksEverything()
{
    makeStereogram();
    m_form2->controls().Picture1->PSet(1, 1, QBColor(15));
    m_form2->controls().Label4->setText(u"x"_s);
    item("MenuIro1")->trigger();
    m_dialogs->msgBoxAnswers.push_back(ui::MsgBox::Yes);
    item("MenuFile0")->trigger();
    QVERIFY(m_form2->Form1().isLoaded());
    QVERIFY(!m_form2->Form1()->isVisible());
    QCOMPARE(testimages::countOf(m_form2->Form1()->controls().Picture1->Image(), QBColor(0)),
             testimages::area(testimages::CanvasSize));
    QCOMPARE(testimages::countOf(m_form2->controls().Picture1->Image(), QBColor(0)), testimages::area(testimages::CanvasSize));
    QCOMPARE(testimages::countOf(m_form2->Form3()->Picture1().Image(), RGB(255, 255, 255)),
             testimages::area(testimages::DisplaySize));
    QCOMPARE(m_form2->controls().Label4->text(), QString());
    QCOMPARE(m_form2->controls().ProgressBar1->value(), 0.f);
    QVERIFY(!item("MenuFile1")->isEnabled());
    // Kept: the colour choice.
    QCOMPARE(int(m_form2->IroIndex()), 1);
    QVERIFY(item("MenuIro1")->isChecked());
}

void TestForm2::saveAsWritesTheStereogram()
{
    makeStereogram();
    const QString path = m_dir.filePath(u"picture"_s);
    QVERIFY(saveAs(path));
    QVERIFY(!QFile::exists(path + u".bmp"_s));
    const QImage back(path, "BMP");
    QCOMPARE(back.size(), testimages::DisplaySize);
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), m_form2->Form3()->Picture1().Image());
    QVERIFY(item("MenuFile1")->isEnabled());
    QVERIFY(m_dialogs->messages().isEmpty());
}

void TestForm2::saveAsOpensOnTheFirstFilterEveryTime()
{
    // Never made: Form3 is loaded hidden and its white picture saved.
    QVERIFY(saveAs(m_dir.filePath(u"white.bmp"_s)));
    QVERIFY(m_form2->Form3().isLoaded());
    QVERIFY(!m_form2->Form3()->isVisible());
    const QImage white(m_dir.filePath(u"white.bmp"_s), "BMP");
    QCOMPARE(testimages::countOf(white, RGB(255, 255, 255)), testimages::area(testimages::DisplaySize));
    QVERIFY(saveAs(m_dir.filePath(u"again.bmp"_s)));
    QCOMPARE(m_dialogs->asked.size(), 2);
    for (const auto &a : m_dialogs->asked) {
        QCOMPARE(a.kind, ScriptedDialogs::Asked::Save);
        QCOMPARE(a.filter, u"ビットマップファイル(*.bmp)|*.bmp|すべてのファイル (*.*)|*.*"_s);
        QCOMPARE(a.filterIndex, 0);
    }
}

void TestForm2::saveAsCancelledWritesNothing()
{
    QVERIFY(saveAs(m_dir.filePath(u"first.bmp"_s)));
    m_dialogs->fileAnswers.push_back(std::nullopt);
    item("MenuFile2")->trigger();
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(item("MenuFile1")->isEnabled());
    QCOMPARE(m_dir.entryList(QDir::Files), QStringList{u"first.bmp"_s});
}

// The dialog opens with its FileName: the name the last Save As dialog returned, kept through
// "新規作成", a failed write and a cancelled dialog.
void TestForm2::saveAsOpensWithTheRememberedName()
{
    const QString first = m_dir.filePath(u"first.bmp"_s);
    const QString failed = m_dir.filePath(u"missing/failed.bmp"_s);
    auto openedWith = [this] { return m_dialogs->fileDialogs().last().fileName; };
    QVERIFY(saveAs(first));
    QCOMPARE(openedWith(), QString());
    QVERIFY(saveAs(m_dir.filePath(u"second"_s)));
    QCOMPARE(openedWith(), first);
    m_dialogs->msgBoxAnswers.push_back(ui::MsgBox::Yes);
    item("MenuFile0")->trigger();
    QVERIFY(!saveAs(failed));
    QCOMPARE(openedWith(), m_dir.filePath(u"second"_s));
    m_dialogs->fileAnswers.push_back(std::nullopt);
    item("MenuFile2")->trigger();
    QCOMPARE(openedWith(), failed);
    m_dialogs->fileAnswers.push_back(std::nullopt);
    item("MenuFile2")->trigger();
    QCOMPARE(openedWith(), failed);
    // The command writes the name as the dialog returns it, adding nothing.
    QVERIFY(QFile::exists(m_dir.filePath(u"second"_s)));
    QVERIFY(!QFile::exists(m_dir.filePath(u"second.bmp"_s)));
}

// Each step: 'a' a Save As that writes, 'f' one that fails, 'y' / 'n' 新規作成 answered Yes / No.
void TestForm2::saveEnabledState_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("enabled");
    QTest::newRow("start") << QString() << QString();
    QTest::newRow("save as") << u"a"_s << u"1"_s;
    QTest::newRow("failed save as") << u"f"_s << u"0"_s;
    QTest::newRow("save as, then failed") << u"af"_s << u"11"_s;
    QTest::newRow("save as, new yes") << u"ay"_s << u"10"_s;
    QTest::newRow("save as, new no") << u"an"_s << u"11"_s;
    QTest::newRow("new yes, save as") << u"ya"_s << u"01"_s;
}

void TestForm2::saveEnabledState()
{
    QFETCH(QString, steps);
    QFETCH(QString, enabled);
    QCOMPARE(item("MenuFile1")->isEnabled(), false);
    QString got;
    for (QChar step : steps) {
        switch (step.unicode()) {
        case 'a':
            saveAs(m_dir.filePath(u"ok.bmp"_s));
            break;
        case 'f':
            saveAs(m_dir.filePath(u"missing/folder/x.bmp"_s));
            break;
        case 'y':
        case 'n':
            m_dialogs->msgBoxAnswers.push_back(step == u'y' ? ui::MsgBox::Yes : ui::MsgBox::No);
            item("MenuFile0")->trigger();
            break;
        }
        got += item("MenuFile1")->isEnabled() ? u'1' : u'0';
    }
    QCOMPARE(got, enabled);
}

void TestForm2::failedSaveAsIsReportedAndKeepsRunning()
{
    const QString good = m_dir.filePath(u"good.bmp"_s);
    QVERIFY(saveAs(good));
    QFile f(good);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    makeStereogram();
    const QString bad = m_dir.filePath(u"nowhere/x.bmp"_s);
    QVERIFY(!saveAs(bad));
    auto messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, u"名前を付けて保存"_s);
    QVERIFY(messages[0].text.contains(QDir::toNativeSeparators(bad)));
    QVERIFY(item("MenuFile1")->isEnabled());
    QCOMPARE(m_ended, 0);

    // The remembered name is the one the dialog gave, so 同名保存 now tries there, and says so.
    item("MenuFile1")->trigger();
    messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[1].title, u"同名保存"_s);
    QVERIFY(messages[1].text.contains(QDir::toNativeSeparators(bad)));
    QCOMPARE(m_ended, 0);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    QVERIFY(m_form2->Form3().isLoaded());
}

void TestForm2::saveWritesUnderTheRememberedName()
{
    const QString path = m_dir.filePath(u"kept.bmp"_s);
    QVERIFY(saveAs(path));
    makeStereogram();
    m_dialogs->asked.clear();
    m_form2->activateWindow();
    // The display window it owns counts as active too until the main window is.
    QTRY_COMPARE(QApplication::activeWindow(), m_form2);
    QTest::keyClick(m_form2, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(m_dialogs->asked.isEmpty());
    QCOMPARE(QImage(path, "BMP").convertToFormat(QImage::Format_RGB32),
             m_form2->Form3()->Picture1().Image());
}

void TestForm2::exitEndsTheApplication()
{
    makeStereogram();
    item("MenuFile4")->trigger();
    QCOMPARE(m_ended, 1);
    QVERIFY(m_dialogs->asked.isEmpty());
}

void TestForm2::helpStartsTheViewerWithTheHelpFile()
{
    m_dialogs->helpStarts = false;
    item("MenuHelp0")->trigger();
    QCOMPARE(m_dialogs->asked.size(), 1);
    QCOMPARE(m_dialogs->asked[0].kind, ScriptedDialogs::Asked::Help);
    QCOMPARE(m_dialogs->asked[0].text, m_dir.path() + u"/zomvorn.hlp"_s);
    // A viewer that does not start is not the application's to report.
    QCOMPARE(m_ended, 0);
    QVERIFY(m_dialogs->messages().isEmpty());
}

void TestForm2::about()
{
    item("MenuHelp2")->trigger();
    QCOMPARE(m_dialogs->asked.size(), 1);
    const auto &a = m_dialogs->asked[0];
    QCOMPARE(a.title, u"ABOUT"_s);
    QCOMPARE(a.style, 0);
    QVERIFY(a.text.contains(u"ZOMIRA -VORNA-"_s));
    QVERIFY(a.text.contains(u"1.02"_s));
    QVERIFY(!a.text.contains(u'\n'));
}

// Each row: how the draft is damaged (cut short or not), what is answered (restore the draft,
// discard it, or neither: "later"), whether the draft comes back and whether its file is still
// there for a later start. Whatever happens, the first stereogram is the one a fresh start makes
// from the depth map the editor hands back.
void TestForm2::draftLeftByAnEndedInstance_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<bool>("keptForLater");
    QTest::newRow("restored") << false << u"restore"_s << true << false;
    QTest::newRow("later") << false << u"later"_s << false << true;
    QTest::newRow("discarded") << false << u"discard"_s << false << false;
    QTest::newRow("damaged") << true << u"restore"_s << false << false;
}

void TestForm2::draftLeftByAnEndedInstance()
{
    QFETCH(bool, damaged);
    QFETCH(QString, answer);
    QFETCH(bool, restored);
    QFETCH(bool, keptForLater);
    const QString folder = m_form2->drafts().folder();
    QVERIFY(QDir(folder).removeRecursively());
    QString left;
    {
        editor::DraftStore ended(folder);
        ended.setSource([] { return testimages::shapeMap(); });
        ended.changed();
        left = ended.draftPath();
    }
    if (damaged)
        QVERIFY(QFile::resize(left, QFileInfo(left).size() - 5));
    QList<QImage> offered;
    m_form2->setDraftChooser([&](const QList<editor::DraftOffer> &offers) {
        app::DraftAnswer a;
        for (const editor::DraftOffer &offer : offers)
            offered << offer.canvas;
        if (answer == u"restore"_s)
            a.restore = 0;
        else if (answer == u"discard"_s)
            a.discard = {0};
        return a;
    });
    // Hands the canvas back as soon as the editor is up.
    QTimer closer;
    closer.callOnTimeout([this] {
        if (m_form2->Form1().isLoaded() && m_form2->Form1()->isVisible())
            m_form2->Form1()->controls().Command1->click();
    });
    closer.start(10);
    m_form2->offerDraft();

    const auto messages = m_dialogs->messages();
    if (damaged) {
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].title, u"編集の復元"_s);
        QCOMPARE(messages[0].style, ui::MsgBox::Exclamation);
        QVERIFY2(messages[0].text.contains(u"途中で切れています"_s), qPrintable(messages[0].text));
        QCOMPARE(QDir(folder).entryList({u"*.damaged"_s}, QDir::Files).size(), 1);
        QVERIFY(offered.isEmpty());
    } else {
        QCOMPARE(messages.size(), 0);
        QCOMPARE(offered, QList<QImage>{testimages::shapeMap()});
    }
    QCOMPARE(QFileInfo::exists(left), keptForLater);
    // The depth map stays as at start until "編集終了".
    QCOMPARE(testimages::countOf(m_form2->controls().Picture1->Image(), QBColor(0)),
             testimages::area(testimages::CanvasSize));
    const QImage expected = restored ? testimages::shapeMap() : m_form2->controls().Picture1->Image();
    if (restored) {
        QTRY_COMPARE(m_form2->controls().Picture1->Image(), expected);
        QCOMPARE(m_form2->editingSession().history().undoCount(), 1);
        QVERIFY(QFileInfo::exists(m_form2->drafts().draftPath()));
    }
    QCOMPARE(m_form2->Form1().isLoaded(), restored);
    // A draft kept for later is offered again by the next start.
    if (keptForLater) {
        editor::DraftStore next(folder);
        QCOMPARE(editor::takeDraftOffers(next, testimages::CanvasSize).size(), 1);
    }

    makeStereogram();
    ScriptedDialogs dialogs;
    Form2 fresh(dialogs, m_dir.path());
    fresh.controls().Picture1->setPicture(expected);
    QTimer::singleShot(0, [&] { fresh.Form3()->Command1().click(); });
    fresh.MenuMake_Click(2);
    QCOMPARE(m_form2->Form3()->Picture1().Image(), fresh.Form3()->Picture1().Image());
}

// Two drafts left: both offered, newest first, with date, size and picture; restoring the older
// one leaves the newer one for a later start.
void TestForm2::everyDraftIsListed()
{
    const QString folder = m_form2->drafts().folder();
    QVERIFY(QDir(folder).removeRecursively());
    QImage older = testimages::shapeMap();
    QImage newer(older.size(), QImage::Format_RGB32);
    newer.fill(qRgb(255, 255, 255));
    QStringList paths;
    for (const QImage &canvas : {older, newer}) {
        editor::DraftStore ended(folder);
        ended.setSource([canvas] { return canvas; });
        ended.changed();
        ended.flush();
        paths << ended.draftPath();
    }
    QFile(paths[0]).setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                QFileDevice::FileModificationTime);

    QTimer::singleShot(0, [] {
        auto putAway = qScopeGuard(&closeModalWindows);
        auto *question = dynamic_cast<app::DraftChoice *>(QApplication::activeModalWidget());
        QVERIFY(question);
        QCOMPARE(question->list().count(), 2);
        QVERIFY(question->list().item(0)->text().contains(u" に保存、"_s));
        QVERIFY(!question->list().item(0)->icon().isNull());
        QCOMPARE(question->list().iconSize(), QSize(98, 84));
        question->list().setCurrentRow(1);
        putAway.dismiss();
        question->restoreButton().click();
    });
    QTimer closer;
    closer.callOnTimeout([this] {
        if (m_form2->Form1().isLoaded() && m_form2->Form1()->isVisible())
            m_form2->Form1()->controls().Command1->click();
    });
    closer.start(10);
    m_form2->offerDraft();
    QTRY_COMPARE(m_form2->controls().Picture1->Image(), older);
    QVERIFY(QFileInfo::exists(paths[1]));
    editor::DraftStore next(folder);
    const QList<editor::DraftOffer> left = editor::takeDraftOffers(next, testimages::CanvasSize);
    QCOMPARE(left.size(), 1);
    QCOMPARE(left[0].canvas, newer);
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
