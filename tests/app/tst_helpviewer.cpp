// SPDX-License-Identifier: MIT

#include "helpviewer/helpserver.h"
#include "helpviewer/helpwindow.h"

#include "ui/dialogs.h"
#include "ui/helpchannel.h"

#include <QAction>
#include <QFile>
#include <QLayout>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

class TestHelpViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsTheShippedHelpFile();
    void showsHtmlOrPlainText_data();
    void showsHtmlOrPlainText();
    void findsPicturesBesideTheFile();
    void reportsAFileItCannotRead_data();
    void reportsAFileItCannotRead();
    void closesWithEscapeOrCtrlW_data();
    void closesWithEscapeOrCtrlW();
    void carriesTheProgramIcon();
    void comesToTheFrontEachTime();

    void aSecondRequestShowsItsFileInTheOpenViewer();
    void theFileAlreadyShownStaysWhereItWas();
    void withNoViewerOfOursListeningOneIsStarted_data();
    void withNoViewerOfOursListeningOneIsStarted();
    void theClientTellsOnlyThisUsersListener_data();
    void theClientTellsOnlyThisUsersListener();
    void privateFolders_data();
    void privateFolders();
    void theNameLiesInAPrivateRuntimeFolderOnly_data();
    void theNameLiesInAPrivateRuntimeFolderOnly();
    void listenTakesOverOnlyAStaleSocketOfOurs_data();
    void listenTakesOverOnlyAStaleSocketOfOurs();
    void requestsAreHeardUpTo64KB_data();
    void requestsAreHeardUpTo64KB();
    void onlyThisUserIsHeard();
    void theRealViewerRunsOnlyOnce();
    void aSecondViewerHandsOverItsFileAbsolute();
    void theRealViewerReadsTheFileItIsGiven_data();
    void theRealViewerReadsTheFileItIsGiven();

private:
    // A name of this test's own, so that no viewer the user has open answers.
    QString serverName() const { return m_runtime.filePath(u"tst-viewer"_s); }
    QString writeFile(const QString &name, const QByteArray &contents);

    QTemporaryDir m_dir;
    // The runtime folder of this test and of the viewers it starts (QTemporaryDir makes it 0700).
    QTemporaryDir m_runtime;
};

void TestHelpViewer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_runtime.isValid());
    QVERIFY(ui::isPrivateFolder(m_runtime.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
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
    // Its own title before any file; the help file's title is the same words.
    QCOMPARE(window.windowTitle(), u"ZOMIRA -VORNA- ヘルプ"_s);
    // The text fills the window, 640 by 560 as it opens.
    window.layout()->activate();
    QCOMPARE(window.browser()->geometry(), QRect(0, 0, 640, 560));
    QVERIFY(window.showFile(QStringLiteral(ZOMVORN_HELPFILE)));
    const QString text = window.browser()->toPlainText();
    for (const QString &topic : {u"奥行きマップ"_s, u"高さ"_s, u"ファイル読み込み"_s,
                                 u"ランダムドット作成"_s, u"名前を付けて保存"_s,
                                 u"キーボードでの操作"_s})
        QVERIFY2(text.contains(topic), qPrintable(topic));
    QCOMPARE(window.windowTitle(), u"ZOMIRA -VORNA- ヘルプ"_s);
    QCOMPARE(window.shownFile(), QStringLiteral(ZOMVORN_HELPFILE));
}

// Each row: a file's bytes, the text shown and the window's title.
void TestHelpViewer::showsHtmlOrPlainText_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("HTML with a title of its own")
        << QByteArray("<html><head><title>別の題</title></head><body><p>本文</p></body></html>")
        << u"本文"_s << u"別の題"_s;
    // As HTML it would be one line of single spaces.
    QTest::newRow("plain text")
        << QByteArray("one\n\ntwo   three") << u"one\n\ntwo   three"_s << u"ZOMIRA -VORNA- ヘルプ"_s;
}

void TestHelpViewer::showsHtmlOrPlainText()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, text);
    QFETCH(QString, title);
    helpviewer::HelpWindow window;
    QVERIFY(window.showFile(writeFile(u"page.txt"_s, contents)));
    QCOMPARE(window.browser()->toPlainText(), text);
    QCOMPARE(window.windowTitle(), title);
}

