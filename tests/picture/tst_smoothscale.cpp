// SPDX-License-Identifier: MIT

// picture::smoothlyScaled against Qt's own smooth scaling of the same picture: the same pixels in
// the same format, for the 8-bit pictures it scales its own way (a million pixels or more) and
// for those it hands to Qt.

#include "picture/levels.h"

#include <QTest>

class TestSmoothScale : public QObject
{
    Q_OBJECT

private slots:
    void sameAsQt_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<QSize>("size");
        // Pixels that vary in both directions, so that every box of the scaling differs.
        auto picture = [](int w, int h, QImage::Format format, const QList<QRgb> &table) {
            QImage image(w, h, format);
            if (!table.isEmpty())
                image.setColorTable(table);
            for (int y = 0; y < h; ++y) {
                uchar *line = image.scanLine(y);
                for (int x = 0; x < w; ++x)
                    line[x] = uchar((x * 7 + y * 13 + (x * y) % 29) % table.value(0, 256));
            }
            return image;
        };
        QList<QRgb> grey;
        QList<QRgb> colour;
        QList<QRgb> translucent;
        for (int i = 0; i < 256; ++i) {
            grey << qRgb(i, i, i);
            colour << qRgb((i * 37) % 256, (i * 91 + 40) % 256, (i * 53 + 200) % 256);
            translucent << qRgba(i, 255 - i, (i * 5) % 256, (i * 3) % 256);
        }
        const QSize map(389, 333);
        QTest::newRow("indexed grey") << picture(1100, 1000, QImage::Format_Indexed8, grey) << map;
        QTest::newRow("indexed colour, fitted")
            << picture(1300, 900, QImage::Format_Indexed8, colour) << QSize(389, 269);
        QTest::newRow("indexed translucent")
            << picture(1200, 1000, QImage::Format_Indexed8, translucent) << map;
        QTest::newRow("grey") << picture(1024, 1024, QImage::Format_Grayscale8, {}) << map;
        QTest::newRow("grey, enlarged in one direction")
            << picture(2000, 600, QImage::Format_Grayscale8, {}) << QSize(389, 700);
        QTest::newRow("grey below a million pixels")
            << picture(1000, 1000, QImage::Format_Grayscale8, {}) << map;
        QTest::newRow("32-bit") << picture(1100, 1000, QImage::Format_Indexed8, colour)
                                       .convertToFormat(QImage::Format_RGB32)
                                << map;
    }

    void sameAsQt()
    {
        QFETCH(QImage, picture);
        QFETCH(QSize, size);
        const QImage expected = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QImage handed = picture.copy(); // held by nothing else
        const QImage scaled = picture::smoothlyScaled(std::move(handed), size);
        QCOMPARE(scaled.format(), expected.format());
        QCOMPARE(scaled.size(), expected.size());
        QCOMPARE(scaled.colorTable(), expected.colorTable());
        QVERIFY(scaled == expected);
        // Scaling a picture that is still held elsewhere leaves that one as it was.
        const QImage before = picture.copy();
        QVERIFY(picture::smoothlyScaled(picture, size) == expected);
        QVERIFY(picture == before);
    }
};

QTEST_GUILESS_MAIN(TestSmoothScale)
#include "tst_smoothscale.moc"
