// SPDX-License-Identifier: MIT

#include "support/controls.h"
#include "support/hostilefiles.h"
#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "editor/draftstore.h"
#include "editor/editingsession.h"
#include "editor/form1.h"
#include "editor/importdialog.h"
#include "editor/textdialog.h"

#include "picture/colour.h"
#include "picture/levels.h"
#include "picture/mapkind.h"

#include "ui/formslot.h"
#include "ui/picturebox.h"
#include "ui/platform.h"
#include "ui/shape.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QComboBox>
#include <QFile>
#include <QAction>
#include <QCheckBox>
#include <QSpinBox>
#include <QLabel>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRubberBand>
#include <QScrollBar>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <QTimer>

using namespace Qt::StringLiterals;
using editor::Form1;
using testimages::countOf;
using testimages::extentOf;
using ui::QBColor;
using ui::RGB;

namespace {

// The canvas's drawing area starts inside its two-pixel frame.
QPoint onCanvas(int x, int y)
{
    return {x + ui::PictureBox::FrameWidth, y + ui::PictureBox::FrameWidth};
}

void sendMove(QWidget *w, QPoint at, Qt::MouseButtons held,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, held,
                  modifiers);
    QCoreApplication::sendEvent(w, &e);
}

void sendPress(QWidget *w, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                  held, modifiers);
    QCoreApplication::sendEvent(w, &e);
}

