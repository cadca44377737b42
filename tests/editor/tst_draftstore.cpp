// SPDX-License-Identifier: MIT

#include "support/testimages.h"

#include "editor/depthmapfile.h"
#include "editor/draftstore.h"
#include "editor/editingsession.h"

#include "ui/pictureio.h"
#include "ui/picturesurface.h"
#include "ui/runtimeerror.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <QtEndian>

#include <csignal>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using editor::DraftStore;

namespace {

const QSize Canvas = testimages::CanvasSize;

// The child instance: writes a draft of the shape map, says so, and waits to be killed.
int childMain(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    DraftStore store(qEnvironmentVariable("ZOMVORN_DRAFT_CHILD"));
    store.setSource([] { return testimages::shapeMap(); });
    store.changed();
    store.flush();
    fputs("written\n", stdout);
    fflush(stdout);
    for (;;)
        pause();
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestDraftStore : public QObject
{
    Q_OBJECT

private slots:
    void damagedDraftIsRefused_data();
    void damagedDraftIsRefused();
    void oddFileIsRefused_data();
    void oddFileIsRefused();
    void draftOfAKilledInstanceIsFound();
    void removedDraftIsNotFound();
    void savedMapLoadsBackIdentical_data();
    void savedMapLoadsBackIdentical();
    void failedSaveLeavesTheOldFile_data();
    void failedSaveLeavesTheOldFile();
    void draftsStayPrivate_data();
    void draftsStayPrivate();
    void largerPictureInADraftIsRefusedFromItsHeader();
    void draftFollowsWhatIsUnsaved_data();
    void draftFollowsWhatIsUnsaved();
    void changesKeepComingAndTheDraftIsWritten();
    void aWriteThatSucceedsClearsTheError();

private:
    QTemporaryDir m_dir;
};

// Each row damages a good draft: `at` the byte changed (-1: none), `cut` bytes cut off the end.
void TestDraftStore::damagedDraftIsRefused_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("cut");
    QTest::addColumn<QString>("reason");
    QTest::newRow("magic") << 0 << 0 << u"下書きのファイルではありません"_s;
    QTest::newRow("width") << 11 << 0 << u"キャンバスと違います"_s;
    QTest::newRow("cut in the header") << -1 << -30 << u"途中で切れています"_s;
    QTest::newRow("cut in the picture") << -1 << 10 << u"途中で切れています"_s;
    QTest::newRow("a picture byte") << 300 << 0 << u"チェックサムが合いません"_s;
    QTest::newRow("the checksum") << 25 << 0 << u"チェックサムが合いません"_s;
}

void TestDraftStore::damagedDraftIsRefused()
{
    QFETCH(int, at);
    QFETCH(int, cut);
    QFETCH(QString, reason);
    QByteArray bytes = DraftStore::encode(testimages::shapeMap());
    QCOMPARE(DraftStore::decode(bytes, Canvas), testimages::shapeMap());
    if (at >= 0)
        bytes[at] = char(bytes[at] ^ 0x5a);
    bytes.chop(cut < 0 ? bytes.size() + cut : cut);
    try {
        DraftStore::decode(bytes, Canvas);
        QFAIL("a damaged draft was taken");
    } catch (const ui::RuntimeError &e) {
        QVERIFY2(e.description().contains(reason), qPrintable(e.description()));
    }
}

void TestDraftStore::oddFileIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder") << u"folder"_s << u"通常のファイルではありません"_s;
    QTest::newRow("a link to a good draft") << u"link"_s << u"通常のファイルではありません"_s;
    // A good draft with zeros after it up to one byte over 16 MB.
    QTest::newRow("one byte over 16 MB") << u"big"_s << u"ファイルが大きすぎます"_s;
}