// A picture the page names by a relative name is the one beside the page, whatever the working
// folder is.
void TestHelpViewer::findsPicturesBesideTheFile()
{
    QTemporaryDir pages;
    QVERIFY(QDir(pages.path()).mkdir(u"help"_s));
    const QString page = pages.filePath(u"help/page.html"_s);
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html><body><img src=\"dot.png\"></body></html>");
    file.close();
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(qRgb(1, 2, 3));
    QVERIFY(dot.save(pages.filePath(u"help/dot.png"_s)));
    QVERIFY(QDir::currentPath() != pages.filePath(u"help"_s));
    helpviewer::HelpWindow window;
    QVERIFY(window.showFile(page));
    const QVariant found =
        window.browser()->loadResource(QTextDocument::ImageResource, QUrl(u"dot.png"_s));
    QCOMPARE(QImage::fromData(found.toByteArray()).pixel(0, 0), qRgb(1, 2, 3));
}

void TestHelpViewer::reportsAFileItCannotRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << u"/no/such/zomvorn.hlp"_s << u"ファイルが見つかりません"_s;
    QTest::newRow("a folder") << QDir::tempPath() << u"フォルダーです"_s;
    QTest::newRow("no name") << QString() << u"ファイル名が指定されていません"_s;
    // Neither may hang the viewer or fill its memory.
    QTest::newRow("a named pipe") << u"fifo"_s << u"通常のファイルではありません"_s;
    QTest::newRow("a link to an endless device") << u"zero"_s << u"通常のファイルではありません"_s;
    QTest::newRow("one byte over 4 MB") << u"large"_s << u"4 MB までです"_s;
}

void TestHelpViewer::reportsAFileItCannotRead()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QTemporaryDir scratch;
    const QString made = scratch.filePath(path);
    if (path == u"fifo"_s) {
        QCOMPARE(::mkfifo(QFile::encodeName(made).constData(), 0600), 0);
        path = made;
    } else if (path == u"zero"_s) {
        QVERIFY(QFile::link(u"/dev/zero"_s, made));
        path = made;
    } else if (path == u"large"_s) {
        QFile large(made);
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize((4 << 20) + 1));
        path = made;
    }
    helpviewer::HelpWindow window;
    // The file shown before is no longer the one shown.
    QVERIFY(window.showFile(QStringLiteral(ZOMVORN_HELPFILE)));
    QVERIFY(!window.showFile(path));
    QVERIFY(window.browser()->toPlainText().startsWith(u"ヘルプファイル"_s));
    QVERIFY2(window.browser()->toPlainText().contains(reason),
             qPrintable(window.browser()->toPlainText()));
    QCOMPARE(window.shownFile(), QString());
}

void TestHelpViewer::closesWithEscapeOrCtrlW_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
    QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier);
    // No key: the action found by its name, as a script drives it.
    QTest::newRow("the closeHelp action") << 0 << 0;
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
    if (key == 0)
        window.findChild<QAction *>(u"closeHelp"_s)->trigger();
    else
        QTest::keyClick(window.browser(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(!window.isVisible());
}

void TestHelpViewer::carriesTheProgramIcon()
{
    helpviewer::HelpWindow window;
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.windowIcon().actualSize(QSize(32, 32)), QSize(32, 32));
}

