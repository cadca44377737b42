#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "stereo/form3.h"

#include "ui/formslot.h"
#include "ui/picturebox.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

using ui::QBColor;
using ui::RGB;

class TestForm3 : public QObject
{
    Q_OBJECT

private slots:
    void okHidesAndKeepsTheImage();
    void closeBoxUnloadsTheImage();

private:
    ScriptedDialogs m_dialogs;
};

void TestForm3::okHidesAndKeepsTheImage()
{
    ui::FormSlot<stereo::Form3> form3([this] { return std::make_unique<stereo::Form3>(m_dialogs); });
    form3->Picture1().PSet(10, 10, QBColor(12));
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = form3->isVisible();
        QTest::mouseClick(&form3->Command1(), Qt::LeftButton);
    });
    form3.showModal();
    QVERIFY(shown);
    QVERIFY(form3.isLoaded());
    QVERIFY(!form3->isVisible());
    QCOMPARE(form3->Picture1().Point(10, 10), QBColor(12));
}


void TestForm3::closeBoxUnloadsTheImage()
{
    ui::FormSlot<stereo::Form3> form3([this] { return std::make_unique<stereo::Form3>(m_dialogs); });
    form3->Picture1().PSet(10, 10, QBColor(12));
    QTimer::singleShot(0, [&] { form3->close(); });
    form3.showModal();
    QVERIFY(!form3.isLoaded());
    const QImage fresh = form3->Picture1().Image();
    QCOMPARE(fresh.size(), testimages::DisplaySize);
    QCOMPARE(testimages::countOf(fresh, RGB(255, 255, 255)), testimages::area(testimages::DisplaySize));
}


QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