// What is not a draft file of at most 16 MB is refused before it is read.
void TestDraftStore::oddFileIsRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString good = m_dir.filePath(u"good-draft"_s);
    QFile file(good);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(DraftStore::encode(testimages::shapeMap()));
    file.close();
    QCOMPARE(DraftStore::read(good, Canvas), testimages::shapeMap());
    const QString path = m_dir.filePath(u"odd-"_s + kind);
    if (kind == u"folder"_s)
        QVERIFY(QDir().mkpath(path));
    else if (kind == u"link"_s)
        QVERIFY(QFile::link(good, path));
    else
        QVERIFY(QFile::copy(good, path) && QFile::resize(path, 16 * 1024 * 1024 + 1));
    try {
        DraftStore::read(path, Canvas);
        QFAIL("an odd file was taken");
    } catch (const ui::RuntimeError &e) {
        QVERIFY2(e.description().contains(reason), qPrintable(e.description()));
    }
}

// A second instance sees nothing of a running one; once that one is killed, its draft is found
// whole, and taken by one instance only.
void TestDraftStore::draftOfAKilledInstanceIsFound()
{
    const QString folder = m_dir.filePath(u"killed"_s);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ZOMVORN_DRAFT_CHILD"_s, folder);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForReadyRead(30000));
    QCOMPARE(child.readAll(), QByteArray("written\n"));

    DraftStore second(folder);
    QVERIFY(!second.takeOrphan());
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    std::optional<DraftStore::Orphan> orphan = second.takeOrphan();
    QVERIFY(orphan);
    QCOMPARE(DraftStore::read(orphan->path, Canvas), testimages::shapeMap());
    DraftStore third(folder);
    QVERIFY(!third.takeOrphan());
    second.adopt(*orphan);
    QCOMPARE(DraftStore::read(second.draftPath(), Canvas), testimages::shapeMap());
}

// A draft written and then removed (the map was saved) is gone; after the store ends with a
// change waiting, the draft is on disk.
void TestDraftStore::removedDraftIsNotFound()
{
    const QString folder = m_dir.filePath(u"removed"_s);
    QString path;
    {
        DraftStore store(folder);
        path = store.draftPath();
        store.setSource([] { return testimages::shapeMap(); });
        store.changed();
        store.flush();
        QVERIFY(QFileInfo::exists(path));
        store.remove();
        store.waitForIdle();
        QVERIFY(!QFileInfo::exists(path));
        store.changed();
    }
    QCOMPARE(DraftStore::read(path, Canvas), testimages::shapeMap());
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
}

void TestDraftStore::savedMapLoadsBackIdentical_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("PNG") << u"map.png"_s;
    QTest::newRow("BMP") << u"map.BMP"_s;
    QTest::newRow("no extension, PNG") << u"map"_s;
}

void TestDraftStore::savedMapLoadsBackIdentical()
{
    QFETCH(QString, name);
    QImage map = testimages::shapeMap();
    map.setPixel(0, 0, qRgb(1, 2, 3)); // a colour of no level comes back too
    const QString path = m_dir.filePath(name);
    editor::saveDepthMap(map, path);
    QCOMPARE(bytesOf(path).startsWith("BM"), name.endsWith(u"BMP"_s));
    QCOMPARE(ui::LoadPicture(path, Canvas).convertToFormat(QImage::Format_RGB32), map);
}

// `sizeLimit` stops writing part-way, as a full disk does.
void TestDraftStore::failedSaveLeavesTheOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("sizeLimit");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::newRow("read-only folder") << u"ro/map.png"_s << 0 << true;
    QTest::newRow("full disk, PNG") << u"full/map.png"_s << 4096 << false;
    QTest::newRow("full disk, BMP") << u"full/map.bmp"_s << 4096 << false;
}