// Each request brings the viewer to the front, also after the reader has gone to another window.
void TestHelpViewer::comesToTheFrontEachTime()
{
    helpviewer::HelpWindow window;
    QWidget other;
    other.show();
    for (int i = 0; i < 2; ++i) {
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        window.bringToFront();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
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
    // The request's connection goes once it has been read: a viewer open all day keeps none.
    QTRY_COMPARE(server.findChildren<QLocalSocket *>().size(), 0);

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

    QCOMPARE(ui::sendToHelpViewer(serverName(), help), ui::HelpDelivery::Sent);
    QTRY_COMPARE(handled.size(), 1);
    QCOMPARE(bar->value(), scrolled);
    QVERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
}

void TestHelpViewer::withNoViewerOfOursListeningOneIsStarted_data()
{
    QTest::addColumn<std::optional<unsigned>>("listenerUid");
    QTest::addColumn<QStringList>("viewerArguments");
    const QString help = QStringLiteral(ZOMVORN_HELPFILE);
    QTest::newRow("nobody listens") << std::optional<unsigned>() << QStringList{help};
    // Someone else's viewer must not get the file, and ours must not fight it for the name.
    QTest::newRow("another user listens")
        << std::optional<unsigned>(::geteuid() + 1) << QStringList{u"--alone"_s, help};
}

void TestHelpViewer::withNoViewerOfOursListeningOneIsStarted()
{
    QFETCH(std::optional<unsigned>, listenerUid);
    QFETCH(QStringList, viewerArguments);
    // A stand-in viewer that notes its arguments, one a line.
    const QString noted = m_dir.filePath(u"noted.txt"_s);
    QFile::remove(noted);
    const QString viewer = writeFile(u"viewer.sh"_s,
                                     "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" "
                                     + QFile::encodeName(noted) + "\n");
    QVERIFY(QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QLocalServer listener;
    if (listenerUid)
        QVERIFY(listener.listen(serverName()));
    ui::QtDialogs dialogs(viewer, serverName(), [&](const QLocalSocket &) { return listenerUid; });
    const QString help = QStringLiteral(ZOMVORN_HELPFILE);
    QVERIFY(dialogs.showHelp(help));
    QTRY_VERIFY(QFile::exists(noted));
    QFile f(noted);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), viewerArguments.join(u'\n') + u'\n');

    // And no viewer at all is a failure the caller can see.
    ui::QtDialogs none(m_dir.filePath(u"no-such-viewer"_s), serverName(),
                       [&](const QLocalSocket &) { return listenerUid; });
    QVERIFY(!none.showHelp(help));
}

void TestHelpViewer::theClientTellsOnlyThisUsersListener_data()
{
    QTest::addColumn<std::optional<unsigned>>("listenerUid");
    QTest::addColumn<int>("delivery");
    QTest::newRow("this user") << std::optional<unsigned>(::geteuid())
                               << int(ui::HelpDelivery::Sent);
    QTest::newRow("another user") << std::optional<unsigned>(::geteuid() + 1)
                                  << int(ui::HelpDelivery::Refused);
    QTest::newRow("root, for a user") << std::optional<unsigned>(::geteuid() == 0 ? 1000 : 0)
                                      << int(ui::HelpDelivery::Refused);
    QTest::newRow("nobody knows whose") << std::optional<unsigned>() << int(ui::HelpDelivery::Refused);
}

void TestHelpViewer::theClientTellsOnlyThisUsersListener()
{
    QFETCH(std::optional<unsigned>, listenerUid);
    QFETCH(int, delivery);
    QLocalServer listener;
    QVERIFY(listener.listen(serverName()));
    const QString help = writeFile(u"private.html"_s, "<p>private</p>");

    QCOMPARE(int(ui::sendToHelpViewer(serverName(), help,
                                      [&](const QLocalSocket &) { return listenerUid; })),
             delivery);
    QVERIFY(listener.waitForNewConnection(2000));
    QLocalSocket *socket = listener.nextPendingConnection();
    QVERIFY(socket);
    QByteArray received;
    QSignalSpy ended(socket, &QLocalSocket::disconnected);
    connect(socket, &QLocalSocket::readyRead, socket, [&] { received += socket->readAll(); });
    QTRY_COMPARE(ended.size(), 1);
    received += socket->readAll();
    const QByteArray expected = delivery == int(ui::HelpDelivery::Sent) ? help.toUtf8() + '\n'
                                                                         : QByteArray();
    QCOMPARE(received, expected);
}

