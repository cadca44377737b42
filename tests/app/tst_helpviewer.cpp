#include "helpviewer/helpwindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace Qt::StringLiterals;

class TestHelpViewer : public QObject
{
    Q_OBJECT

private slots:
    void showsTheShippedHelpFile();
    void reportsAFileItCannotRead_data();
    void reportsAFileItCannotRead();
};

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
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