// In a child process, which drops to another user where the test runs as root (root writes into
// any folder) and may lower its file size limit.
void TestDraftStore::failedSaveLeavesTheOldFile()
{
    QFETCH(QString, name);
    QFETCH(int, sizeLimit);
    QFETCH(bool, readOnlyFolder);
    const QString path = m_dir.filePath(name);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QImage old(10, 10, QImage::Format_RGB32);
    old.fill(Qt::green);
    editor::saveDepthMap(old, path);
    const QByteArray before = bytesOf(path);
    QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther);
    QFile::setPermissions(QFileInfo(path).path(),
                          readOnlyFolder ? QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther
                                               | QFile::ExeOther
                                         : QFile::permissions(QFileInfo(path).path())
                                               | QFile::WriteOther | QFile::ExeOther);
    const pid_t pid = fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            _exit(3);
        if (sizeLimit > 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{rlim_t(sizeLimit), rlim_t(sizeLimit)};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        try {
            editor::saveDepthMap(testimages::shapeMap(), path);
            _exit(1);
        } catch (const ui::RuntimeError &e) {
            _exit(e.description().isEmpty() ? 2 : 0);
        }
    }
    int status = 0;
    QCOMPARE(waitpid(pid, &status, 0), pid);
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(bytesOf(path), before);
}

void TestDraftStore::draftsStayPrivate_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("othersFolder");
    QTest::addColumn<QString>("problem"); // empty: drafts are written, privately
    QTest::newRow("new folder") << -1 << false << QString();
    QTest::newRow("own folder open to all") << 0777 << false << QString();
    QTest::newRow("own folder open to the group") << 0750 << false << QString();
    QTest::newRow("another user's folder") << 0777 << true << u"ほかのユーザーのもの"_s;
}

// Drafts are the user's alone: the folder ends up 0700 and each draft 0600, or, in a folder of
// another user, nothing is written and nothing found there is offered.
void TestDraftStore::draftsStayPrivate()
{
    QFETCH(int, folderMode);
    QFETCH(bool, othersFolder);
    QFETCH(QString, problem);
    QTemporaryDir state;
    QVERIFY(state.isValid());
    const QString folder = state.filePath(u"zomvorn/drafts"_s);
    if (folderMode >= 0) {
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)), 0);
        // A draft left there, waiting to be offered.
        QVERIFY(QFile::copy(testimages::bmpsuite(u"g/pal8.bmp"_s), folder + u"/1-0.draft"_s));
    }
    static uid_t someoneElse = ::geteuid() + 1;
    if (othersFolder)
        DraftStore::currentUser = [] { return someoneElse; };
    {
        DraftStore store(folder);
        QCOMPARE(store.takeOrphan().has_value(), folderMode >= 0 && !othersFolder);
        store.setSource([] { return testimages::shapeMap(); });
        store.changed();
        store.flush();
        QVERIFY2(store.lastError().contains(problem), qPrintable(store.lastError()));
        QCOMPARE(store.lastError().isEmpty(), problem.isEmpty());
        struct stat st{};
        QCOMPARE(::stat(QFile::encodeName(store.draftPath()).constData(), &st) == 0,
                 problem.isEmpty());
        if (problem.isEmpty()) {
            QCOMPARE(int(st.st_mode & 0777), 0600);
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 0777), 0700);
        }
    }
    DraftStore::currentUser = ::geteuid;
}

// A draft's picture whose own header claims more than the canvas is refused before it is decoded.
void TestDraftStore::largerPictureInADraftIsRefusedFromItsHeader()
{
    QImage huge(4000, 4000, QImage::Format_RGB32);
    huge.fill(Qt::black);
    QByteArray draft = DraftStore::encode(huge);
    // The header claims the canvas; the picture inside does not.
    const quint32 w = qToBigEndian(quint32(Canvas.width()));
    const quint32 h = qToBigEndian(quint32(Canvas.height()));
    draft.replace(8, 4, QByteArray(reinterpret_cast<const char *>(&w), 4));
    draft.replace(12, 4, QByteArray(reinterpret_cast<const char *>(&h), 4));
    try {
        DraftStore::decode(draft, Canvas);
        QFAIL("decoded");
    } catch (const ui::RuntimeError &e) {
        QVERIFY2(e.description().contains(u"画像を読み取れません"_s), qPrintable(e.description()));
    }
}