void TestHelpViewer::privateFolders_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("isPrivate");
    const QString base = m_dir.filePath(u"folders"_s);
    QDir().mkpath(base);
    auto folder = [&](const QString &name, QFile::Permissions permissions) {
        const QString path = base + u'/' + name;
        QDir().mkdir(path);
        QFile::setPermissions(path, permissions);
        return path;
    };
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QString own = folder(u"own"_s, owner);
    QTest::newRow("mode 0700, ours") << own << true;
    QTest::newRow("mode 0755") << folder(u"open"_s, owner | QFile::ReadGroup | QFile::ExeGroup
                                                        | QFile::ReadOther | QFile::ExeOther)
                               << false;
    QTest::newRow("mode 0730") << folder(u"group"_s, owner | QFile::WriteGroup | QFile::ExeGroup)
                               << false;
    QTest::newRow("mode 0701") << folder(u"passable"_s, owner | QFile::ExeOther) << false;
    QFile::link(own, base + u"/link"_s);
    QTest::newRow("a link to a private folder") << base + u"/link"_s << false;
    QTest::newRow("a file") << writeFile(u"plain"_s, "x") << false;
    QTest::newRow("missing") << base + u"/missing"_s << false;
    QTest::newRow("no name") << QString() << false;
    if (::geteuid() == 0) {
        const QString theirs = folder(u"theirs"_s, owner);
        if (::chown(QFile::encodeName(theirs).constData(), 65534, 65534) == 0)
            QTest::newRow("mode 0700, another user's") << theirs << false;
    }
}

void TestHelpViewer::privateFolders()
{
    QFETCH(QString, path);
    QFETCH(bool, isPrivate);
    QCOMPARE(ui::isPrivateFolder(path), isPrivate);
}

