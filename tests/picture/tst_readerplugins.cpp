// SPDX-License-Identifier: MIT

// Reading a picture of each format, and writing it as BMP and PNG, loads no image-format plugin:
// JPEG, PNG and GIF are read by their libraries directly, BMP by the program's own reader; both
// formats are written by the program's own encoder. A process of its own, so that
// nothing else has loaded a plugin first.

#include "picture/pictureio.h"
#include "ui/qtimage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestReaderPlugins : public QObject
{
    Q_OBJECT

private slots:
    void noPluginLoaded_data()
    {
        QTest::addColumn<QString>("file");
        const QString data = QStringLiteral(ZOMVORN_TESTDATA);
        QTest::newRow("BMP") << data + u"/bmpsuite/g/rgb24.bmp"_s;
        QTest::newRow("PNG") << data + u"/readers/rgba8.png"_s;
        QTest::newRow("GIF") << data + u"/readers/interlaced.gif"_s;
        QTest::newRow("JPEG") << data + u"/readers/progressive-422.jpg"_s;
    }

    void noPluginLoaded()
    {
        QFETCH(QString, file);
        const picture::Image image = picture::loadPicture(file);
        QVERIFY(!image.isNull());
        QTemporaryDir dir;
        picture::savePicture(image, dir.filePath(u"out.bmp"_s), picture::FileFormat::Bmp);
        picture::savePicture(image, dir.filePath(u"out.png"_s), picture::FileFormat::Png);
        QFile maps(u"/proc/self/maps"_s);
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("libQt6Gui")); // the check can see shared objects at all
        for (const QByteArray &line : mapped.split('\n'))
            QVERIFY2(!line.contains("/imageformats/"), line.constData());
    }
};

QTEST_GUILESS_MAIN(TestReaderPlugins)
#include "tst_readerplugins.moc"
