#include "support/hostilefiles.h"
#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "editor/form1.h"

#include "ui/formslot.h"
#include "ui/picturebox.h"
#include "ui/platform.h"
#include "ui/shape.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
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

struct SuiteFile
{
    QString path;
    QString group;
    QStringList refs;
};

// The corpus's own list: every file with its group and its reference renderings.
QList<SuiteFile> suiteFiles()
{
    QList<SuiteFile> files;
    QFile list(testimages::bmpsuite(u"SOURCE.md"_s));
    if (!list.open(QIODevice::ReadOnly))
        return files;
    const QStringList lines = QString::fromUtf8(list.readAll()).split(u'\n');
    for (const QString &line : lines) {
        static const QRegularExpression row(u"^\\| ([bgqx])/([^ |]+\\.bmp) \\|"_s);
        const auto m = row.match(line);
        if (!m.hasMatch())
            continue;
        const QStringList cells = line.split(u'|');
        QStringList refs;
        for (const QString &r : cells.at(cells.size() - 3).split(u','))
            if (r.trimmed() != u"-"_s)
                refs.append(testimages::bmpsuite(u"html/"_s + r.trimmed()));
        files.append({testimages::bmpsuite(m.captured(1) + u'/' + m.captured(2)), m.captured(1),
                      refs});
    }
    return files;
}

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
    void unreadableFileIsReportedAndChangesNothing_data();
    void unreadableFileIsReportedAndChangesNothing();
    void corpus_data();
    void corpus();

    void handBackRightAfterOpeningIsAllBlack();
    void handBackIsACopyAtThatMoment();
    void titleBarCloseHandsNothingBack();

private:
    void paintSomething();

    ScriptedDialogs *m_dialogs = nullptr;
    ui::PictureBox *m_store = nullptr;
    QWidget *m_main = nullptr;
    Form1 *m_form = nullptr;
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
    QCOMPARE(countOf(c.Picture1->Image(), QBColor(0)), 389 * 333);
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

void TestForm1::clickStampsOneDisc()
{
    ui::PictureBox *canvas = m_form->controls().Picture1;
    QTest::mouseClick(canvas, Qt::LeftButton, {}, onCanvas(100, 80));
    const QImage image = canvas->Image();
    QCOMPARE(extentOf(image, QBColor(8)), QRect(86, 66, 29, 29));
    QCOMPARE(countOf(image, QBColor(8)) + countOf(image, QBColor(0)), 389 * 333);
    QCOMPARE(countOf(image, QBColor(8)), [] {
        ui::PictureSurface s({389, 333}, RGB(0, 0, 0), ui::PictureSurface::FillStyle::Solid);
        s.setAutoRedraw(true);
        s.setFillColor(QBColor(8));
        s.Circle(100, 80, 14, QBColor(8));
        return countOf(s.Image(), QBColor(8));
    }());
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
    // Seven separate discs of 25 pixels with gaps between them: positions are not joined.
    QCOMPARE(countOf(image, QBColor(8)), 8 * 29);
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
    QCOMPARE(countOf(canvas->Image(), QBColor(0)), 389 * 333);
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
    QCOMPARE(image.size(), QSize(389, 333));
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
    QCOMPARE(countOf(image, QBColor(4)), 389 * 333 - 1);
    QCOMPARE(image.pixel(388, 332), ui::toQRgb(QBColor(14)));

    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(ui::toQRgb(QBColor(9)));
    const QString smallPath = m_dir.filePath(u"small.png"_s);
    QVERIFY(small.save(smallPath, "PNG"));
    m_dialogs->fileAnswers.push_back(smallPath);
    m_form->Command2_Click();
    image = m_form->controls().Picture1->Image();
    QCOMPARE(extentOf(image, QBColor(9)), QRect(0, 0, 40, 30));
    QCOMPARE(countOf(image, QBColor(0)), 389 * 333 - 40 * 30);
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
    const QList<SuiteFile> files = suiteFiles();
    QCOMPARE(files.size(), 89);
    for (const SuiteFile &f : files)
        QTest::newRow(qPrintable(QFileInfo(f.path).dir().dirName() + u'/'
                                 + QFileInfo(f.path).fileName()))
            << f.path << f.group << f.refs;
}

// Every file of the corpus through the real load path: good files load and look as the suite's
// reference renderings; the others load or are refused with the message, never harming the canvas.
void TestForm1::corpus()
{
    QFETCH(QString, path);
    QFETCH(QString, group);
    QFETCH(QStringList, refs);
    paintSomething();
    const QImage before = m_form->controls().Picture1->Image();
    m_dialogs->fileAnswers.push_back(path);
    m_form->Command2_Click();
    const QImage after = m_form->controls().Picture1->Image();
    const bool refused = !m_dialogs->messages().isEmpty();
    if (refused) {
        QVERIFY2(group != u"g"_s, "a good file was refused");
        QCOMPARE(after, before);
        return;
    }
    QCOMPARE(after.size(), QSize(389, 333));
    if (group != u"g"_s)
        return;
    // Qt widens 5- and 6-bit channels by shifting (31 -> 248), the suite by scaling (-> 255).
    const int allowed = QFileInfo(path).fileName().startsWith(u"rgb16"_s) ? 7 : 0;
    int best = INT_MAX;
    for (const QString &ref : refs) {
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
    QCOMPARE(map.size(), QSize(389, 333));
    QCOMPARE(countOf(map, QBColor(0)), 389 * 333);
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
    QCOMPARE(countOf(fresh.Picture1->Image(), QBColor(0)), 389 * 333);
    QCOMPARE(fresh.HScroll1->value(), 14);
    QCOMPARE(fresh.HScroll2->value(), 8);
    QCOMPARE(fresh.Label7->text(), u"14"_s);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