void TestHelpViewer::theNameLiesInAPrivateRuntimeFolderOnly_data()
{
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<bool>("trusted");
    QTest::newRow("private") << m_runtime.path() << true;
    const QString link = m_dir.filePath(u"runtime-link"_s);
    QFile::link(m_runtime.path(), link);
    QTest::newRow("a link") << link << false;
    QTest::newRow("missing and not to be made") << u"/proc/no-such-runtime"_s << false;
    // Qt itself takes a folder of mode 2700 (only the rwx bits are looked at); it is not 0700.
    const QString setGroup = m_dir.filePath(u"runtime-setgid"_s);
    QDir().mkdir(setGroup);
    QVERIFY(::chmod(QFile::encodeName(setGroup).constData(), 02700) == 0);
    QTest::newRow("mode 2700") << setGroup << false;
    if (::geteuid() == 0) {
        const QString theirs = m_dir.filePath(u"runtime-theirs"_s);
        QDir().mkdir(theirs);
        QFile::setPermissions(theirs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (::chown(QFile::encodeName(theirs).constData(), 65534, 65534) == 0)
            QTest::newRow("another user's") << theirs << false;
    }
}

void TestHelpViewer::theNameLiesInAPrivateRuntimeFolderOnly()
{
    QFETCH(QString, runtime);
    QFETCH(bool, trusted);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const QString name = ui::helpViewerServerName();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    // An untrusted folder is passed over: for a private one of Qt's choosing, or for no name.
    const QString folder = QFileInfo(name).absolutePath();
    QCOMPARE(!name.isEmpty() && folder == runtime, trusted);
    QVERIFY(name.isEmpty() || ui::isPrivateFolder(folder));
}

void TestHelpViewer::listenTakesOverOnlyAStaleSocketOfOurs_data()
{
    QTest::addColumn<QString>("held");
    QTest::addColumn<bool>("listens");
    QTest::newRow("nothing there") << u"nothing"_s << true;
    QTest::newRow("a socket left by a crash") << u"stale"_s << true;
    QTest::newRow("a live viewer") << u"live"_s << false;
    QTest::newRow("a file that is no socket") << u"file"_s << false;
}

void TestHelpViewer::listenTakesOverOnlyAStaleSocketOfOurs()
{
    QFETCH(QString, held);
    QFETCH(bool, listens);
    const QString name = serverName();
    QLocalServer live;
    if (held == "stale"_L1) {
        // Bound and closed without removing the file, as a killed process leaves it.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(name);
        std::copy(path.begin(), path.end(), address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QCOMPARE(::listen(fd, 1), 0);
        ::close(fd);
    } else if (held == "live"_L1) {
        QVERIFY(live.listen(name));
    } else if (held == "file"_L1) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    helpviewer::HelpWindow window;
    helpviewer::HelpServer server(window, name);
    QCOMPARE(server.listen(), listens);
    if (listens) {
        QSignalSpy handled(&server, &helpviewer::HelpServer::requestHandled);
        const QString help = QStringLiteral(ZOMVORN_HELPFILE);
        QCOMPARE(ui::sendToHelpViewer(name, help), ui::HelpDelivery::Sent);
        QTRY_COMPARE(handled.size(), 1);
    } else if (held == "live"_L1) {
        QVERIFY(live.isListening());
        QCOMPARE(ui::sendToHelpViewer(name, {}), ui::HelpDelivery::Sent);
        QVERIFY(live.waitForNewConnection(2000));
    } else {
        QVERIFY(QFileInfo(name).isFile());
        QFile::remove(name);
    }
}

// Each row: a request and whether it is heard. A whole line of up to 64 KB is; one byte more, or
// a line that never ends, is dropped unread.
void TestHelpViewer::requestsAreHeardUpTo64KB_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("heard");
    QTest::newRow("64 KB with its end of line")
        << QByteArray(QByteArray("/") + QByteArray(65534, 'a') + "\n") << true;
    QTest::newRow("one byte longer") << QByteArray(QByteArray("/") + QByteArray(65535, 'a') + "\n") << false;
    QTest::newRow("no end of line") << QByteArray("/tmp/x.html") << false;
}

void TestHelpViewer::requestsAreHeardUpTo64KB()
{
    QFETCH(QByteArray, request);
    QFETCH(bool, heard);
    const QString first = writeFile(u"kept.html"_s, "<p>kept</p>");
    helpviewer::HelpWindow window;
    helpviewer::HelpServer server(window, serverName());
    QVERIFY(server.listen());
    window.showFile(first);
    QSignalSpy handled(&server, &helpviewer::HelpServer::requestHandled);

    QLocalSocket socket;
    socket.connectToServer(serverName());
    QVERIFY(socket.waitForConnected(2000));
    socket.write(request);
    QVERIFY(socket.waitForBytesWritten(2000));
    // The viewer ends the connection of a whole line, heard or not.
    if (request.endsWith('\n'))
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
    socket.disconnectFromServer();
    // A good request after it is still heard, and shows that the bad one did nothing.
    const QString next = writeFile(u"next.html"_s, "<p>next</p>");
    QCOMPARE(ui::sendToHelpViewer(serverName(), next), ui::HelpDelivery::Sent);
    QTRY_VERIFY(!handled.isEmpty() && handled.last().at(0).toString() == next);
    QCOMPARE(handled.size(), heard ? 2 : 1);
    if (heard)
        QCOMPARE(handled.at(0).at(0).toString().size(), 65535);
}

// A request from a process of another user is dropped unread, even when the socket lets it in.
void TestHelpViewer::onlyThisUserIsHeard()
{
    if (::geteuid() != 0)
        QSKIP("needs to run as root, to connect as another user");
    QTemporaryDir open;
    QVERIFY(QFile::setPermissions(open.path(), QFile::ReadOwner | QFile::WriteOwner
                                                   | QFile::ExeOwner | QFile::ExeGroup
                                                   | QFile::ExeOther));
    const QString name = open.filePath(u"viewer"_s);
    helpviewer::HelpWindow window;
    helpviewer::HelpServer server(window, name);
    QVERIFY(server.listen());
    QVERIFY(::chmod(QFile::encodeName(name).constData(), 0777) == 0);
    QSignalSpy handled(&server, &helpviewer::HelpServer::requestHandled);

    const QByteArray socketPath = QFile::encodeName(name);
    const pid_t child = ::fork();
    if (child == 0) {
        // The other user: nobody.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            _exit(2);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()) + 1);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            _exit(3);
        const char request[] = "/tmp/from-another-user.html\n";
        _exit(::write(fd, request, sizeof request - 1) == sizeof request - 1 ? 0 : 4);
    }
    // The child's connection waits in the queue until this loop runs, ahead of this user's.
    int status = -1;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QCOMPARE(WEXITSTATUS(status), 0);
    const QString next = writeFile(u"next.html"_s, "<p>next</p>");
    QCOMPARE(ui::sendToHelpViewer(name, next), ui::HelpDelivery::Sent);
    QTRY_VERIFY(!handled.isEmpty());
    QCOMPARE(handled.size(), 1);
    QCOMPARE(handled.at(0).at(0).toString(), next);
}

void TestHelpViewer::theRealViewerRunsOnlyOnce()
{
    // The children see the same display, so they meet under the same name as this test.
    qputenv("DISPLAY", u":tst_helpviewer-%1"_s.arg(QCoreApplication::applicationPid()).toUtf8());
    qunsetenv("WAYLAND_DISPLAY");
    const QString name = ui::helpViewerServerName();
    QVERIFY(name.startsWith(m_runtime.path() + u'/'));
    auto listening = [&] {
        QLocalSocket probe;
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

// A viewer that finds the name held by a viewer of this user hands it the file, made absolute,
// and ends: the viewer holding the name has a working folder of its own.
void TestHelpViewer::aSecondViewerHandsOverItsFileAbsolute()
{
    qputenv("DISPLAY", u":tst_helpviewer-%1"_s.arg(QCoreApplication::applicationPid()).toUtf8());
    qunsetenv("WAYLAND_DISPLAY");
    // A viewer killed before may have left its socket file.
    QLocalServer::removeServer(ui::helpViewerServerName());
    QLocalServer listener;
    QVERIFY(listener.listen(ui::helpViewerServerName()));
    QVERIFY(!writeFile(u"handed.html"_s, "<p>handed</p>").isEmpty());

    QProcess viewer;
    viewer.setWorkingDirectory(m_dir.path());
    viewer.start(QStringLiteral(ZOMVORN_HELPVIEWER), {u"handed.html"_s});
    // The viewer first connects only to see whether the socket is a stale one.
    QVERIFY(listener.waitForNewConnection(10000));
    delete listener.nextPendingConnection();
    QVERIFY(listener.waitForNewConnection(10000));
    QLocalSocket *socket = listener.nextPendingConnection();
    QVERIFY(socket);
    QTRY_VERIFY(socket->canReadLine());
    QCOMPARE(QString::fromUtf8(socket->readLine()), m_dir.filePath(u"handed.html"_s) + u'\n');
    QTRY_COMPARE_WITH_TIMEOUT(viewer.state(), QProcess::NotRunning, 10000);
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(viewer.exitCode(), 0);
}

void TestHelpViewer::theRealViewerReadsTheFileItIsGiven_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("listening") << QStringList{u"probe.html"_s};
    QTest::newRow("--alone") << QStringList{u"--alone"_s, u"probe.html"_s};
}

// The page shows a picture that is a named pipe: the viewer that lays the page out opens it for
// reading, which lets this end open it for writing.
void TestHelpViewer::theRealViewerReadsTheFileItIsGiven()
{
    QFETCH(QStringList, arguments);
    qputenv("DISPLAY", u":tst_helpviewer-%1"_s.arg(QCoreApplication::applicationPid()).toUtf8());
    qunsetenv("WAYLAND_DISPLAY");
    QTemporaryDir scratch;
    const QByteArray pipe = QFile::encodeName(scratch.filePath(u"probe.png"_s));
    QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
    QFile page(scratch.filePath(u"probe.html"_s));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><body><p>probe</p><img src=\"probe.png\"></body></html>");
    page.close();

    QProcess viewer;
    viewer.setWorkingDirectory(scratch.path());
    viewer.start(QStringLiteral(ZOMVORN_HELPVIEWER), arguments);
    QVERIFY(viewer.waitForStarted());
    int fd = -1;
    QTRY_VERIFY_WITH_TIMEOUT((fd = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK)) >= 0, 20000);
    ::close(fd);
    QCOMPARE(viewer.state(), QProcess::Running);
    viewer.kill();
    QVERIFY(viewer.waitForFinished());
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