// The canvas as shown on screen, without its frame.
QImage screenOf(ui::PictureBox *box)
{
    return box->grab(box->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

// What the window last put on the screen of the canvas: only what was repainted has changed.
QImage shownOf(ui::PictureBox *box)
{
    const QRect inner = box->contentsRect();
    const QPoint at = box->mapTo(box->window(), inner.topLeft());
    return box->screen()
        ->grabWindow(box->window()->winId(), at.x(), at.y(), inner.width(), inner.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The BMP Suite corpus: the good files, each with the suite's reference renderings (any of them is
// right), then every questionable, bad and related-format file.
const QList<std::pair<QString, QStringList>> goodFiles = {
    {u"g/pal1.bmp"_s, {u"pal1.png"_s}},
    {u"g/pal1bg.bmp"_s, {u"pal1bg.png"_s}},
    {u"g/pal1wb.bmp"_s, {u"pal1.png"_s}},
    {u"g/pal4.bmp"_s, {u"pal4.png"_s}},
    {u"g/pal4gs.bmp"_s, {u"pal4gs.png"_s}},
    {u"g/pal4rle.bmp"_s, {u"pal4.png"_s}},
    {u"g/pal8-0.bmp"_s, {u"pal8.png"_s}},
    {u"g/pal8.bmp"_s, {u"pal8.png"_s}},
    {u"g/pal8gs.bmp"_s, {u"pal8gs.png"_s}},
    {u"g/pal8nonsquare.bmp"_s, {u"pal8nonsquare-v.png"_s, u"pal8nonsquare-e.png"_s}},
    {u"g/pal8os2.bmp"_s, {u"pal8.png"_s}},
    {u"g/pal8rle.bmp"_s, {u"pal8.png"_s}},
    {u"g/pal8topdown.bmp"_s, {u"pal8.png"_s}},
    {u"g/pal8v4.bmp"_s, {u"pal8.png"_s}},
    {u"g/pal8v5.bmp"_s, {u"pal8.png"_s}},
    {u"g/pal8w124.bmp"_s, {u"pal8w124.png"_s}},
    {u"g/pal8w125.bmp"_s, {u"pal8w125.png"_s}},
    {u"g/pal8w126.bmp"_s, {u"pal8w126.png"_s}},
    {u"g/rgb16-565.bmp"_s, {u"rgb16-565.png"_s}},
    {u"g/rgb16-565pal.bmp"_s, {u"rgb16-565.png"_s}},
    {u"g/rgb16.bmp"_s, {u"rgb16.png"_s}},
    {u"g/rgb16bfdef.bmp"_s, {u"rgb16.png"_s}},
    {u"g/rgb24.bmp"_s, {u"rgb24.png"_s}},
    {u"g/rgb24pal.bmp"_s, {u"rgb24.png"_s}},
    {u"g/rgb32.bmp"_s, {u"rgb24.png"_s}},
    {u"g/rgb32bf.bmp"_s, {u"rgb24.png"_s}},
    {u"g/rgb32bfdef.bmp"_s, {u"rgb24.png"_s}},
};

const QStringList otherFiles = {
    u"q/pal1huffmsb.bmp"_s,    u"q/pal1p1.bmp"_s,         u"q/pal2.bmp"_s,
    u"q/pal2color.bmp"_s,      u"q/pal4rlecut.bmp"_s,     u"q/pal4rletrns.bmp"_s,
    u"q/pal8offs.bmp"_s,       u"q/pal8os2-hs.bmp"_s,     u"q/pal8os2-sz.bmp"_s,
    u"q/pal8os2sp.bmp"_s,      u"q/pal8os2v2-16.bmp"_s,   u"q/pal8os2v2-40sz.bmp"_s,
    u"q/pal8os2v2-sz.bmp"_s,   u"q/pal8os2v2.bmp"_s,      u"q/pal8oversizepal.bmp"_s,
    u"q/pal8rlecut.bmp"_s,     u"q/pal8rletrns.bmp"_s,    u"q/rgb16-231.bmp"_s,
    u"q/rgb16-3103.bmp"_s,     u"q/rgb16faketrns.bmp"_s,  u"q/rgb24jpeg.bmp"_s,
    u"q/rgb24largepal.bmp"_s,  u"q/rgb24lprof.bmp"_s,     u"q/rgb24png.bmp"_s,
    u"q/rgb24rle24.bmp"_s,     u"q/rgb32-111110.bmp"_s,   u"q/rgb32-7187.bmp"_s,
    u"q/rgb32-xbgr.bmp"_s,     u"q/rgb32fakealpha.bmp"_s, u"q/rgb32h52.bmp"_s,
    u"q/rgba16-1924.bmp"_s,    u"q/rgba16-4444.bmp"_s,    u"q/rgba16-5551.bmp"_s,
    u"q/rgba32-1.bmp"_s,       u"q/rgba32-1010102.bmp"_s, u"q/rgba32-2.bmp"_s,
    u"q/rgba32-61754.bmp"_s,   u"q/rgba32-81284.bmp"_s,   u"q/rgba32abf.bmp"_s,
    u"q/rgba32h56.bmp"_s,      u"q/rgba64.bmp"_s,         u"b/badbitcount.bmp"_s,
    u"b/badbitssize.bmp"_s,    u"b/baddens1.bmp"_s,       u"b/baddens2.bmp"_s,
    u"b/badfilesize.bmp"_s,    u"b/badheadersize.bmp"_s,  u"b/badpalettesize.bmp"_s,
    u"b/badplanes.bmp"_s,      u"b/badrle.bmp"_s,         u"b/badrle4.bmp"_s,
    u"b/badrle4bis.bmp"_s,     u"b/badrle4ter.bmp"_s,     u"b/badrlebis.bmp"_s,
    u"b/badrleter.bmp"_s,      u"b/badwidth.bmp"_s,       u"b/pal8badindex.bmp"_s,
    u"b/reallybig.bmp"_s,      u"b/rgb16-880.bmp"_s,      u"b/rletopdown.bmp"_s,
    u"b/shortfile.bmp"_s,      u"x/ba-bm.bmp"_s,
};

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadSetsPaletteAndPen();
    void previewFollowsTheSliders_data();
    void previewFollowsTheSliders();
    void sliderSteps();
    void sliderKeys_data();
    void sliderKeys();
    void tabFollowsTheFocusOrder();
    void clickFocusesASliderAndShowsIt();
    void clickStampsOneDisc();
    void dragStampsOneDiscPerMove();
    void onlyTheLeftButtonAlonePaints_data();
    void onlyTheLeftButtonAlonePaints();
    void levelZeroPaintsTheBackground();
    void discsAtTheEdgeAreClipped();
    void sliderChangeTakesEffectOnTheNextEvent();

    void loadAsksWithTheBitmapFilter();
    void loadReplacesPaintingAndClips();
    void cancelledLoadChangesNothing();
    void openDialogRemembersItsFileWhileLoaded();
    void unreadableFileIsReportedAndChangesNothing_data();
    void unreadableFileIsReportedAndChangesNothing();
    void corpus_data();
    void corpus();

    void handBackRightAfterOpeningIsAllBlack();
    void handBackIsACopyAtThatMoment();
    void titleBarCloseHandsNothingBack();
    void closedEditIsSaidWhenTheEditorOpens_data();
    void closedEditIsSaidWhenTheEditorOpens();
    void canvasTipNamesTheShortcuts();
    void enterSpaceAndEscape_data();
    void enterSpaceAndEscape();

    void historyFollowsTheSteps_data();
    void historyFollowsTheSteps();
    void draftThatCannotBeWrittenIsSaidOnce();
    void keyboardStampsAsAClickDoes_data();
    void keyboardStampsAsAClickDoes();
    void keyboardDragIsOneStep();
    void spaceRepeatingFromElsewherePaintsNothing();
    void paletteCellsPickTheLevel();
    void levelNumbersAreAViewOnly();
    void everyControlHasAName();
    void canvasMenu();
    void savedMapOpensIdentical();

    void textIsOnlyTheLevelColourAndOneStep_data();
    void textIsOnlyTheLevelColourAndOneStep();
    void escapeCancelsTheText();
    void importIsOneStep_data();
    void importIsOneStep();
    void unreadableFileThroughTheImport_data();
    void unreadableFileThroughTheImport();
    void greyPictureOffersTheImport_data();
    void greyPictureOffersTheImport();
    void restoredDraftOfAGreyPictureIsOffered();
    void importDialogShowsTheNearEnd_data();
    void importDialogShowsTheNearEnd();
    void importKeepsFewPlacements_data();
    void importKeepsFewPlacements();
    void importOkWaitsForThePlacement();
    void importDialogPreviewAndBars();

private:
    void activate();
    void paintSomething();

    ScriptedDialogs *m_dialogs = nullptr;
    ui::PictureBox *m_store = nullptr;
    QWidget *m_main = nullptr;
    Form1 *m_form = nullptr;
    std::unique_ptr<editor::EditingSession> m_session;
    QTemporaryDir m_dir;
};

void TestForm1::initTestCase()
{
    ui::installPlatform(*QCoreApplication::instance());
}

void TestForm1::init()
{
    m_dialogs = new ScriptedDialogs;
    m_main = new QWidget;
    m_store = new ui::PictureBox(m_main, QRect(0, 144, 393, 337), RGB(0, 0, 0),
                                 ui::PictureSurface::FillStyle::Solid);
    m_store->setAutoRedraw(true);
    m_form = new Form1(*m_dialogs, *m_store);
    m_form->load();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestForm1::cleanup()
{
    delete m_form;
    m_session.reset();
    delete m_main;
    delete m_dialogs;
}

void TestForm1::paintSomething()
{
    QTest::mouseClick(m_form->controls().Picture1, Qt::LeftButton, {}, onCanvas(100, 100));
}

void TestForm1::loadSetsPaletteAndPen()
{
    const auto &c = m_form->controls();
    for (int n = 0; n < 16; ++n)
        QCOMPARE(c.Shape1[std::size_t(n)]->backColor(), QBColor(n));
    QCOMPARE(c.HScroll1->value(), 14);
    QCOMPARE(c.HScroll2->value(), 8);
    QCOMPARE(c.Label7->text(), u"14"_s);
    QCOMPARE(c.Label8->text(), u"8"_s);
    QCOMPARE(extentOf(c.Picture2->Image(), RGB(128, 128, 128)), QRect(12, 12, 29, 29));
    QCOMPARE(extentOf(screenOf(c.Picture2), RGB(128, 128, 128)), QRect(12, 12, 29, 29));
    // The canvas is black, level 0.
    QCOMPARE(countOf(c.Picture1->Image(), QBColor(0)), testimages::area(testimages::CanvasSize));
}

void TestForm1::previewFollowsTheSliders_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("level");
    QTest::addColumn<QRect>("extent");
    QTest::newRow("size 0") << 0 << 12 << QRect(26, 26, 1, 1);
    QTest::newRow("size 14") << 14 << 3 << QRect(12, 12, 29, 29);
    QTest::newRow("size 25, the largest") << 25 << 15 << QRect(1, 1, 51, 51);
    QTest::newRow("level 0 is invisible") << 20 << 0 << QRect();
}

void TestForm1::previewFollowsTheSliders()
{
    QFETCH(int, size);
    QFETCH(int, level);
    QFETCH(QRect, extent);
    const auto &c = m_form->controls();
    c.HScroll1->setValue(25); // a large disc first, to see that no trace of it stays
    c.HScroll1->setValue(size);
    c.HScroll2->setValue(level);
    QCOMPARE(c.Label7->text(), QString::number(size));
    QCOMPARE(c.Label8->text(), QString::number(level));
    for (const QImage &layer : {c.Picture2->Image(), screenOf(c.Picture2)}) {
        QCOMPARE(layer.size(), QSize(53, 53));
        if (level == 0) {
            QCOMPARE(countOf(layer, QBColor(0)), 53 * 53);
            continue;
        }
        QCOMPARE(extentOf(layer, QBColor(level)), extent);
        QCOMPARE(countOf(layer, QBColor(level)) + countOf(layer, QBColor(0)), 53 * 53);
    }
}

void TestForm1::sliderSteps()
{
    const auto &c = m_form->controls();
    QCOMPARE(c.HScroll1->minimum(), 0);
    QCOMPARE(c.HScroll1->maximum(), 25);
    QCOMPARE(c.HScroll2->minimum(), 0);
    QCOMPARE(c.HScroll2->maximum(), 15);
    for (QScrollBar *s : {c.HScroll1, c.HScroll2}) {
        QCOMPARE(s->singleStep(), 1);
        QCOMPARE(s->pageStep(), 2);
    }
    c.HScroll2->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(c.Label8->text(), u"9"_s);
    c.HScroll1->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(c.Label7->text(), u"12"_s);
}

// Keys on a focused slider: `slider` 1 is the pen size (0 to 25), 2 the height (0 to 15).
void TestForm1::sliderKeys_data()
{
    QTest::addColumn<int>("slider");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("size, right raises") << 1 << 14 << int(Qt::Key_Right) << 15;
    QTest::newRow("size, up raises") << 1 << 14 << int(Qt::Key_Up) << 15;
    QTest::newRow("size, Page Up raises a page") << 1 << 14 << int(Qt::Key_PageUp) << 16;
    QTest::newRow("size, left lowers") << 1 << 14 << int(Qt::Key_Left) << 13;
    QTest::newRow("size, down lowers") << 1 << 14 << int(Qt::Key_Down) << 13;
    QTest::newRow("size, Page Down lowers a page") << 1 << 14 << int(Qt::Key_PageDown) << 12;
    QTest::newRow("size, Home gives 0") << 1 << 14 << int(Qt::Key_Home) << 0;
    QTest::newRow("size, End gives 25") << 1 << 14 << int(Qt::Key_End) << 25;
    QTest::newRow("height, right raises") << 2 << 8 << int(Qt::Key_Right) << 9;
    QTest::newRow("height, left lowers") << 2 << 8 << int(Qt::Key_Left) << 7;
    QTest::newRow("height, End gives 15") << 2 << 8 << int(Qt::Key_End) << 15;
    QTest::newRow("height, right at the top stays") << 2 << 15 << int(Qt::Key_Right) << 15;
    QTest::newRow("height, Page Down near the bottom stops at 0") << 2 << 1 << int(Qt::Key_PageDown) << 0;
}

void TestForm1::sliderKeys()
{
    QFETCH(int, slider);
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    activate();
    const auto &c = m_form->controls();
    QScrollBar *bar = slider == 1 ? c.HScroll1 : c.HScroll2;
    QLabel *readOut = slider == 1 ? c.Label7 : c.Label8;
    bar->setValue(start);
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key(key));
    QCOMPARE(bar->value(), expected);
    QCOMPARE(readOut->text(), QString::number(expected));
    const int size = c.HScroll1->value();
    const int level = c.HScroll2->value();
    if (level != 0)
        QCOMPARE(extentOf(c.Picture2->Image(), QBColor(level)),
                 QRect(26 - size, 26 - size, 2 * size + 1, 2 * size + 1));
}

void TestForm1::tabFollowsTheFocusOrder()
{
    activate();
    m_form->controls().Picture1->setFocus();
    const QStringList order{u"Picture2"_s, u"HScroll1"_s, u"HScroll2"_s, u"Command1"_s,
                            u"Command2"_s, u"Picture1"_s};
    QStringList forward;
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(forward, order);
    QStringList backward;
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backward.prepend(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(backward, QStringList(order.mid(order.size() - 1) + order.mid(0, order.size() - 1)));
}

void TestForm1::clickFocusesASliderAndShowsIt()
{
    activate();
    QScrollBar *bar = m_form->controls().HScroll2;
    m_form->controls().Picture1->setFocus();
    const QColor highlight = bar->palette().color(QPalette::Highlight);
    auto edgeColour = [bar] { return bar->grab().toImage().pixelColor(0, bar->height() / 2); };
    QVERIFY(edgeColour() != highlight);
    // A click on the handle gives the focus without moving the value.
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->value();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    const QRect handle = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                      QStyle::SC_ScrollBarSlider, bar);
    QTest::mouseClick(bar, Qt::LeftButton, {}, handle.center());
    QVERIFY(bar->hasFocus());
    QCOMPARE(bar->value(), 8);
    QCOMPARE(edgeColour(), highlight);
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(m_form->controls().Label8->text(), u"9"_s);
}

void TestForm1::clickStampsOneDisc()
{
    ui::PictureBox *canvas = m_form->controls().Picture1;
    QTest::mouseClick(canvas, Qt::LeftButton, {}, onCanvas(100, 80));
    const QImage image = canvas->Image();
    QCOMPARE(extentOf(image, QBColor(8)), QRect(86, 66, 29, 29));
    QCOMPARE(countOf(image, QBColor(8)) + countOf(image, QBColor(0)), testimages::area(testimages::CanvasSize));
    // The pixels (i, j) with i² + j² <= 14² + 14 around the centre.
    QCOMPARE(countOf(image, QBColor(8)), 665);
    QTRY_COMPARE(screenOf(canvas), image);
}

void TestForm1::dragStampsOneDiscPerMove()
{
    ui::PictureBox *canvas = m_form->controls().Picture1;
    m_form->controls().HScroll1->setValue(3);
    QTest::mousePress(canvas, Qt::LeftButton, {}, onCanvas(20, 20));
    for (int x = 60; x <= 300; x += 40)
        sendMove(canvas, onCanvas(x, 20), Qt::LeftButton);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, onCanvas(300, 20));
    const QImage image = canvas->Image();
    // Eight separate discs of 37 pixels with gaps between them: positions are not joined.
    QCOMPARE(countOf(image, QBColor(8)), 8 * 37);
    QCOMPARE(image.pixel(40, 20), ui::toQRgb(QBColor(0)));
    QCOMPARE(extentOf(image, QBColor(8)), QRect(17, 17, 287, 7));
}

void TestForm1::onlyTheLeftButtonAlonePaints_data()
{
    QTest::addColumn<bool>("press");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("held");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("paints");
    const int L = Qt::LeftButton, R = Qt::RightButton, M = Qt::MiddleButton;
    QTest::newRow("left press") << true << L << L << 0 << true;
    QTest::newRow("right press") << true << R << R << 0 << false;
    QTest::newRow("middle press") << true << M << M << 0 << false;
    QTest::newRow("left press with right held") << true << L << (L | R) << 0 << true;
    QTest::newRow("right press with left held") << true << R << (L | R) << 0 << false;
    QTest::newRow("move, no button") << false << 0 << 0 << 0 << false;
    QTest::newRow("move, left") << false << 0 << L << 0 << true;
    QTest::newRow("move, right") << false << 0 << R << 0 << false;
    QTest::newRow("move, middle") << false << 0 << M << 0 << false;
    QTest::newRow("move, left and right") << false << 0 << (L | R) << 0 << false;
    QTest::newRow("move, left and middle") << false << 0 << (L | M) << 0 << false;
    QTest::newRow("left press with shift") << true << L << L << int(Qt::ShiftModifier) << true;
    QTest::newRow("move, left, ctrl and alt")
        << false << 0 << L << int(Qt::ControlModifier | Qt::AltModifier) << true;
}

void TestForm1::onlyTheLeftButtonAlonePaints()
{
    QFETCH(bool, press);
    QFETCH(int, button);
    QFETCH(int, held);
    QFETCH(int, modifiers);
    QFETCH(bool, paints);
    ui::PictureBox *canvas = m_form->controls().Picture1;
    const auto mods = Qt::KeyboardModifiers(modifiers);
    if (press)
        sendPress(canvas, onCanvas(200, 150), Qt::MouseButton(button), Qt::MouseButtons(held), mods);
    else
        sendMove(canvas, onCanvas(200, 150), Qt::MouseButtons(held), mods);
    const QImage image = canvas->Image();
    QCOMPARE(extentOf(image, QBColor(8)), paints ? QRect(186, 136, 29, 29) : QRect());
}

void TestForm1::levelZeroPaintsTheBackground()
{
    ui::PictureBox *canvas = m_form->controls().Picture1;
    m_form->controls().HScroll2->setValue(15);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, onCanvas(100, 100));
    m_form->controls().HScroll2->setValue(0);
    m_form->controls().HScroll1->setValue(25);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, onCanvas(100, 100));
    QCOMPARE(countOf(canvas->Image(), QBColor(0)), testimages::area(testimages::CanvasSize));
}

