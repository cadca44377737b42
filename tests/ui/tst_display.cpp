// SPDX-License-Identifier: MIT

#include "ui/display.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDisplay : public QObject
{
    Q_OBJECT

private slots:
    void missingDisplay_data();
    void missingDisplay();
    void theProgramsSayItAndEnd_data();
    void theProgramsSayItAndEnd();
};

namespace {

const QString English = u"zomvorn: cannot connect to a display (neither DISPLAY nor WAYLAND_DISPLAY is set)"_s;
const QString Japanese = u"zomvorn: 画面に接続できません（DISPLAY も WAYLAND_DISPLAY もありません）"_s;

QProcessEnvironment environment(const QStringList &variables)
{
    QProcessEnvironment env;
    for (const QString &v : variables)
        env.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
    return env;
}

} // namespace

void TestDisplay::missingDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("message");
    const QStringList plain{u"/usr/bin/zomvorn"_s};
    QTest::newRow("X") << plain << QStringList{u"DISPLAY=:0"_s} << QString();
    QTest::newRow("Wayland") << plain << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s} << QString();
    QTest::newRow("none") << plain << QStringList{} << English;
    QTest::newRow("empty DISPLAY") << plain << QStringList{u"DISPLAY="_s} << English;
    QTest::newRow("Japanese locale") << plain << QStringList{u"LANG=ja_JP.UTF-8"_s} << Japanese;
    QTest::newRow("LANGUAGE first") << plain
                                    << QStringList{u"LANGUAGE=en"_s, u"LANG=ja_JP.UTF-8"_s}
                                    << English;
    QTest::newRow("LC_ALL over LANG")
        << plain << QStringList{u"LC_ALL=ja_JP.UTF-8"_s, u"LANG=C.UTF-8"_s} << Japanese;
    QTest::newRow("offscreen chosen") << plain << QStringList{u"QT_QPA_PLATFORM=offscreen"_s}
                                      << QString();
    QTest::newRow("xcb chosen") << plain << QStringList{u"QT_QPA_PLATFORM=xcb"_s} << English;
    QTest::newRow("a list of window systems")
        << plain << QStringList{u"QT_QPA_PLATFORM=wayland;xcb"_s} << English;
    QTest::newRow("a list ending in offscreen")
        << plain << QStringList{u"QT_QPA_PLATFORM=wayland;offscreen"_s} << QString();
    QTest::newRow("-platform offscreen")
        << QStringList{u"zomvorn"_s, u"-platform"_s, u"offscreen"_s} << QStringList{} << QString();
    QTest::newRow("-platform over the environment")
        << QStringList{u"zomvorn"_s, u"-platform"_s, u"xcb"_s}
        << QStringList{u"QT_QPA_PLATFORM=offscreen"_s} << English;
    QTest::newRow("-platform with nothing after it")
        << QStringList{u"zomvorn"_s, u"-platform"_s} << QStringList{} << English;
}

void TestDisplay::missingDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, variables);
    QFETCH(QString, message);
    QList<QByteArray> bytes;
    for (const QString &a : arguments)
        bytes.append(a.toLocal8Bit());
    QList<const char *> argv;
    for (const QByteArray &b : bytes)
        argv.append(b.constData());
    const std::optional<QString> got =
        ui::missingDisplayMessage(int(argv.size()), argv.constData(), environment(variables));
    QCOMPARE(got.value_or(QString()), message);
}

void TestDisplay::theProgramsSayItAndEnd_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("message");
    const QString help = u"zomvorn-help: "_s;
    QTest::newRow("program") << QStringLiteral(ZOMVORN_PROGRAM) << QStringList{} << English;
    QTest::newRow("program, Japanese")
        << QStringLiteral(ZOMVORN_PROGRAM) << QStringList{u"LANG=ja_JP.UTF-8"_s} << Japanese;
    QTest::newRow("help viewer") << QStringLiteral(ZOMVORN_HELPVIEWER) << QStringList{}
                                 << help + English.section(u": "_s, 1);
}

// The real programs, with no window system at all: one line and status 1, instead of Qt's abort.
void TestDisplay::theProgramsSayItAndEnd()
{
    QFETCH(QString, program);
    QFETCH(QStringList, variables);
    QFETCH(QString, message);
    QProcess process;
    process.setProcessEnvironment(environment(variables));
    process.start(program, {});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), message + u'\n');
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(TestDisplay)
#include "tst_display.moc"
