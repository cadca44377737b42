// SPDX-License-Identifier: MIT

#include "picture/animation.h"
#include "ui/qtimage.h"
#include "picture/filename.h"
#include "picture/filewriter.h"
#include "picture/pictureio.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void linkPlantedAfterTheCheckIsNotFollowed_data();
    void linkPlantedAfterTheCheckIsNotFollowed();
    void replacedFileKeepsItsMode_data();
    void replacedFileKeepsItsMode();
    void namesAreTheSystemsBytes_data();
    void namesAreTheSystemsBytes();
};

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// Runs `child` in a child process with a 64 KB tmpfs at `mountPoint`, seen by no one else. 77:
// mounting is not allowed here.
int onSmallDisk(const QString &mountPoint, const std::function<int()> &child)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(60);
        if (::unshare(CLONE_NEWNS) != 0) {
            const uid_t uid = ::geteuid();
            const gid_t gid = ::getegid();
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                ::_exit(77);
            put(u"/proc/self/setgroups"_s, "deny");
            if (!put(u"/proc/self/uid_map"_s, "0 " + QByteArray::number(uid) + " 1")
                || !put(u"/proc/self/gid_map"_s, "0 " + QByteArray::number(gid) + " 1"))
                ::_exit(77);
        }
        if (::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k")
                   != 0)
            ::_exit(77);
        ::_exit(child());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

QImage noise(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    quint32 x = 12345;
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w; ++i)
            image.setPixel(i, y, (x = x * 1103515245u + 12345u) >> 8 & 0x3);
    return image;
}

} // namespace

void TestFileWriter::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("writer");
    // Small files failed only at the final flush, where nobody looked.
    QTest::newRow("a few bytes") << u"small"_s;
    QTest::newRow("more than the disk holds") << u"large"_s;
    QTest::newRow("an animated GIF") << u"gif"_s;
    QTest::newRow("an animated WebP") << u"webp"_s;
    // Judged from its first frame, before the disk fills.
    QTest::newRow("an animation larger than the room left") << u"estimate"_s;
}

// On a disk with no room left, every writer fails with the disk's own reason, leaves the old file
// byte for byte, and leaves nothing else.
void TestFileWriter::fullDiskKeepsTheOldFile()
{
    QFETCH(QString, writer);
    QTemporaryDir disk;
    QVERIFY(disk.isValid());
    const int status = onSmallDisk(disk.path(), [&] {
        const QString target = disk.filePath(u"old.file"_s);
        if (!put(target, "the old file"))
            return 3;
        QByteArray page(4096, 'x');
        QFile fill(disk.filePath(u"fill"_s));
        if (!fill.open(QIODevice::WriteOnly))
            return 3;
        while (writer != u"estimate"_s && fill.write(page) == page.size() && fill.flush()) {
        }
        fill.close();
        try {
            if (writer == u"small"_s) {
                picture::writeFile("tiny", target);
            } else if (writer == u"large"_s) {
                picture::writeFile(QByteArray(1 << 20, 'y'), target);
            } else if (writer == u"estimate"_s) {
                picture::AnimationWriter animation(target, picture::AnimationFormat::Gif);
                animation.add(ui::fromQImage(noise(100, 100)));
                animation.checkRoomFor(1000);
                return 5;
            } else {
                picture::AnimationWriter animation(target, writer == u"gif"_s
                                                               ? picture::AnimationFormat::Gif
                                                               : picture::AnimationFormat::WebP);
                for (int i = 0; i < 4; ++i)
                    animation.add(ui::fromQImage(noise(300, 200)));
                animation.commit();
            }
            return 1;
        } catch (const picture::PictureError &e) {
            if (e.kind() != picture::PictureError::Kind::DiskFull)
                return 2;
            // About 1,000 frames of at least 2.5 KB each, against less than 64 KB.
            if (writer == u"estimate"_s && !(e.bytes > 2'500'000 && e.limit > 0 && e.limit <= 65536))
                return 6;
        }
        const QStringList left = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);
        return contents(target) == "the old file" && left == QStringList{u"fill"_s, u"old.file"_s}
                   ? 0
                   : 4;
    });
    if (status == 77)
        QSKIP("cannot mount a small disk here");
    QCOMPARE(status, 0);
}

void TestFileWriter::linkPlantedAfterTheCheckIsNotFollowed_data()
{
    QTest::addColumn<bool>("nameHeldAFile");
    QTest::newRow("a new name") << false;
    QTest::newRow("a name that held a file") << true;
}