void TestForm1::discsAtTheEdgeAreClipped()
{
    ui::PictureBox *canvas = m_form->controls().Picture1;
    m_form->controls().HScroll1->setValue(10);
    // A press inside the frame, and a drag that leaves the canvas, still paint what is inside.
    QTest::mousePress(canvas, Qt::LeftButton, {}, onCanvas(0, 0));
    sendMove(canvas, onCanvas(392, 336), Qt::LeftButton);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, onCanvas(392, 336));
    const QImage image = canvas->Image();
    QCOMPARE(image.size(), testimages::CanvasSize);
    QCOMPARE(extentOf(image.copy(0, 0, 50, 50), QBColor(8)), QRect(0, 0, 11, 11));
    QCOMPARE(extentOf(image.copy(300, 300, 89, 33), QBColor(8)).translated(300, 300),
             QRect(383, 327, 6, 6));
}

void TestForm1::sliderChangeTakesEffectOnTheNextEvent()
{
    ui::PictureBox *canvas = m_form->controls().Picture1;
    QTest::mouseClick(canvas, Qt::LeftButton, {}, onCanvas(50, 50));
    m_form->controls().HScroll1->setValue(2);
    m_form->controls().HScroll2->setValue(12);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, onCanvas(200, 50));
    const QImage image = canvas->Image();
    QCOMPARE(extentOf(image, QBColor(8)), QRect(36, 36, 29, 29));
    QCOMPARE(extentOf(image, QBColor(12)), QRect(198, 48, 5, 5));
}

void TestForm1::loadAsksWithTheBitmapFilter()
{
    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(m_form->controls().Command2, Qt::LeftButton);
    QCOMPARE(m_dialogs->asked.size(), 2);
    for (const auto &a : m_dialogs->asked) {
        QCOMPARE(a.kind, ScriptedDialogs::Asked::Open);
        QCOMPARE(a.filter, u"ビットマップファイル(*.bmp)|*.bmp|すべてのファイル (*.*)|*.*"_s);
        QCOMPARE(a.filterIndex, 0);
    }
}

void TestForm1::loadReplacesPaintingAndClips()
{
    paintSomething();
    QImage big(500, 400, QImage::Format_RGB32);
    big.fill(ui::toQRgb(QBColor(4)));
    big.setPixel(388, 332, ui::toQRgb(QBColor(14)));
    const QString bigPath = m_dir.filePath(u"big.bmp"_s);
    QVERIFY(big.save(bigPath, "BMP"));
    m_dialogs->fileAnswers.push_back(bigPath);
    m_form->Command2_Click();
    QImage image = m_form->controls().Picture1->Image();
    QCOMPARE(countOf(image, QBColor(4)), testimages::area(testimages::CanvasSize) - 1);
    QCOMPARE(image.pixel(388, 332), ui::toQRgb(QBColor(14)));

    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(ui::toQRgb(QBColor(9)));
    const QString smallPath = m_dir.filePath(u"small.png"_s);
    QVERIFY(small.save(smallPath, "PNG"));
    m_dialogs->fileAnswers.push_back(smallPath);
    m_form->Command2_Click();
    image = m_form->controls().Picture1->Image();
    QCOMPARE(extentOf(image, QBColor(9)), QRect(0, 0, 40, 30));
    QCOMPARE(countOf(image, QBColor(0)), testimages::area(testimages::CanvasSize) - 40 * 30);
    QTRY_COMPARE(screenOf(m_form->controls().Picture1), image);

    // Painting goes over the loaded picture.
    paintSomething();
    QCOMPARE(m_form->controls().Picture1->Point(100, 100), QBColor(8));
    QCOMPARE(m_form->controls().Picture1->Point(5, 5), QBColor(9));
    QVERIFY(m_dialogs->messages().isEmpty());
}

void TestForm1::cancelledLoadChangesNothing()
{
    paintSomething();
    const QImage before = m_form->controls().Picture1->Image();
    m_dialogs->fileAnswers.push_back(std::nullopt);
    m_form->Command2_Click();
    QCOMPARE(m_form->controls().Picture1->Image(), before);
    QVERIFY(m_dialogs->messages().isEmpty());
}

// The open dialog starts where the last file was chosen, while the editor stays loaded: kept by
// "編集終了", by a file that could not be read and by a cancelled dialog; gone with a title-bar close.
void TestForm1::openDialogRemembersItsFileWhileLoaded()
{
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(ui::toQRgb(QBColor(4)));
    const QString good = m_dir.filePath(u"good.bmp"_s);
    QVERIFY(picture.save(good, "BMP"));
    const QString bad = m_dir.filePath(u"missing.bmp"_s);

    ui::FormSlot<Form1> slot([this] { return std::make_unique<Form1>(*m_dialogs, *m_store); });
    QStringList openedWith;
    auto open = [&](std::optional<QString> answer) {
        m_dialogs->fileAnswers.push_back(answer);
        QTest::mouseClick(slot->controls().Command2, Qt::LeftButton);
        openedWith << m_dialogs->fileDialogs().last().fileName;
    };
    QTimer::singleShot(0, [&] {
        open(good);
        open(bad);
        open(std::nullopt);
        open(std::nullopt);
        slot->controls().Command1->click();
    });
    slot.showModal();
    QTimer::singleShot(0, [&] {
        open(std::nullopt);
        slot->close();
    });
    slot.showModal();
    QTimer::singleShot(0, [&] {
        open(std::nullopt);
        slot->controls().Command1->click();
    });
    slot.showModal();
    QCOMPARE(openedWith, (QStringList{QString(), good, bad, bad, bad, QString()}));
}

// Each row: the file, and the reason the message must give for it.
void TestForm1::unreadableFileIsReportedAndChangesNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QVERIFY(QDir(m_dir.path()).mkpath(u"hostile"_s));
    for (const hostilefiles::Case &c : hostilefiles::make(m_dir.filePath(u"hostile"_s)))
        QTest::newRow(qPrintable(c.name)) << c.path << c.reason;
}

