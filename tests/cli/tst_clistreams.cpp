// SPDX-License-Identifier: MIT

// The real zomvorn-cli, for what only a separate process shows: its standard streams as the shell
// gives them, and file names as the system's bytes.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCliStreams : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shellPipelines_data();
    void shellPipelines();

private:
    QTemporaryDir m_dir;
};

void TestCliStreams::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFile::copy(QStringLiteral(ZOMVORN_BMPSUITE "/g/pal8.bmp"),
                        m_dir.filePath(u"map.bmp"_s)));
}

void TestCliStreams::shellPipelines_data()
{
    QTest::addColumn<QString>("script"); // $CLI is the program; runs in a folder holding map.bmp
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("stderr"); // what stderr contains; empty: nothing at all
    QTest::addColumn<QString>("check");  // a command that must then succeed, if any

    QTest::newRow("standard input in pieces")
        << u"(head -c 1000 map.bmp; sleep 0.3; tail -c +1001 map.bmp) | $CLI make --as-is -o out.bmp -"_s
        << 0 << QString() << u"test $(stat -c %s out.bmp) -eq 452934"_s;
    QTest::newRow("standard output onto a full disk")
        << u"$CLI make -o - map.bmp > /dev/full"_s << 1
        << u"cannot write standard input or output (-): the disk is full"_s << QString();
    QTest::newRow("levels onto a full disk")
        << u"$CLI levels -o - map.bmp > /dev/full"_s << 1 << u"the disk is full"_s << QString();
    // The reader went away: no message, and no SIGPIPE.
    QTest::newRow("standard output into a closed pipe")
        << u"$CLI make --as-is -o - map.bmp | (exec 0<&-; true); exit ${PIPESTATUS[0]}"_s << 1 << QString()
        << QString();
    // An endless list is read to its bound, 1 GB, and refused.
    QTest::newRow("an endless list of maps")
        << u"$CLI make -o out.bmp --maps-from /dev/zero"_s << 1
        << u"cannot read /dev/zero: a list of more than 1024 MB"_s << u"test ! -e out.bmp"_s;
    // The command is a program of QtCore alone: neither the desktop's picture library nor any of
    // its plugins is loaded, from start-up through a read and a write.
    QTest::newRow("no library of the desktop loaded")
        << u"LD_DEBUG=files LD_DEBUG_OUTPUT=$PWD/ld $CLI make --as-is -q -o out.png map.bmp"_s << 0
        << QString()
        << u"test -s out.png && grep -q 'file=libQt6Core' ld.* "
           "&& ! grep -q -e 'file=libQt6Gui' -e '/plugins/' ld.*"_s;
    QTest::newRow("names that are not UTF-8")
        << uR"sh(cp map.bmp "$(printf 'map\223\372.bmp')"; $CLI make --as-is -q -o "$(printf 'out\377.png')" "$(printf 'map\223\372.bmp')")sh"_s
        << 0 << QString() << uR"sh(test -s "$(printf 'out\377.png')")sh"_s;
    QTest::newRow("a missing name that is not UTF-8")
        << uR"sh($CLI make -o x.png "$(printf 'gone\223.bmp')")sh"_s << 1
        << uR"sh(cannot read gone\x93.bmp: file not found)sh"_s << QString();
}

void TestCliStreams::shellPipelines()
{
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(QString, stderr);
    QFETCH(QString, check);
    QTemporaryDir work(m_dir.filePath(u"run-XXXXXX"_s));
    QVERIFY(QFile::copy(m_dir.filePath(u"map.bmp"_s), work.filePath(u"map.bmp"_s)));
    QProcess shell;
    shell.setWorkingDirectory(work.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CLI"_s, QStringLiteral(ZOMVORN_CLI));
    environment.insert(u"LANG"_s, u"C.UTF-8"_s);
    environment.remove(u"LANGUAGE"_s);
    shell.setProcessEnvironment(environment);
    shell.start(u"/bin/bash"_s, {u"-c"_s, script});
    QVERIFY(shell.waitForFinished(60'000));
    const QString err = QString::fromUtf8(shell.readAllStandardError());
    QCOMPARE(shell.exitStatus(), QProcess::NormalExit);
    QVERIFY2(shell.exitCode() == status, qPrintable(err));
    if (stderr.isEmpty())
        QCOMPARE(err, QString());
    else
        QVERIFY2(err.contains(stderr), qPrintable(err));
    if (!check.isEmpty()) {
        QProcess test;
        test.setWorkingDirectory(work.path());
        test.start(u"/bin/bash"_s, {u"-c"_s, check});
        QVERIFY(test.waitForFinished(10'000));
        QCOMPARE(test.exitCode(), 0);
    }
}

QTEST_GUILESS_MAIN(TestCliStreams)
#include "tst_clistreams.moc"
