// SPDX-License-Identifier: MIT

#include "app/startup.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void startsShowsTheMainWindowAndQuitsOnExit();
};

// What main() does: the main window comes up, and "終了" ends the event loop normally.
void TestStartup::startsShowsTheMainWindowAndQuitsOnExit()
{
    auto &application = *qobject_cast<QApplication *>(QCoreApplication::instance());
    app::Startup startup(application, QCoreApplication::applicationDirPath());
    app::Form2 &form2 = startup.form2();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    QCOMPARE(form2.windowTitle(), u"ZOMIRA -VORNA-"_s);
    QCOMPARE(QCoreApplication::applicationVersion(), u"1.02"_s);

    QAction *exit = form2.findChild<QAction *>(u"MenuFile4"_s);
    QVERIFY(exit);
    QCOMPARE(exit->text(), u"終了"_s);
    QTimer::singleShot(0, exit, &QAction::trigger);
    // A loop that never ends fails here instead of hanging the run.
    QTimer::singleShot(30000, &application, [] { QCoreApplication::exit(99); });
    QCOMPARE(QApplication::exec(), 0);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