// Every kind of file a user may pick by mistake: one message naming the file and the true reason,
// and the painting stays.
void TestForm1::unreadableFileIsReportedAndChangesNothing()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    paintSomething();
    const QImage before = m_form->controls().Picture1->Image();
    m_dialogs->fileAnswers.push_back(path);
    m_form->Command2_Click();
    QCOMPARE(m_form->controls().Picture1->Image(), before);
    const auto messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, u"ファイル読み込み"_s);
    QVERIFY(messages[0].text.startsWith(
        u"「%1」はピクチャとして読み込めませんでした。\n\n"_s.arg(QDir::toNativeSeparators(path))));
    QVERIFY2(messages[0].text.contains(reason), qPrintable(messages[0].text));
    QVERIFY(m_form->isVisible());
}

void TestForm1::corpus_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("refs");
    QStringList listed = otherFiles;
    for (const auto &[file, refs] : goodFiles)
        listed.append(file);
    QCOMPARE(listed.size(), 89);
    // The folder holds exactly the listed pictures: none missing, none that no test reads.
    QStringList onDisk;
    QDirIterator it(testimages::bmpsuite({}), {u"*.bmp"_s}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        onDisk.append(QDir(testimages::bmpsuite({})).relativeFilePath(it.next()));
    QStringList missing, unlisted;
    for (const QString &file : std::as_const(listed))
        if (!onDisk.contains(file))
            missing.append(testimages::bmpsuite(file));
    for (const QString &file : std::as_const(onDisk))
        if (!listed.contains(file))
            unlisted.append(file);
    QVERIFY2(missing.isEmpty(), qPrintable(u"test files missing: "_s + missing.join(u", "_s)));
    QVERIFY2(unlisted.isEmpty(), qPrintable(u"not in the list: "_s + unlisted.join(u", "_s)));

    for (const auto &[file, refs] : goodFiles) {
        QStringList paths;
        for (const QString &ref : refs)
            paths.append(testimages::bmpsuite(u"html/"_s + ref));
        QTest::newRow(qPrintable(file)) << testimages::bmpsuite(file) << u"g"_s << paths;
    }
    for (const QString &file : otherFiles)
        QTest::newRow(qPrintable(file)) << testimages::bmpsuite(file) << file.left(1)
                                        << QStringList();
}

// Every file of the corpus through the real load path: good files load and look as the suite's
// reference renderings; the others load or are refused with the message, never harming the canvas.
void TestForm1::corpus()
{
    QFETCH(QString, path);
    QFETCH(QString, group);
    QFETCH(QStringList, refs);
    VERIFY_TEST_FILE(path);
    paintSomething();
    const QImage before = m_form->controls().Picture1->Image();
    m_dialogs->fileAnswers.push_back(path);
    m_form->Command2_Click();
    const QImage after = m_form->controls().Picture1->Image();
    bool refused = false;
    for (const auto &m : m_dialogs->messages())
        refused = refused || !m.text.contains(u"高さの色では描かれていません"_s);
    if (refused) {
        QVERIFY2(group != u"g"_s, "a good file was refused");
        QCOMPARE(after, before);
        return;
    }
    QCOMPARE(after.size(), testimages::CanvasSize);
    if (group != u"g"_s)
        return;
    // Qt widens 5- and 6-bit channels by shifting (31 -> 248), the suite by scaling (-> 255).
    const int allowed = QFileInfo(path).fileName().startsWith(u"rgb16"_s) ? 7 : 0;
    int best = INT_MAX;
    for (const QString &ref : refs) {
        VERIFY_TEST_FILE(ref);
        const QImage want = QImage(ref).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!want.isNull(), qPrintable(ref));
        best = std::min(best,
                        testimages::maxChannelDifference(after.copy(want.rect()), want));
    }
    QVERIFY2(best >= 0 && best <= allowed, qPrintable(u"differs by %1"_s.arg(best)));
}

void TestForm1::handBackRightAfterOpeningIsAllBlack()
{
    m_store->PSet(3, 3, QBColor(15));
    QTest::mouseClick(m_form->controls().Command1, Qt::LeftButton);
    QVERIFY(!m_form->isVisible());
    const QImage map = m_store->Image();
    QCOMPARE(map.size(), testimages::CanvasSize);
    QCOMPARE(countOf(map, QBColor(0)), testimages::area(testimages::CanvasSize));
}

void TestForm1::handBackIsACopyAtThatMoment()
{
    paintSomething();
    m_form->Command1_Click();
    QCOMPARE(m_store->Point(100, 100), QBColor(8));
    m_form->show();
    m_form->controls().HScroll2->setValue(12);
    QTest::mouseClick(m_form->controls().Picture1, Qt::LeftButton, {}, onCanvas(300, 300));
    QCOMPARE(m_store->Point(300, 300), QBColor(0));
    // Hiding kept the canvas and the pen.
    QCOMPARE(m_form->controls().Picture1->Point(100, 100), QBColor(8));
    QCOMPARE(m_form->controls().HScroll2->value(), 12);
    m_form->Command1_Click();
    QCOMPARE(m_store->Point(300, 300), QBColor(12));
}

void TestForm1::titleBarCloseHandsNothingBack()
{
    ui::FormSlot<Form1> slot([this] { return std::make_unique<Form1>(*m_dialogs, *m_store); });
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(slot->controls().Picture1, Qt::LeftButton, {}, onCanvas(10, 10));
        slot->controls().Command1->click();
    });
    slot.showModal();
    QCOMPARE(m_store->Point(10, 10), QBColor(8));

    QTimer::singleShot(0, [&] {
        slot->controls().HScroll1->setValue(3);
        slot->controls().HScroll2->setValue(2);
        QTest::mouseClick(slot->controls().Picture1, Qt::LeftButton, {}, onCanvas(200, 200));
        slot->close();
    });
    slot.showModal();
    QVERIFY(!slot.isLoaded());
    QCOMPARE(m_store->Point(200, 200), QBColor(0));
    QCOMPARE(m_store->Point(10, 10), QBColor(8));

    const auto &fresh = slot->controls();
    QCOMPARE(countOf(fresh.Picture1->Image(), QBColor(0)), testimages::area(testimages::CanvasSize));
    QCOMPARE(fresh.HScroll1->value(), 14);
    QCOMPARE(fresh.HScroll2->value(), 8);
    QCOMPARE(fresh.Label7->text(), u"14"_s);
}

// How the editor was left: "painted, closed" (a stroke, then the title bar), "blank, closed",
// "painted, done" (編集終了) or "closed, then emptied" (新規作成 after the close).
void TestForm1::closedEditIsSaidWhenTheEditorOpens_data()
{
    QTest::addColumn<bool>("paint");
    QTest::addColumn<bool>("titleBar");
    QTest::addColumn<bool>("emptyAfter");
    QTest::addColumn<bool>("said");
    QTest::newRow("painted, closed") << true << true << false << true;
    QTest::newRow("blank, closed") << false << true << false << false;
    QTest::newRow("painted, done") << true << false << false << false;
    QTest::newRow("closed, then emptied") << true << true << true << false;
}

void TestForm1::closedEditIsSaidWhenTheEditorOpens()
{
    QFETCH(bool, paint);
    QFETCH(bool, titleBar);
    QFETCH(bool, emptyAfter);
    QFETCH(bool, said);
    editor::EditingSession session;
    ui::FormSlot<Form1> slot(
        [&] { return std::make_unique<Form1>(*m_dialogs, *m_store, &session); });
    QTimer::singleShot(0, [&] {
        if (paint)
            QTest::mouseClick(slot->controls().Picture1, Qt::LeftButton, {}, onCanvas(50, 60));
        if (titleBar)
            slot->close();
        else
            slot->controls().Command1->click();
    });
    slot.showModal();
    if (emptyAfter)
        slot->blankPicture();

    bool shown = false;
    bool goneAfterUndo = false;
    QString text;
    ui::Colour afterUndo = ui::NoColour;
    QTimer::singleShot(0, [&] {
        QLabel *line = slot->closedEditLine();
        shown = line && line->isVisible();
        text = line ? line->text() : QString();
        slot->findChild<QAction *>(u"UndoAction"_s)->trigger();
        goneAfterUndo = !line || !line->isVisible();
        afterUndo = slot->controls().Picture1->Point(50, 60);
        slot->controls().Command1->click();
    });
    slot.showModal();
    QCOMPARE(shown, said);
    QVERIFY(goneAfterUndo);
    if (said) {
        QCOMPARE(text, u"閉じた編集は Ctrl+Z で戻せます"_s);
        QCOMPARE(afterUndo, QBColor(8));
    }

    // Said once: the window after that opens without the line.
    bool again = true;
    QTimer::singleShot(0, [&] {
        again = slot->closedEditLine() && slot->closedEditLine()->isVisible();
        slot->controls().Command1->click();
    });
    slot.showModal();
    QVERIFY(!again);
}

void TestForm1::canvasTipNamesTheShortcuts()
{
    QCOMPARE(m_form->controls().Picture1->toolTip(),
             u"左ボタン: 描く　右クリック: メニュー\n"
             u"Ctrl+Z　元に戻す\n"
             u"Ctrl+Y / Ctrl+Shift+Z　やり直し\n"
             u"Ctrl+S　奥行きマップを保存\n"
             u"Ctrl+O　ファイル読み込み\n"
             u"Ctrl+I　画像から奥行きマップ\n"
             u"Ctrl+T　文字を入れる\n"
             u"矢印キー: 描く位置　スペース: 描く　＋ －: ペンの太さ　［ ］: 高さ"_s);
    for (QAction *a : m_form->canvasMenu()->actions())
        QVERIFY(a->isSeparator() || a->isShortcutVisibleInContextMenu());
}

