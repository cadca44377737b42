// SPDX-License-Identifier: MIT

#include "helpviewer/helpserver.h"
#include "helpviewer/helpwindow.h"

#include "ui/dialogs.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace Qt::StringLiterals;

class TestHelpViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsTheShippedHelpFile();
    void reportsAFileItCannotRead_data();
    void reportsAFileItCannotRead();
    void closesWithEscapeOrCtrlW_data();
    void closesWithEscapeOrCtrlW();
    void carriesTheProgramIcon();

    void aSecondRequestShowsItsFileInTheOpenViewer();
    void theFileAlreadyShownStaysWhereItWas();
    void withNoViewerListeningOneIsStarted();
    void badRequestsChangeNothing_data();
    void badRequestsChangeNothing();
    void theRealViewerRunsOnlyOnce();

private:
    // A name of this test's own, so that no viewer the user has open answers.
    QString serverName() const { return u"tst_helpviewer-%1"_s.arg(QCoreApplication::applicationPid()); }
    QString writeFile(const QString &name, const QByteArray &contents);

    QTemporaryDir m_dir;
};

void TestHelpViewer::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestHelpViewer::writeFile(const QString &name, const QByteArray &contents)
{
    QFile f(m_dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(contents);
    return f.fileName();
}

void TestHelpViewer::showsTheShippedHelpFile()
{
    helpviewer::HelpWindow window;
    QVERIFY(window.showFile(QStringLiteral(ZOMVORN_HELPFILE)));
    const QString text = window.browser()->toPlainText();
    for (const QString &topic : {u"奥行きマップ"_s, u"高さ"_s, u"ファイル読み込み"_s,
                                 u"ランダムドット作成"_s, u"名前を付けて保存"_s,
                                 u"キーボードでの操作"_s})
        QVERIFY2(text.contains(topic), qPrintable(topic));
    QCOMPARE(window.windowTitle(), u"ZOMIRA -VORNA- ヘルプ"_s);
    QCOMPARE(window.shownFile(), QStringLiteral(ZOMVORN_HELPFILE));
}

void TestHelpViewer::reportsAFileItCannotRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << u"/no/such/zomvorn.hlp"_s;
    QTest::newRow("a folder") << QDir::tempPath();
    QTest::newRow("no name") << QString();
}

void TestHelpViewer::reportsAFileItCannotRead()
{
    QFETCH(QString, path);
    helpviewer::HelpWindow window;
    QVERIFY(!window.showFile(path));
    QVERIFY(window.browser()->toPlainText().startsWith(u"ヘルプファイル"_s));
    QCOMPARE(window.shownFile(), QString());
}

void TestHelpViewer::closesWithEscapeOrCtrlW_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
    QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier);
}

void TestHelpViewer::closesWithEscapeOrCtrlW()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    helpviewer::HelpWindow window;
    window.showFile(QStringLiteral(ZOMVORN_HELPFILE));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // The keys reach the text first, as they do when the reader has clicked into it.
    window.browser()->setFocus();
    QTest::keyClick(window.browser(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(!window.isVisible());
}

void TestHelpViewer::carriesTheProgramIcon()
{
    helpviewer::HelpWindow window;
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.windowIcon().actualSize(QSize(32, 32)), QSize(32, 32));
}

void TestHelpViewer::aSecondRequestShowsItsFileInTheOpenViewer()
{
    const QString first = writeFile(u"first.html"_s, "<p>first file</p>");
    const QString second = writeFile(u"second.html"_s, "<p>second file</p>");
    helpviewer::HelpWindow window;
    helpviewer::HelpServer server(window, serverName());
    QVERIFY(server.listen());
    window.showFile(first);
    window.show();
    QSignalSpy handled(&server, &helpviewer::HelpServer::requestHandled);

    // No viewer program exists under this path: only the open viewer can show the file.
    ui::QtDialogs dialogs(m_dir.filePath(u"no-such-viewer"_s), serverName());
    QVERIFY(dialogs.showHelp(second));
    QTRY_COMPARE(handled.size(), 1);
    QCOMPARE(window.shownFile(), second);
    QCOMPARE(window.browser()->toPlainText(), u"second file"_s);
    QVERIFY(window.isVisible());

    // A second viewer cannot take the name while the first holds it.
    helpviewer::HelpWindow other;
    helpviewer::HelpServer otherServer(other, serverName());
    QVERIFY(!otherServer.listen());
}