// Between the check and the write, someone puts a link at the name, pointing at a file they want
// overwritten. The write lands at the name, the link is gone, and the file behind it is untouched.
void TestFileWriter::linkPlantedAfterTheCheckIsNotFollowed()
{
    QFETCH(bool, nameHeldAFile);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(u"out.bmp"_s);
    const QString victim = dir.filePath(u"victim"_s);
    QVERIFY(put(victim, "precious"));
    if (nameHeldAFile)
        QVERIFY(put(target, "old"));
    static QString plantAt;
    static QString pointingTo;
    plantAt = target;
    pointingTo = victim;
    picture::FileWriter::afterCheck = [] {
        QFile::remove(plantAt);
        QFile::link(pointingTo, plantAt);
    };
    QString failure;
    try {
        picture::writeFile("new bytes", target);
    } catch (const picture::PictureError &e) {
        failure = u"error %1"_s.arg(int(e.kind()));
    }
    picture::FileWriter::afterCheck = nullptr;
    QCOMPARE(failure, QString());
    QCOMPARE(contents(victim), QByteArray("precious"));
    QVERIFY(!QFileInfo(target).isSymLink());
    QCOMPARE(contents(target), QByteArray("new bytes"));
}

void TestFileWriter::replacedFileKeepsItsMode_data()
{
    QTest::addColumn<int>("oldMode"); // -1: no old file
    QTest::addColumn<int>("newFileMode");
    QTest::addColumn<int>("expected");
    QTest::newRow("group-readable file") << 0640 << 0666 << 0640;
    QTest::newRow("private file") << 0600 << 0666 << 0600;
    QTest::newRow("executable file") << 0755 << 0666 << 0755;
    QTest::newRow("new file, umask 022") << -1 << 0666 << 0644;
    QTest::newRow("new private file") << -1 << 0600 << 0600;
}

void TestFileWriter::replacedFileKeepsItsMode()
{
    QFETCH(int, oldMode);
    QFETCH(int, newFileMode);
    QFETCH(int, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(u"file"_s);
    const QByteArray name = QFile::encodeName(target);
    if (oldMode >= 0) {
        QVERIFY(put(target, "old"));
        QCOMPARE(::chmod(name.constData(), mode_t(oldMode)), 0);
    }
    const mode_t savedMask = ::umask(022);
    picture::FileWriter::Options options;
    options.newFileMode = mode_t(newFileMode);
    picture::writeFile("new", target, options);
    ::umask(savedMask);
    struct stat st{};
    QCOMPARE(::stat(name.constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), expected);
    QCOMPARE(contents(target), QByteArray("new"));
}

void TestFileWriter::namesAreTheSystemsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QByteArray("map.png") << u"map.png"_s;
    QTest::newRow("UTF-8 Japanese") << QByteArray("\xe5\x9c\xb0\xe5\x9b\xb3.png") << u"地図.png"_s;
    QTest::newRow("Shift_JIS") << QByteArray("\x92\x6e\x90\x7d.png") << u"\\x92n\\x90}.png"_s;
    QTest::newRow("a lone 0xFF") << QByteArray("out\xff.png") << u"out\\xFF.png"_s;
    QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf" "b") << u"a\\xC0\\xAFb"_s;
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80.bmp") << u"\\xED\\xA0\\x80.bmp"_s;
    QTest::newRow("cut-short sequence") << QByteArray("x\xe5\x9c") << u"x\\xE5\\x9C"_s;
    QTest::newRow("outside the BMP") << QByteArray("\xf0\x9f\x98\x80") << u"\U0001F600"_s;
    // U+1F480 is D83D DC80 in UTF-16: its low half looks like a carried byte, right after the
    // name's first character.
    QTest::newRow("outside the BMP, low half U+DC80") << QByteArray("\xf0\x9f\x92\x80.png")
                                                      << u"\U0001F480.png"_s;
}

// A name goes to the system as the very bytes it came as, and is shown escaped where they are not
// UTF-8; a file written under it is found under it again.
void TestFileWriter::namesAreTheSystemsBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    const QString name = picture::fileNameFromBytes(bytes);
    QCOMPARE(picture::fileNameBytes(name), bytes);
    QCOMPARE(picture::shownFileName(name), shown);
    QCOMPARE(picture::hasUnreadableBytes(name), shown.contains(u"\\x"_s));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = picture::fileNameFromBytes(QFile::encodeName(dir.path()) + '/' + bytes);
    picture::writeFile("bytes", path);
    struct stat st{};
    QCOMPARE(::stat((QFile::encodeName(dir.path()) + '/' + bytes).constData(), &st), 0);
    QCOMPARE(qint64(st.st_size), qint64(5));
}

QTEST_GUILESS_MAIN(TestFileWriter)
#include "tst_filewriter.moc"