void TestForm1::activate()
{
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

// `target`: the control with the focus. `effect`: "hand back" (編集終了 pressed), "open"
// (ファイル読み込み pressed) or "nothing" (the editor stays as it is, shown).
void TestForm1::enterSpaceAndEscape_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("effect");
    QTest::newRow("Enter on 編集終了") << u"Command1"_s << int(Qt::Key_Return) << u"hand back"_s;
    QTest::newRow("keypad Enter on 編集終了") << u"Command1"_s << int(Qt::Key_Enter) << u"hand back"_s;
    QTest::newRow("Space on 編集終了") << u"Command1"_s << int(Qt::Key_Space) << u"hand back"_s;
    QTest::newRow("Enter on ファイル読み込み") << u"Command2"_s << int(Qt::Key_Return) << u"open"_s;
    QTest::newRow("Space on ファイル読み込み") << u"Command2"_s << int(Qt::Key_Space) << u"open"_s;
    // No default button: Enter elsewhere presses nothing.
    QTest::newRow("Enter on the canvas") << u"Picture1"_s << int(Qt::Key_Return) << u"nothing"_s;
    QTest::newRow("Enter on a slider") << u"HScroll2"_s << int(Qt::Key_Return) << u"nothing"_s;
    // Escape would discard the painting if it closed the window: it does nothing.
    QTest::newRow("Escape on the canvas") << u"Picture1"_s << int(Qt::Key_Escape) << u"nothing"_s;
    QTest::newRow("Escape on 編集終了") << u"Command1"_s << int(Qt::Key_Escape) << u"nothing"_s;
}

void TestForm1::enterSpaceAndEscape()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    QFETCH(QString, effect);
    activate();
    paintSomething();
    auto *focus = m_form->findChild<QWidget *>(target);
    QVERIFY(focus);
    focus->setFocus();
    QCOMPARE(QApplication::focusWidget(), focus);
    const Qt::KeyboardModifiers modifiers =
        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(focus, Qt::Key(key), modifiers);

    const bool handedBack = m_store->Point(100, 100) == QBColor(8);
    const bool asked = !m_dialogs->asked.isEmpty();
    QCOMPARE(handedBack, effect == u"hand back"_s);
    QCOMPARE(!m_form->isVisible(), effect == u"hand back"_s);
    QCOMPARE(asked, effect == u"open"_s);
    if (asked)
        QCOMPARE(m_dialogs->asked[0].kind, ScriptedDialogs::Asked::Open);
    QCOMPARE(m_form->controls().Picture1->Point(100, 100), QBColor(8));
}

// `script`: p a stroke (press, moves, release), c a single click, l a load, e "編集終了" and
// showing again, x a title-bar close and a new window on the same session, then the keys: z
// Ctrl+Z, y Ctrl+Y, Z Ctrl+Shift+Z. After each letter the canvas is the state the script reached.
void TestForm1::historyFollowsTheSteps_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("three strokes, undo twice, redo once") << u"pppzzy"_s;
    QTest::newRow("a click and a load are steps") << u"clpzzzyZy"_s;
    QTest::newRow("kept across 編集終了") << u"ppezepzy"_s;
    QTest::newRow("the discarded canvas comes back, with its history") << u"ppxzzzyyy"_s;
    QTest::newRow("a stroke after undo drops redo") << u"ppzpyy"_s;
}

void TestForm1::historyFollowsTheSteps()
{
    QFETCH(QString, script);
    const QString file = m_dir.filePath(u"shape.bmp"_s);
    QVERIFY(testimages::shapeMap().save(file, "BMP"));
    delete m_form;
    m_session = std::make_unique<editor::EditingSession>();
    editor::EditingSession &session = *m_session;
    m_form = new Form1(*m_dialogs, *m_store, &session);
    m_form->load();
    m_form->show();
    activate();
    QList<QImage> states{m_form->controls().Picture1->Image()};
    qsizetype at = 0;
    int n = 0;
    for (QChar c : script) {
        ui::PictureBox *canvas = m_form->controls().Picture1;
        const QString keys = u"zyZ"_s;
        if (keys.contains(c)) {
            const bool back = c == u'z';
            QTest::keyClick(m_form, Qt::Key(back ? Qt::Key_Z : c == u'y' ? Qt::Key_Y : Qt::Key_Z),
                            c == u'Z' ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
            at = std::clamp<qsizetype>(at + (back ? -1 : 1), 0, states.size() - 1);
        } else {
            ++n;
            m_form->controls().HScroll2->setValue(1 + n % 15);
            if (c == u'p') {
                QTest::mousePress(canvas, Qt::LeftButton, {}, onCanvas(30 * n, 40));
                sendMove(canvas, onCanvas(30 * n + 20, 60), Qt::LeftButton);
                QTest::mouseRelease(canvas, Qt::LeftButton, {}, onCanvas(30 * n + 20, 60));
            } else if (c == u'c') {
                QTest::mouseClick(canvas, Qt::LeftButton, {}, onCanvas(30 * n, 200));
            } else if (c == u'l') {
                m_dialogs->fileAnswers.push_back(file);
                m_form->Command2_Click();
            } else if (c == u'e') {
                m_form->Command1_Click();
                m_form->show();
                activate();
                continue;
            } else if (c == u'x') {
                m_form->close();
                delete m_form;
                m_form = new Form1(*m_dialogs, *m_store, &session);
                m_form->load();
                m_form->show();
                activate();
                // The line saying Ctrl+Z brings the closed edit back lies over the canvas; it has
                // its own test, and here only the canvas's pixels are compared.
                if (QLabel *line = m_form->closedEditLine())
                    line->hide();
            }
            states.resize(++at);
            states.append(m_form->controls().Picture1->Image());
        }
        QVERIFY2(m_form->controls().Picture1->Image() == states[at], qPrintable(u"after '%1'"_s.arg(c)));
        QTRY_COMPARE(shownOf(m_form->controls().Picture1), states[at]);
    }
}

void TestForm1::canvasMenu()
{
    QStringList items;
    for (QAction *a : m_form->canvasMenu()->actions())
        if (!a->isSeparator())
            items << a->text() + u' ' + a->shortcut().toString();
    QCOMPARE(items, (QStringList{u"元に戻す Ctrl+Z"_s, u"やり直し Ctrl+Y"_s,
                                 u"奥行きマップを保存... Ctrl+S"_s, u"ファイル読み込み... Ctrl+O"_s,
                                 u"画像から奥行きマップ... Ctrl+I"_s, u"文字を入れる... Ctrl+T"_s}));
    paintSomething();
    const QImage before = m_form->controls().Picture1->Image();
    ui::PictureBox *canvas = m_form->controls().Picture1;
    QTest::mouseClick(canvas, Qt::RightButton, {}, onCanvas(200, 200));
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, onCanvas(200, 200),
                                canvas->mapToGlobal(onCanvas(200, 200)));
    QCoreApplication::sendEvent(canvas, &menuEvent);
    QTRY_VERIFY(m_form->canvasMenu()->isVisible());
    m_form->canvasMenu()->close();
    QCOMPARE(m_form->controls().Picture1->Image(), before);
}

// Saved with Ctrl+S, emptied, opened with Ctrl+O: the same canvas, bit for bit. The save dialog
// offers PNG first and opens with the name chosen last.
void TestForm1::savedMapOpensIdentical()
{
    activate();
    paintSomething();
    QTest::mouseClick(m_form->controls().Picture1, Qt::LeftButton, {}, onCanvas(388, 0));
    const QImage painted = m_form->controls().Picture1->Image();
    const QString path = m_dir.filePath(u"map.png"_s);
    m_dialogs->fileAnswers = {path, std::nullopt, path};
    QTest::keyClick(m_form, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(m_form, Qt::Key_S, Qt::ControlModifier);
    const auto dialogs = m_dialogs->fileDialogs();
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs[0].kind, ScriptedDialogs::Asked::Save);
    QVERIFY(dialogs[0].filter.startsWith(u"PNG"_s));
    QCOMPARE(dialogs[1].fileName, path);
    auto *undo = m_form->findChild<QAction *>(u"UndoAction"_s);
    QVERIFY(undo && undo->isEnabled());
    // Emptied, the canvas has no steps left to undo.
    m_form->blankPicture();
    QVERIFY(!undo->isEnabled());
    QTest::keyClick(m_form, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_form->controls().Picture1->Image(), painted);
}

// A draft folder that cannot be made: the user is told once, after a stroke, and can save.
void TestForm1::draftThatCannotBeWrittenIsSaidOnce()
{
    const QString notAFolder = m_dir.filePath(u"not-a-folder"_s);
    QFile file(notAFolder);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    editor::DraftStore drafts(notAFolder + u"/drafts"_s);
    delete m_form;
    m_session = std::make_unique<editor::EditingSession>(&drafts);
    m_form = new Form1(*m_dialogs, *m_store, m_session.get());
    m_form->load();
    m_form->show();
    auto stroke = [&](int x) {
        ui::PictureBox *canvas = m_form->controls().Picture1;
        QTest::mousePress(canvas, Qt::LeftButton, {}, onCanvas(x, 40));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, onCanvas(x, 40));
        drafts.flush();
    };
    for (int x : {20, 60, 100})
        stroke(x);
    QCOMPARE(m_dialogs->messages().size(), 1);
    QVERIFY(m_dialogs->messages().constFirst().text.contains(u"下書きを書き込めません"_s));
    delete m_form;
    m_form = nullptr;
    m_session.reset();
}