void TestHelpViewer::theFileAlreadyShownStaysWhereItWas()
{
    const QString help = QStringLiteral(ZOMVORN_HELPFILE);
    helpviewer::HelpWindow window;
    helpviewer::HelpServer server(window, serverName());
    QVERIFY(server.listen());
    window.resize(300, 200);
    window.showFile(help);
    window.showMinimized();
    QVERIFY(QTest::qWaitForWindowExposed(&window) || window.isMinimized());
    QScrollBar *bar = window.browser()->verticalScrollBar();
    QVERIFY(bar->maximum() > 10);
    bar->setValue(bar->maximum() / 2);
    const int scrolled = bar->value();
    QSignalSpy handled(&server, &helpviewer::HelpServer::requestHandled);

    QVERIFY(ui::sendToHelpViewer(serverName(), help));
    QTRY_COMPARE(handled.size(), 1);
    QCOMPARE(bar->value(), scrolled);
    QVERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
}

void TestHelpViewer::withNoViewerListeningOneIsStarted()
{
    // A stand-in viewer that notes the file it was given.
    const QString noted = m_dir.filePath(u"noted.txt"_s);
    const QString viewer = writeFile(u"viewer.sh"_s,
                                     "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" "
                                     + QFile::encodeName(noted) + "\n");
    QVERIFY(QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ui::QtDialogs dialogs(viewer, serverName() + u"-nobody"_s);
    const QString help = QStringLiteral(ZOMVORN_HELPFILE);
    QVERIFY(dialogs.showHelp(help));
    QTRY_VERIFY(QFile::exists(noted));
    QFile f(noted);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), help);

    // And no viewer at all is a failure the caller can see.
    ui::QtDialogs none(m_dir.filePath(u"no-such-viewer"_s), serverName() + u"-nobody"_s);
    QVERIFY(!none.showHelp(help));
}

void TestHelpViewer::badRequestsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("longer than any path") << QByteArray(helpviewer::HelpServer::MaxRequestBytes + 10, 'a');
    QTest::newRow("no end of line") << QByteArray("/tmp/x.html");
}

void TestHelpViewer::badRequestsChangeNothing()
{
    QFETCH(QByteArray, request);
    const QString first = writeFile(u"kept.html"_s, "<p>kept</p>");
    helpviewer::HelpWindow window;
    helpviewer::HelpServer server(window, serverName());
    QVERIFY(server.listen());
    window.showFile(first);
    QSignalSpy handled(&server, &helpviewer::HelpServer::requestHandled);

    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(serverName());
    QVERIFY(socket.waitForConnected(2000));
    socket.write(request);
    QVERIFY(socket.waitForBytesWritten(2000));
    socket.disconnectFromServer();
    // A good request after it is still heard, and shows that the bad one did nothing.
    const QString next = writeFile(u"next.html"_s, "<p>next</p>");
    QVERIFY(ui::sendToHelpViewer(serverName(), next));
    QTRY_COMPARE(handled.size(), 1);
    QCOMPARE(handled.at(0).at(0).toString(), next);
}

void TestHelpViewer::theRealViewerRunsOnlyOnce()
{
    // The children see the same display, so they meet under the same name as this test.
    qputenv("DISPLAY", u":tst_helpviewer-%1"_s.arg(QCoreApplication::applicationPid()).toUtf8());
    qunsetenv("WAYLAND_DISPLAY");
    const QString name = ui::helpViewerServerName();
    auto listening = [&] {
        QLocalSocket probe;
        probe.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        probe.connectToServer(name);
        return probe.waitForConnected(2000);
    };
    const QString help = QStringLiteral(ZOMVORN_HELPFILE);
    QVERIFY(!listening());

    QProcess first;
    first.start(QStringLiteral(ZOMVORN_HELPVIEWER), {help});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY(listening());

    QProcess second;
    second.start(QStringLiteral(ZOMVORN_HELPVIEWER), {help});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    // A viewer that crashed leaves nothing that stops the next one.
    first.kill();
    QVERIFY(first.waitForFinished());
    QProcess third;
    third.start(QStringLiteral(ZOMVORN_HELPVIEWER), {help});
    QVERIFY(third.waitForStarted());
    QTRY_VERIFY(listening());
    QCOMPARE(third.state(), QProcess::Running);
    third.kill();
    QVERIFY(third.waitForFinished());
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
