// SPDX-License-Identifier: MIT

#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "stereo/form3.h"

#include "ui/formslot.h"
#include "ui/picturebox.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using ui::QBColor;
using ui::RGB;

class TestForm3 : public QObject
{
    Q_OBJECT

private slots:
    void putAwayKeepsTheImage_data();
    void putAwayKeepsTheImage();

private:
    ScriptedDialogs m_dialogs;
};

// Every way of putting the display window away, and keys that must not: `target` is the control
// that has the focus when the key comes ("close" closes the window as its title bar does).
void TestForm3::putAwayKeepsTheImage_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("putAway");
    const int none = Qt::NoModifier;
    QTest::newRow("OK clicked") << u"click"_s << 0 << none << true;
    QTest::newRow("close box or Alt+F4") << u"close"_s << 0 << none << true;
    QTest::newRow("Escape on the picture") << u"Picture1"_s << int(Qt::Key_Escape) << none << true;
    QTest::newRow("Escape on OK") << u"Command1"_s << int(Qt::Key_Escape) << none << true;
    QTest::newRow("Enter on the picture") << u"Picture1"_s << int(Qt::Key_Return) << none << true;
    QTest::newRow("keypad Enter on the picture")
        << u"Picture1"_s << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Enter on OK") << u"Command1"_s << int(Qt::Key_Return) << none << true;
    QTest::newRow("Space on OK") << u"Command1"_s << int(Qt::Key_Space) << none << true;
    QTest::newRow("Space on the picture") << u"Picture1"_s << int(Qt::Key_Space) << none << false;
    QTest::newRow("Ctrl+Enter") << u"Picture1"_s << int(Qt::Key_Return) << int(Qt::ControlModifier)
                                << false;
    QTest::newRow("a letter") << u"Command1"_s << int(Qt::Key_A) << none << false;
}

void TestForm3::putAwayKeepsTheImage()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, putAway);
    ui::FormSlot<stereo::Form3> form3([this] { return std::make_unique<stereo::Form3>(m_dialogs); });
    form3->Picture1().PSet(10, 10, QBColor(12));
    bool shown = false;
    bool stillShown = false;
    bool active = false;
    // Nothing here may return early: the window must be put away for showModal() to return.
    QTimer::singleShot(0, [&] {
        stereo::Form3 &w = form3.get();
        shown = w.isVisible();
        w.activateWindow();
        active = QTest::qWaitForWindowActive(&w);
        if (target == u"click"_s) {
            QTest::mouseClick(&w.Command1(), Qt::LeftButton);
        } else if (target == u"close"_s) {
            w.close();
        } else {
            auto *focus = w.findChild<QWidget *>(target);
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        }
        stillShown = w.isVisible();
        w.setVisible(false);
    });
    form3.showModal();
    QVERIFY(active);
    QVERIFY(shown);
    QCOMPARE(stillShown, !putAway);
    // Hidden, not unloaded: the stereogram is still there to be saved and shown again.
    QVERIFY(form3.isLoaded());
    QVERIFY(!form3->isVisible());
    QCOMPARE(form3->Picture1().Point(10, 10), QBColor(12));
    QCOMPARE(testimages::countOf(form3->Picture1().Image(), RGB(255, 255, 255)),
             testimages::area(testimages::DisplaySize) - 1);
}

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