// Each row: where the keyboard goes from the centre (in steps of ten and of one), the pen.
void TestForm1::keyboardStampsAsAClickDoes_data()
{
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("level");
    QTest::newRow("the centre, as it starts") << QPoint(194, 166) << 14 << 8;
    QTest::newRow("the top-left pixel") << QPoint(0, 0) << 25 << 15;
    QTest::newRow("the bottom-right pixel") << QPoint(388, 332) << 1 << 3;
    QTest::newRow("past the edge, held at it") << QPoint(500, -40) << 0 << 12;
}

// Space stamps exactly the disc a left click at the keyboard position stamps, both layers.
void TestForm1::keyboardStampsAsAClickDoes()
{
    QFETCH(QPoint, to);
    QFETCH(int, size);
    QFETCH(int, level);
    m_form->show();
    activate();
    auto &c = m_form->controls();
    c.HScroll1->setValue(size);
    c.HScroll2->setValue(level);
    const QPoint held(std::clamp(to.x(), 0, 388), std::clamp(to.y(), 0, 332));
    QTest::mouseClick(c.Picture1, Qt::LeftButton, {}, onCanvas(held.x(), held.y()));
    const QImage kept = c.Picture1->surface().persistentImage();
    const QImage screen = c.Picture1->surface().screenImage();
    m_form->blankPicture();

    // A click moved the keyboard there; the keys go back to the centre and out again.
    c.Picture1->setFocus();
    QTest::keyClick(c.Picture1, Qt::Key_Up); // shows the position, moves nothing
    QPoint at = m_form->keyboardPosition();
    QCOMPARE(at, held);
    auto walk = [&](QPoint target) {
        while (at != target) {
            const QPoint d = target - at;
            const bool far = (d.x() != 0 ? std::abs(d.x()) : std::abs(d.y())) >= 10;
            const Qt::Key key = d.x() < 0 ? Qt::Key_Left : d.x() > 0 ? Qt::Key_Right
                                : d.y() < 0 ? Qt::Key_Up : Qt::Key_Down;
            const QPoint before = at;
            QTest::keyClick(c.Picture1, key, far ? Qt::ShiftModifier : Qt::NoModifier);
            at = m_form->keyboardPosition();
            if (at == before)
                return; // held at the edge
        }
    };
    walk(QPoint(194, 166));
    // With Shift a key moves ten pixels, without it one.
    QTest::keyClick(c.Picture1, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(c.Picture1, Qt::Key_Up);
    at = m_form->keyboardPosition();
    QCOMPARE(at, QPoint(204, 165));
    walk(held);
    // Beyond the edge the position stays at it.
    if (to != held) {
        QTest::keyClick(c.Picture1, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(c.Picture1, Qt::Key_Up, Qt::ShiftModifier);
        at = m_form->keyboardPosition();
    }
    QCOMPARE(at, held);
    QTest::keyClick(c.Picture1, Qt::Key_Space);
    QCOMPARE(c.Picture1->surface().persistentImage(), kept);
    QCOMPARE(c.Picture1->surface().screenImage(), screen);
}

// Space held while moving stamps along the way, as a drag does, and is undone as one step.
void TestForm1::keyboardDragIsOneStep()
{
    m_form->show();
    activate();
    auto &c = m_form->controls();
    c.HScroll1->setValue(3);
    c.Picture1->setFocus();
    QTest::keyClick(c.Picture1, Qt::Key_Left);
    QTest::keyPress(c.Picture1, Qt::Key_Space);
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(c.Picture1, Qt::Key_Right);
    QTest::keyRelease(c.Picture1, Qt::Key_Space);
    const QImage painted = c.Picture1->Image();
    QCOMPARE(c.Picture1->Point(194 + 30, 166), QBColor(8));

    QImage dragged(painted.size(), QImage::Format_RGB32);
    dragged.fill(qRgb(0, 0, 0));
    m_form->blankPicture();
    QTest::mousePress(c.Picture1, Qt::LeftButton, {}, onCanvas(194, 166));
    for (int i = 1; i <= 30; ++i)
        sendMove(c.Picture1, onCanvas(194 + i, 166), Qt::LeftButton);
    QTest::mouseRelease(c.Picture1, Qt::LeftButton, {}, onCanvas(224, 166));
    QCOMPARE(c.Picture1->Image(), painted);

    m_form->blankPicture();
    c.Picture1->setFocus();
    QTest::keyPress(c.Picture1, Qt::Key_Space);
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(c.Picture1, Qt::Key_Left);
    QTest::keyRelease(c.Picture1, Qt::Key_Space);
    QTest::keyClick(m_form, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(testimages::countOf(c.Picture1->Image(), RGB(0, 0, 0)), 389 * 333);
}

// Space held down since before the canvas had the keys (its press went elsewhere) comes only as
// repeats: they paint nothing until Space is pressed anew.
void TestForm1::spaceRepeatingFromElsewherePaintsNothing()
{
    m_form->show();
    activate();
    auto &c = m_form->controls();
    c.Picture1->setFocus();
    QTest::keyClick(c.Picture1, Qt::Key_Left);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_s, true);
        QApplication::sendEvent(c.Picture1, &repeat);
    }
    QCOMPARE(testimages::countOf(c.Picture1->Image(), RGB(0, 0, 0)), 389 * 333);
    QTest::keyClick(c.Picture1, Qt::Key_Space);
    QVERIFY(testimages::countOf(c.Picture1->Image(), RGB(0, 0, 0)) < 389 * 333);
}

// A click on a palette cell, or Enter on it, picks that level; [ and ] on the canvas step it,
// and + and - the pen's size. The current level's cell is marked without colour.
void TestForm1::paletteCellsPickTheLevel()
{
    m_form->show();
    activate();
    auto &c = m_form->controls();
    QTest::mouseClick(c.Shape1[5], Qt::LeftButton);
    QCOMPARE(c.HScroll2->value(), 5);
    QVERIFY(c.Shape1[5]->isMarked() && !c.Shape1[8]->isMarked());
    QTest::mouseClick(c.Shape1[12], Qt::LeftButton);
    QTest::keyClick(c.Shape1[12], Qt::Key_Return);
    QCOMPARE(c.HScroll2->value(), 12);
    c.Picture1->setFocus();
    for (Qt::Key key : {Qt::Key_BracketRight, Qt::Key_BracketRight, Qt::Key_BracketRight,
                        Qt::Key_BracketRight, Qt::Key_BracketLeft, Qt::Key_Plus, Qt::Key_Minus,
                        Qt::Key_Minus})
        QTest::keyClick(c.Picture1, key);
    // Held at 15, then one down.
    QCOMPARE(c.HScroll2->value(), 14);
    QCOMPARE(c.HScroll1->value(), 13);
    QCOMPARE(c.Label8->text(), u"14"_s);
    QVERIFY(c.Shape1[14]->isMarked());
}

// Numbers over the palette and a grey canvas are a view: the canvas keeps its level colours.
void TestForm1::levelNumbersAreAViewOnly()
{
    m_form->show();
    activate();
    auto &c = m_form->controls();
    QTest::mouseClick(c.Picture1, Qt::LeftButton, {}, onCanvas(100, 100));
    const QImage before = c.Picture1->Image();
    m_form->setLevelNumbersShown(true);
    QCOMPARE(c.Picture1->Image(), before);
    const QImage shown = c.Picture1->grab().toImage();
    const QPoint inside = c.Picture1->contentsRect().topLeft() + QPoint(100, 100);
    QCOMPARE(shown.pixel(inside) & 0xffffffu, qRgb(136, 136, 136) & 0xffffffu); // level 8
    m_form->Command1_Click();
    QCOMPARE(m_store->Point(100, 100), QBColor(8));
}

// Every control a screen reader meets has a name.
void TestForm1::everyControlHasAName()
{
    const auto &c = m_form->controls();
    QList<QWidget *> controls{c.Picture1, c.Picture2, c.HScroll1, c.HScroll2, c.Command1,
                              c.Command2};
    for (ui::Shape *cell : c.Shape1)
        controls << cell;
    for (QWidget *w : controls) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
    }
    QAccessibleInterface *cell = QAccessible::queryAccessibleInterface(c.Shape1[3]);
    QCOMPARE(cell->role(), QAccessible::Button);
    QCOMPARE(cell->text(QAccessible::Name), u"高さ 3"_s);
}

// Each row: the text, its size and level. Placed on a painted canvas, it changes pixels only into
// exactly the level's colour, and one undo brings the canvas back.
void TestForm1::textIsOnlyTheLevelColourAndOneStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("level");
    QTest::newRow("立体 at 12") << u"立体"_s << 48 << 12;
    QTest::newRow("two lines at 3") << u"AB\n奥行き"_s << 30 << 3;
    QTest::newRow("small at 15") << u"g,y"_s << 9 << 15;
}