// `script`: p paints a dot (a new one each time), b puts the blank canvas back (as undoing every
// step does), s saves, e empties the canvas. Whether a draft is on disk afterwards.
void TestDraftStore::draftFollowsWhatIsUnsaved_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("draft");
    QTest::newRow("painted") << u"p"_s << true;
    QTest::newRow("painted twice") << u"pp"_s << true;
    QTest::newRow("undone back to blank") << u"ppb"_s << false;
    QTest::newRow("blank, then painted again") << u"pbp"_s << true;
    QTest::newRow("saved") << u"pps"_s << false;
    QTest::newRow("painted after the save") << u"psp"_s << true;
    QTest::newRow("emptied") << u"ppe"_s << false;
    QTest::newRow("saved, then undone to blank") << u"psb"_s << false;
}

void TestDraftStore::draftFollowsWhatIsUnsaved()
{
    QFETCH(QString, script);
    QFETCH(bool, draft);
    DraftStore drafts(m_dir.filePath(u"follows-"_s + QString::fromLatin1(QTest::currentDataTag())));
    editor::EditingSession session(&drafts);
    ui::PictureSurface canvas(Canvas, ui::QBColor(0), ui::PictureSurface::FillStyle::Solid);
    canvas.setAutoRedraw(true); // as the editor paints: on the kept picture
    const QImage blank = canvas.Image();
    session.attach(&canvas);
    int dots = 0;
    for (const QChar c : script) {
        if (c == u'p')
            canvas.PSet(float(10 + dots++), 10, ui::QBColor(9));
        else if (c == u'b')
            canvas.setPicture(blank);
        else if (c == u's')
            session.saved(canvas.Image());
        else if (c == u'e')
            session.emptied();
        if (c != u's' && c != u'e')
            session.canvasChanged();
        drafts.flush();
    }
    QCOMPARE(QFileInfo::exists(drafts.draftPath()), draft);
    if (draft)
        QCOMPARE(DraftStore::read(drafts.draftPath(), Canvas), canvas.Image());
    session.detach();
}

// Painting that never pauses still gets its draft: the delay runs from the first change waiting,
// not from the last.
void TestDraftStore::changesKeepComingAndTheDraftIsWritten()
{
    DraftStore drafts(m_dir.filePath(u"continuous"_s));
    int written = 0;
    drafts.setSource([&] {
        ++written;
        return testimages::shapeMap();
    });
    drafts.changed();
    QThread::msleep(DraftStore::WriteDelayMs * 7 / 10);
    QCoreApplication::processEvents();
    drafts.changed();
    QThread::msleep(DraftStore::WriteDelayMs * 7 / 10);
    QCoreApplication::processEvents();
    // More than the delay after the first change, less than it after the second.
    QCOMPARE(written, 1);
    drafts.waitForIdle();
    QVERIFY(QFileInfo::exists(drafts.draftPath()));
}

// A write that fails leaves its reason; the next one that succeeds clears it.
void TestDraftStore::aWriteThatSucceedsClearsTheError()
{
    DraftStore drafts(m_dir.filePath(u"recovers"_s));
    drafts.setSource([] { return testimages::shapeMap(); });
    drafts.changed();
    drafts.flush();
    QCOMPARE(drafts.lastError(), QString());
    // A folder that is not empty where the draft goes: the new draft cannot take its place.
    QVERIFY(QFile::remove(drafts.draftPath()));
    QVERIFY(QDir().mkpath(drafts.draftPath() + u"/in-the-way"_s));
    drafts.changed();
    drafts.flush();
    QVERIFY(!drafts.lastError().isEmpty());
    QVERIFY(QDir(drafts.draftPath()).removeRecursively());
    drafts.changed();
    drafts.flush();
    QCOMPARE(drafts.lastError(), QString());
    QVERIFY(QFileInfo(drafts.draftPath()).isFile());
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("ZOMVORN_DRAFT_CHILD"))
        return childMain(argc, argv);
    QCoreApplication app(argc, argv);
    TestDraftStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_draftstore.moc"
