// SPDX-License-Identifier: MIT

#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "app/form2.h"

#include "ui/picturebox.h"
#include "ui/platform.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace Qt::StringLiterals;
using ui::QBColor;
using ui::RGB;

// Run once for each screen scale (QT_SCALE_FACTOR 1, 1.25, 1.5 and 2; see CMakeLists.txt).
class TestScaling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholePictureShownUnsmoothed_data();
    void wholePictureShownUnsmoothed();
    void boldLabelsStayBold_data();
    void boldLabelsStayBold();

private:
    ScriptedDialogs m_dialogs;
};

void TestScaling::initTestCase()
{
    ui::installPlatform(*QCoreApplication::instance());
    qInfo("device pixel ratio %g", qApp->devicePixelRatio());
}

// A picture whose edges each have a colour of their own, over random dots, so that a lost edge
// row or column and any blending of neighbours show.
static QImage edgePattern(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 x = 12345;
    for (int j = 0; j < size.height(); ++j)
        for (int i = 0; i < size.width(); ++i) {
            x = x * 1103515245 + 12345;
            image.setPixel(i, j, ui::toQRgb((x >> 16) & 1 ? QBColor(0) : QBColor(15)));
        }
    for (int i = 0; i < size.width(); ++i) {
        image.setPixel(i, 0, ui::toQRgb(QBColor(14)));
        image.setPixel(i, size.height() - 1, ui::toQRgb(QBColor(10)));
    }
    for (int j = 0; j < size.height(); ++j) {
        image.setPixel(0, j, ui::toQRgb(QBColor(9)));
        image.setPixel(size.width() - 1, j, ui::toQRgb(QBColor(12)));
    }
    return image;
}

void TestScaling::wholePictureShownUnsmoothed_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("display window") << u"Form3"_s;
    QTest::newRow("editor's canvas") << u"Form1"_s;
}

void TestScaling::wholePictureShownUnsmoothed()
{
    QFETCH(QString, window);
    app::Form2 form2(m_dialogs, QString());
    form2.setEndApplication([] {});
    form2.show();
    ui::Form *form = nullptr;
    ui::PictureBox *box = nullptr;
    if (window == u"Form3"_s) {
        form = &form2.Form3().get();
        box = &form2.Form3()->Picture1();
    } else {
        form = &form2.Form1().get();
        box = form2.Form1()->controls().Picture1;
    }
    const QSize area = box->surface().size();
    box->setPicture(edgePattern(area));

    QImage shot;
    bool exposed = false;
    // Nothing here may return early: the window must be put away for showModal() to return.
    QTimer::singleShot(0, [&] {
        exposed = QTest::qWaitForWindowExposed(form);
        shot = form->grab().toImage();
        form->setVisible(false);
    });
    if (window == u"Form3"_s)
        form2.Form3().showModal();
    else
        form2.Form1().showModal();
    QVERIFY(exposed);
    QVERIFY(!shot.isNull());

    // The picture box lies wholly inside the window, on whole device pixels.
    const qreal ratio = shot.devicePixelRatio();
    const QRect boxInWindow(box->mapTo(form, QPoint(0, 0)), box->size());
    QVERIFY(QRect(QPoint(0, 0), form->size()).contains(boxInWindow));

    // Inside the frame: every row and column of the picture, each pixel in exactly its colour.
    const QRect inner = box->contentsRect().translated(boxInWindow.topLeft());
    // The whole device pixels inside the frame.
    const QRect device(QPoint(int(std::ceil(inner.left() * ratio)), int(std::ceil(inner.top() * ratio))),
                       QPoint(int(std::floor((inner.right() + 1) * ratio)) - 1,
                              int(std::floor((inner.bottom() + 1) * ratio)) - 1));
    const QImage shown = shot.copy(device).convertToFormat(QImage::Format_RGB32);
    // Enlarged by repeating pixels: each device pixel shows exactly one picture pixel, and the
    // edge rows and columns are there.
    const QImage expected = edgePattern(area).scaled(shown.size(), Qt::IgnoreAspectRatio,
                                                     Qt::FastTransformation);
    QCOMPARE(shown.size(), expected.size());
    int differing = 0;
    for (int j = 0; j < shown.height(); ++j)
        for (int i = 0; i < shown.width(); ++i)
            differing += shown.pixel(i, j) != expected.pixel(i, j);
    QCOMPARE(differing, 0);
}

void TestScaling::boldLabelsStayBold_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("label");
    QTest::newRow("ZOMIRA, main window") << u"Form2"_s << u"Label1"_s;
    QTest::newRow("-VORNA-, main window") << u"Form2"_s << u"Label2"_s;
    QTest::newRow("ZOMIRA, editor") << u"Form1"_s << u"Label2"_s;
    QTest::newRow("-VORNA-, editor") << u"Form1"_s << u"Label3"_s;
}

// Bold drawn is darker than regular drawn: the same text in the same font, with weight 400,
// covers fewer pixels.
void TestScaling::boldLabelsStayBold()
{
    QFETCH(QString, window);
    QFETCH(QString, label);
    app::Form2 form2(m_dialogs, QString());
    QWidget *w = window == u"Form2"_s ? static_cast<QWidget *>(&form2)
                                      : static_cast<QWidget *>(&form2.Form1().get());
    auto *l = w->findChild<QLabel *>(label);
    QVERIFY(l);
    QVERIFY(l->font().bold());
    auto inked = [](QLabel *shown) {
        const QImage image = shown->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
        int count = 0;
        for (int j = 0; j < image.height(); ++j)
            for (int i = 0; i < image.width(); ++i)
                count += qGray(image.pixel(i, j)) < qGray(background) - 96;
        return count;
    };
    QLabel regular(l->text());
    QFont font = l->font();
    font.setBold(false);
    regular.setFont(font);
    regular.resize(l->size());
    regular.setAlignment(l->alignment());
    const int bold = inked(l);
    const int thin = inked(&regular);
    // At scale 1 bold inks about 1.4 times what regular does; Qt's scaled glyphs once gave 1.2
    // at scale 2, which reads as regular.
    QVERIFY2(bold * 10 > thin * 13, qPrintable(u"bold %1, regular %2"_s.arg(bold).arg(thin)));
}

QTEST_MAIN(TestScaling)
#include "tst_scaling.moc"