void TestForm1::textIsOnlyTheLevelColourAndOneStep()
{
    QFETCH(QString, text);
    QFETCH(int, size);
    QFETCH(int, level);
    paintSomething();
    const QImage before = m_form->controls().Picture1->Image();
    m_form->beginPlacingText({text, editor::defaultTextFont(), size, level});
    QVERIFY(m_form->placingText());
    ui::PictureBox *canvas = m_form->controls().Picture1;
    sendMove(canvas, onCanvas(150, 150), Qt::NoButton);
    // The text's outline follows the mouse, its top left corner at the pointer.
    const auto *outline = canvas->findChild<QRubberBand *>();
    QVERIFY(outline && !outline->isHidden());
    QCOMPARE(outline->pos(), canvas->contentsRect().topLeft() + QPoint(150, 150));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, onCanvas(40, 60));
    QVERIFY(!m_form->placingText());
    const QImage after = canvas->Image().convertToFormat(QImage::Format_RGB32);
    const QImage old = before.convertToFormat(QImage::Format_RGB32);
    const QRgb colour = picture::toQRgb(picture::QBColor(level));
    int changed = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != old.pixel(x, y)) {
                ++changed;
                QCOMPARE(after.pixel(x, y), colour);
                QVERIFY(x >= 40 && y >= 60);
            }
    // The glyphs, not the box round them: a text covers less than half of its outline.
    QVERIFY(changed > 10 && changed < outline->width() * outline->height() / 2);
    QCOMPARE(screenOf(canvas), after);
    m_form->undo();
    QCOMPARE(canvas->Image(), before);
}

void TestForm1::escapeCancelsTheText()
{
    activate();
    const QImage before = m_form->controls().Picture1->Image();
    m_form->beginPlacingText({u"立体"_s, editor::defaultTextFont(), 40, 12});
    QTest::keyClick(m_form, Qt::Key_Escape);
    QVERIFY(!m_form->placingText());
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->controls().Picture1->Image(), before);
}

// OK in the import dialog puts its map into the canvas as one step.
// Each row: the import's settings for a 16-bit picture of the canvas's size in four bands of
// grey (black, white, a third and two thirds of white), and the level each band becomes.
void TestForm1::importIsOneStep_data()
{
    QTest::addColumn<bool>("invert");
    QTest::addColumn<int>("smooth");
    QTest::addColumn<QList<int>>("levels");
    QTest::newRow("as it is") << false << 0 << QList<int>{0, 15, 5, 10};
    QTest::newRow("inverted and smoothed") << true << 2 << QList<int>{15, 0, 10, 5};
}

void TestForm1::importIsOneStep()
{
    QFETCH(bool, invert);
    QFETCH(int, smooth);
    QFETCH(QList<int>, levels);
    paintSomething();
    const QImage before = m_form->controls().Picture1->Image();
    const QList<quint16> greys{0, 65535, 21845, 43690};
    const int band = 97; // the last band is 98 wide
    QImage grey(testimages::CanvasSize, QImage::Format_Grayscale16);
    QImage expected(testimages::CanvasSize, QImage::Format_RGB32);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const int k = std::min(x / band, 3);
            reinterpret_cast<quint16 *>(grey.scanLine(y))[x] = greys[k];
            expected.setPixel(x, y, ui::toQRgb(QBColor(levels[k])));
        }
    const QString path = m_dir.filePath(u"grey16.png"_s);
    QVERIFY(grey.save(path));
    m_dialogs->modal = [&](QDialog &dialog) {
        auto &import = static_cast<editor::ImportDialog &>(dialog);
        import.smooth->setValue(smooth);
        import.invert->setChecked(invert);
        return int(QDialog::Accepted);
    };
    QVERIFY(m_form->importPicture(path));
    QCOMPARE(m_form->controls().Picture1->Image().convertToFormat(QImage::Format_RGB32), expected);
    QVERIFY(m_dialogs->messages().isEmpty());
    m_form->undo();
    QCOMPARE(m_form->controls().Picture1->Image(), before);
}

void TestForm1::unreadableFileThroughTheImport_data()
{
    unreadableFileIsReportedAndChangesNothing_data();
}

// The import reads through the same load path: the same refusals, with the same reasons.
void TestForm1::unreadableFileThroughTheImport()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    paintSomething();
    const QImage before = m_form->controls().Picture1->Image();
    bool dialogShown = false;
    m_dialogs->modal = [&](QDialog &) {
        dialogShown = true;
        return int(QDialog::Accepted);
    };
    m_dialogs->fileAnswers.push_back(path);
    QVERIFY(!m_form->importPictureAs());
    QVERIFY(!dialogShown);
    QCOMPARE(m_form->controls().Picture1->Image(), before);
    const auto messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, u"画像から奥行きマップ"_s);
    QVERIFY2(messages[0].text.contains(reason), qPrintable(messages[0].text));
}

// Each row: a picture loaded with "ファイル読み込み", the question asked (none for a map of level
// colours), the answer and how the import dialog ends. いいえ, or キャンセル in the dialog, keeps
// the picture as loaded; はい and OK put in exactly the map make converts the same file to.
void TestForm1::greyPictureOffersTheImport_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("dialogEnds");
    QImage grey(300, 200, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            grey.scanLine(y)[x] = uchar(1 + x * 250 / 300);
    // A sphere on black, mostly black, larger than the canvas: only its whole tells what it is.
    const QImage sphere = testimages::sphereOnBlack({1200, 900}, 250, {800, 600});
    const QImage ramp16 = testimages::sixteenBitRamp({389, 100});
    const QImage jet = testimages::colourRamp({389, 60}, testimages::jetCorners());
    QImage levels(389, 333, QImage::Format_RGB32);
    levels.fill(picture::toQRgb(picture::QBColor(9)));
    const QString greyQuestion = u"この画像は灰色の奥行きマップで、高さの色では描かれていません。\n"
                                 u"「画像から奥行きマップ」で変換しますか？"_s;
    const int yes = ui::MsgBox::Yes;
    const int accepted = QDialog::Accepted;
    QTest::newRow("grey, いいえ") << grey << greyQuestion << int(ui::MsgBox::No) << accepted;
    QTest::newRow("grey, はい") << grey << greyQuestion << yes << accepted;
    QTest::newRow("grey, はい, キャンセル") << grey << greyQuestion << yes << int(QDialog::Rejected);
    QTest::newRow("sphere on black, はい") << sphere << greyQuestion << yes << accepted;
    QTest::newRow("16-bit ramp, はい")
        << ramp16
        << u"この画像は16 ビットの奥行きマップで、高さの色では描かれていません。\n"
           u"「画像から奥行きマップ」で変換しますか？"_s
        << yes << accepted;
    QTest::newRow("jet ramp, はい")
        << jet
        << u"この画像はjet の色の尺度で描かれた奥行きマップで、高さの色では描かれていません。\n"
           u"「画像から奥行きマップ」で変換しますか？"_s
        << yes << accepted;
    QTest::newRow("level colours") << levels << QString() << yes << accepted;
}

void TestForm1::greyPictureOffersTheImport()
{
    QFETCH(QImage, picture);
    QFETCH(QString, question);
    QFETCH(int, answer);
    QFETCH(int, dialogEnds);
    const QString path = m_dir.filePath(u"offered.png"_s);
    QVERIFY(picture.save(path));
    m_dialogs->fileAnswers.push_back(path);
    m_dialogs->msgBoxAnswers.push_back(answer);
    int dialogs = 0;
    m_dialogs->modal = [&](QDialog &) {
        ++dialogs;
        return dialogEnds;
    };
    m_form->Command2_Click();
    const auto messages = m_dialogs->messages();
    const bool asked = !question.isEmpty();
    QCOMPARE(messages.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(messages[0].text, question);
        QCOMPARE(messages[0].style, ui::MsgBox::YesNo | ui::MsgBox::Question);
    }
    const bool opened = asked && answer == ui::MsgBox::Yes;
    QCOMPARE(dialogs, opened ? 1 : 0);
    const QImage canvas = m_form->controls().Picture1->Image().convertToFormat(QImage::Format_RGB32);
    if (opened && dialogEnds == QDialog::Accepted) {
        // The bytes make writes for the same file: the one map source's conversion.
        QCOMPARE(canvas, ui::toQImage(picture::mapOfFile(path).map));
        QVERIFY(picture::mapOfFile(path).converted);
    } else {
        const QRect kept = picture.rect().intersected(canvas.rect());
        QCOMPARE(canvas.copy(kept), picture.convertToFormat(QImage::Format_RGB32).copy(kept));
    }
}

// A draft holding a grey picture kept as loaded is offered the conversion like a loaded file;
// a draft of level colours is restored with no question.
void TestForm1::restoredDraftOfAGreyPictureIsOffered()
{
    const QImage grey = testimages::sphereOnBlack(testimages::CanvasSize, 120, {194, 166},
                                                  QImage::Format_RGB32);
    m_dialogs->msgBoxAnswers.push_back(ui::MsgBox::Yes);
    m_dialogs->modal = [](QDialog &) { return int(QDialog::Accepted); };
    m_form->restoreDraft(grey);
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->messages()[0].title, u"編集の復元"_s);
    QCOMPARE(m_form->controls().Picture1->Image().convertToFormat(QImage::Format_RGB32),
             ui::toQImage(picture::mapOfPicture(ui::fromQImage(grey)).map));

    // キャンセル in the import dialog keeps the draft as it was.
    m_dialogs->msgBoxAnswers.push_back(ui::MsgBox::Yes);
    m_dialogs->modal = [](QDialog &) { return int(QDialog::Rejected); };
    m_form->restoreDraft(grey);
    QCOMPARE(m_dialogs->messages().size(), 2);
    QCOMPARE(m_form->controls().Picture1->Image().convertToFormat(QImage::Format_RGB32), grey);

    m_form->restoreDraft(testimages::uniformDepthMap(9));
    QCOMPARE(m_dialogs->messages().size(), 2);
    QCOMPARE(m_form->controls().Picture1->Image().convertToFormat(QImage::Format_RGB32),
             testimages::uniformDepthMap(9).convertToFormat(QImage::Format_RGB32));
}

// Each row: a picture in the import dialog, 反転 or not, the line saying what it is, where the
// "手前" marker sits on the preview (its centre's x, within 20 pixels), and the colours at the
// far and near ends of the strip above 奥 and 手前.
void TestForm1::importDialogShowsTheNearEnd_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("markerX");
    QTest::addColumn<QRgb>("farEnd");
    QTest::addColumn<QRgb>("nearEnd");
    // viridis from #440154 (cold, left) through #21918c to #fde725 (warm, right).
    const QImage viridis = testimages::colourRamp({389, 333}, testimages::viridisQuarters());
    QImage grey = viridis.convertToFormat(QImage::Format_Grayscale8).mirrored(true, false);
    // Dark greys but for the eight bottom rows, where the nearest level lies alone: the marker
    // over them stays inside the preview.
    QImage line(389, 333, QImage::Format_Grayscale8);
    for (int y = 0; y < 325; ++y)
        for (int x = 0; x < 389; ++x)
            line.scanLine(y)[x] = uchar(30 + 5 * ((x + y) % 10));
    for (int y = 325; y < 333; ++y)
        std::fill_n(line.scanLine(y), 389, uchar(240));
    QTest::newRow("viridis: the yellow end near")
        << viridis << false << u"viridis の色の尺度で描かれた奥行きマップ。色の尺度に沿って読みます（暖色の側が手前）。"_s << 388
        << qRgb(0x44, 0x01, 0x54) << qRgb(0xfd, 0xe7, 0x25);
    QTest::newRow("viridis, 反転") << viridis << true
                                   << u"viridis の色の尺度で描かれた奥行きマップ。色の尺度に沿って読みます（暖色の側が手前）。"_s
                                   << 0 << qRgb(0xfd, 0xe7, 0x25) << qRgb(0x44, 0x01, 0x54);
    QTest::newRow("grey, bright on the left")
        << grey << false << u"灰色の奥行きマップ。明るさで読みます。"_s << 0 << qRgb(0, 0, 0)
        << qRgb(255, 255, 255);
    QTest::newRow("grey, a bright line at the bottom")
        << line << false << u"灰色の奥行きマップ。明るさで読みます。"_s << 194 << qRgb(0, 0, 0)
        << qRgb(255, 255, 255);
}

void TestForm1::importDialogShowsTheNearEnd()
{
    QFETCH(QImage, picture);
    QFETCH(bool, inverted);
    QFETCH(QString, kind);
    QFETCH(int, markerX);
    QFETCH(QRgb, farEnd);
    QFETCH(QRgb, nearEnd);
    editor::ImportDialog dialog(ui::fromQImage(picture));
    dialog.invert->setChecked(inverted);
    QCOMPARE(dialog.kind->text(), kind);
    QVERIFY(!dialog.nearMarker->isHidden());
    QCOMPARE(dialog.nearMarker->text(), u"手前"_s);
    const int centre = dialog.nearMarker->geometry().center().x();
    QVERIFY2(std::abs(centre - markerX) <= 20 + dialog.nearMarker->width() / 2,
             qPrintable(QString::number(centre)));
    QVERIFY(dialog.preview->rect().contains(dialog.nearMarker->geometry()));

    // A black frame round a ramp 14 pixels high; the ends one pixel inside the frame, within 3
    // of the scale's end colours. Below it 奥 on the left and 手前 on the right, in black.
    const QImage strip = dialog.nearEnd->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(strip.size(), QSize(192, 34));
    auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 3 && std::abs(qGreen(a) - qGreen(b)) <= 3
               && std::abs(qBlue(a) - qBlue(b)) <= 3;
    };
    QVERIFY2(near(strip.pixel(1, 7), farEnd), qPrintable(QString::number(strip.pixel(1, 7), 16)));
    QVERIFY2(near(strip.pixel(190, 7), nearEnd), qPrintable(QString::number(strip.pixel(190, 7), 16)));
    for (const int x : {0, 100, 191})
        QCOMPARE(strip.pixel(x, 13), qRgb(0, 0, 0));
    auto inked = [&](int from, int to) {
        int dark = 0;
        for (int y = 14; y < 34; ++y)
            for (int x = from; x < to; ++x)
                dark += qAlpha(strip.pixel(x, y)) > 128 && qGray(strip.pixel(x, y)) < 100;
        return dark;
    };
    QVERIFY(inked(0, 40) > 10);
    QVERIFY(inked(152, 192) > 10);
    QCOMPARE(inked(60, 132), 0);
}

// Each placement is made off the window's thread; the last few are kept, and the map is always
// the one the command line makes for the settings shown.
void TestForm1::importKeepsFewPlacements_data()
{
    QTest::addColumn<QList<QPoint>>("visits"); // 配置's index and データなし's value (-1: off)
    QTest::addColumn<int>("kept");
    QTest::newRow("the first placement only") << QList<QPoint>{} << 1;
    QTest::newRow("one more") << QList<QPoint>{{1, -1}} << 2;
    QTest::newRow("back and forth") << QList<QPoint>{{1, -1}, {0, -1}, {1, -1}, {0, -1}} << 2;
    QTest::newRow("every fit") << QList<QPoint>{{1, -1}, {2, -1}, {3, -1}} << 4;
    QTest::newRow("many no-data values")
        << QList<QPoint>{{0, 10}, {0, 20}, {0, 30}, {0, 40}, {0, 50}, {0, 60}, {0, 70}} << 4;
    QTest::newRow("a dropped one again")
        << QList<QPoint>{{1, -1}, {2, -1}, {3, -1}, {3, 5}, {3, 6}, {1, -1}} << 4;
}

void TestForm1::importKeepsFewPlacements()
{
    QFETCH(QList<QPoint>, visits);
    QFETCH(int, kept);
    const picture::Image picture = ui::fromQImage(testimages::sixteenBitRamp({900, 600}));
    editor::ImportDialog dialog(picture);
    for (const QPoint &visit : visits) {
        dialog.fit->setCurrentIndex(visit.x());
        dialog.noData->setValue(std::max(0, visit.y()));
        dialog.noDataOn->setChecked(visit.y() >= 0);
        QTRY_VERIFY(!dialog.placing());
        QCOMPARE(dialog.settings().fit, picture::Fit(dialog.fit->currentData().toInt()));
        QCOMPARE(dialog.levels().map,
                 picture::levelsOf(picture::depthPictureOf(picture, dialog.verdict()),
                                   dialog.settings()));
    }
    QCOMPARE(dialog.placementsKept(), kept);
    QCOMPARE(dialog.result(), int(QDialog::Rejected)); // no placement closes it by itself
}

// OK pressed while a placement is made closes the dialog once it is made, with its map.
void TestForm1::importOkWaitsForThePlacement()
{
    const picture::Image picture = ui::fromQImage(testimages::sixteenBitRamp({900, 600}));
    editor::ImportDialog dialog(picture);
    const picture::Image fitted = dialog.levels().map;
    dialog.fit->setCurrentIndex(2);
    QVERIFY(dialog.placing());
    QPushButton *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    QVERIFY(!ok->isEnabled());
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.levels().map, fitted);
    QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(ok->isEnabled());
    const picture::Image stretched = dialog.levels().map;
    QVERIFY(stretched != fitted);
    QCOMPARE(stretched, picture::levelsOf(picture::depthPictureOf(picture, dialog.verdict()),
                                          dialog.settings()));
}

// Dark grey on the left, light on the right: the far and the near level, half the map each. In
// grey the preview shows them black and white; the bars stand 12 pixels wide on a white ground
// 64 high, the two used ones 62 pixels high (framed in dark grey), the others not at all.
void TestForm1::importDialogPreviewAndBars()
{
    QImage picture(389, 333, QImage::Format_Grayscale8);
    for (int y = 0; y < 333; ++y)
        for (int x = 0; x < 389; ++x)
            picture.scanLine(y)[x] = x < 194 ? 60 : 200;
    editor::ImportDialog dialog(ui::fromQImage(picture));
    // 自動 found the picture's two greys, shown where they would be set by hand.
    QCOMPARE(dialog.nearGrey->value(), 200);
    QCOMPARE(dialog.farGrey->value(), 60);
    QVERIFY(!dialog.nearGrey->isEnabled() && !dialog.farGrey->isEnabled());
    dialog.automatic->setChecked(false);
    QVERIFY(dialog.nearGrey->isEnabled() && dialog.farGrey->isEnabled());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(overlappingControls(dialog), QStringList());
    dialog.findChild<QCheckBox *>(u"greyPreview"_s)->setChecked(true);
    const QImage shown = dialog.preview->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(50, 100), qRgb(0, 0, 0));
    QCOMPARE(shown.pixel(300, 100), qRgb(255, 255, 255));

    const QImage bars = dialog.histogram->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(bars.size(), QSize(192, 64));
    for (const QPoint at : {QPoint(1, 0), QPoint(5, 1), QPoint(100, 62), QPoint(190, 1)})
        QCOMPARE(bars.pixel(at), qRgb(255, 255, 255));
    QCOMPARE(bars.pixel(5, 30), qRgb(0, 0, 0));
    QCOMPARE(bars.pixel(180, 30), QColor(Qt::darkGray).rgb());
    QCOMPARE(bars.pixel(185, 2), QColor(Qt::darkGray).rgb());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
