// SPDX-License-Identifier: MIT

#include "picture/smoothscale.h"
#include "ui/qtimage.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Noise in every channel, so that every weight shows in the result.
QImage noise(QSize size, QImage::Format format, quint32 seed)
{
    QRandomGenerator random(seed);
    if (format == QImage::Format_Indexed8) {
        // A palette with translucent entries, as a PNG's may have.
        QList<QRgb> table;
        for (int i = 0; i < 256; ++i)
            table.append(qRgba(i, 255 - i, (i * 7) & 255, i < 128 ? 255 : i));
        QImage indexed(size, format);
        indexed.setColorTable(table);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                indexed.setPixel(x, y, random.bounded(256));
        return indexed;
    }
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = random.generate();
    }
    return image.convertToFormat(format);
}

} // namespace

class TestSmoothScale : public QObject
{
    Q_OBJECT

private slots:
    void asQtScalesIt_data();
    void asQtScalesIt();
};

// Qt itself is the oracle: the picture read a row at a time and averaged, or painted.
void TestSmoothScale::asQtScalesIt_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QRect>("source");
    QTest::addColumn<QSize>("scaled");

    const QRect whole;
    QTest::newRow("RGB32, odd ratio") << QSize(211, 173) << QImage::Format_RGB32 << whole
                                      << QSize(100, 61);
    QTest::newRow("RGB32, halved") << QSize(64, 48) << QImage::Format_RGB32 << whole
                                   << QSize(32, 24);
    QTest::newRow("RGB32, one less") << QSize(454, 334) << QImage::Format_RGB32 << whole
                                     << QSize(453, 333);
    QTest::newRow("RGB32, to one pixel") << QSize(50, 40) << QImage::Format_RGB32 << whole
                                         << QSize(1, 1);
    QTest::newRow("premultiplied") << QSize(97, 89) << QImage::Format_ARGB32_Premultiplied
                                   << whole << QSize(13, 11);
    // Made larger along one axis or both: bilinear along it, averaged along the other.
    QTest::newRow("RGB32, enlarged") << QSize(61, 47) << QImage::Format_RGB32 << whole
                                     << QSize(453, 333);
    QTest::newRow("premultiplied, wider and shorter") << QSize(97, 300)
                                                      << QImage::Format_ARGB32_Premultiplied
                                                      << whole << QSize(389, 71);
    QTest::newRow("RGB32, narrower and taller") << QSize(500, 40) << QImage::Format_RGB32
                                                << whole << QSize(120, 333);
    QTest::newRow("RGB32, one more") << QSize(452, 332) << QImage::Format_RGB32 << whole
                                     << QSize(453, 333);
    QTest::newRow("grey, long strip, taller") << QSize(3000, 100) << QImage::Format_Grayscale8
                                              << whole << QSize(453, 333);
    QTest::newRow("palette, tall strip, wider") << QSize(50, 1000) << QImage::Format_Indexed8
                                                << whole << QSize(389, 333);
    QTest::newRow("part, enlarged") << QSize(200, 150) << QImage::Format_RGB32
                                    << QRect(150, 100, 50, 50) << QSize(120, 90);
    // The others are converted, scaled and converted back when large or scaled far down.
    QTest::newRow("ARGB32, a third") << QSize(211, 173) << QImage::Format_ARGB32 << whole
                                     << QSize(70, 57);
    QTest::newRow("grey, a third") << QSize(300, 200) << QImage::Format_Grayscale8 << whole
                                   << QSize(100, 3);
    QTest::newRow("grey, large") << QSize(1100, 960) << QImage::Format_Grayscale8 << whole
                                 << QSize(453, 333);
    QTest::newRow("grey, 1024², one less") << QSize(1024, 1024) << QImage::Format_Grayscale8
                                           << whole << QSize(1023, 1023);
    QTest::newRow("palette with alpha, large") << QSize(1024, 1024) << QImage::Format_Indexed8
                                               << whole << QSize(389, 333);
    QTest::newRow("1 bit, a quarter") << QSize(90, 70) << QImage::Format_Mono << whole
                                      << QSize(17, 17);
    QTest::newRow("part, from the middle") << QSize(200, 150) << QImage::Format_RGB32
                                           << QRect(13, 7, 151, 121) << QSize(60, 50);
    QTest::newRow("part, to the far corner") << QSize(1200, 1000) << QImage::Format_Grayscale8
                                             << QRect(50, 30, 1150, 970) << QSize(453, 333);
    QTest::newRow("grey, small, painted") << QSize(64, 48) << QImage::Format_Grayscale8 << whole
                                          << QSize(32, 24);
    // Painted, bilinearly, with the rasterizer's coverage at the edges.
    QTest::newRow("grey, enlarged, painted") << QSize(100, 80) << QImage::Format_Grayscale8
                                             << whole << QSize(453, 333);
    QTest::newRow("grey, a little smaller, painted") << QSize(500, 400)
                                                     << QImage::Format_Grayscale8 << whole
                                                     << QSize(453, 333);
    QTest::newRow("grey, enlarged evenly, painted") << QSize(100, 100)
                                                    << QImage::Format_Grayscale8 << whole
                                                    << QSize(300, 300);
    QTest::newRow("grey, 7x5 enlarged, edges covered in part")
        << QSize(7, 5) << QImage::Format_Grayscale8 << whole << QSize(453, 333);
    // Sizes whose scaled edge the double arithmetic puts a hair past the target, on the right
    // or at the bottom: the rasterizer clips it there, and the line's thickness follows.
    QTest::newRow("grey, right end past the target") << QSize(379, 146)
                                                     << QImage::Format_Grayscale8 << whole
                                                     << QSize(411, 185);
    QTest::newRow("grey, bottom past the target") << QSize(71, 110) << QImage::Format_Grayscale8
                                                  << whole << QSize(154, 329);
    QTest::newRow("1 bit, bottom past the target") << QSize(191, 282) << QImage::Format_Mono
                                                   << whole << QSize(198, 315);
    QTest::newRow("1 bit, enlarged, painted") << QSize(40, 30) << QImage::Format_Mono << whole
                                              << QSize(389, 333);
    QTest::newRow("grey part, enlarged, painted") << QSize(300, 200) << QImage::Format_Grayscale8
                                                  << QRect(20, 10, 150, 120) << QSize(453, 333);
    // Each of these tells one rule of the painter from Qt: how it hands its spans on in batches
    // shared out among threads (a palette with translucent colours, and colours with alpha,
    // painted in 16 bits a channel), that an opaque picture's wholly covered spans go apart from
    // its edge, its buffer's width, premultiplying in groups, and stepping in doubles when a
    // picture is made 256 times larger or more.
    QTest::newRow("palette with alpha, painted") << QSize(334, 322) << QImage::Format_Indexed8
                                                 << whole << QSize(238, 229);
    QTest::newRow("ARGB32, painted") << QSize(295, 42) << QImage::Format_ARGB32 << whole
                                     << QSize(217, 187);
    QTest::newRow("grey, edge column apart") << QSize(457, 397) << QImage::Format_Grayscale8
                                             << whole << QSize(250, 260);
    QTest::newRow("grey, wider than a buffer") << QSize(100, 8) << QImage::Format_Grayscale8
                                               << whole << QSize(2180, 251);
    QTest::newRow("ARGB32, enlarged, painted") << QSize(59, 54) << QImage::Format_ARGB32 << whole
                                               << QSize(345, 65);
    QTest::newRow("grey, one row, 300 times higher") << QSize(200, 1)
                                                     << QImage::Format_Grayscale8 << whole
                                                     << QSize(453, 300);
    QTest::newRow("ARGB32, 300 times wider") << QSize(2, 40) << QImage::Format_ARGB32 << whole
                                             << QSize(600, 333);
}

void TestSmoothScale::asQtScalesIt()
{
    QFETCH(QSize, size);
    QFETCH(QImage::Format, format);
    QFETCH(QRect, source);
    QFETCH(QSize, scaled);

    const QImage picture = noise(size, format, quint32(size.width() * 31 + int(format)));
    if (!source.isValid())
        source = picture.rect();
    QImage expected =
        picture.copy(source).scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Where Qt dithers the averaged colours back onto a palette, they are kept as averaged.
    if (expected.format() == QImage::Format_Indexed8 || expected.format() == QImage::Format_Mono)
        expected = picture.copy(source)
                       .convertToFormat(picture.hasAlphaChannel()
                                            ? QImage::Format_ARGB32_Premultiplied
                                            : QImage::Format_RGB32)
                       .scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage actual =
        ui::toQImage(picture::smoothScaled(ui::fromQImage(picture), source, scaled));
    QCOMPARE(actual.format(), expected.format());
    QCOMPARE(actual.size(), scaled);
    QCOMPARE(actual.colorTable(), expected.colorTable());
    for (int y = 0; y < scaled.height(); ++y)
        for (int x = 0; x < scaled.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                QFAIL(qPrintable(u"(%1, %2): %3, Qt made %4"_s.arg(x).arg(y)
                                     .arg(actual.pixel(x, y), 8, 16, QChar(u'0'))
                                     .arg(expected.pixel(x, y), 8, 16, QChar(u'0'))));
}

QTEST_GUILESS_MAIN(TestSmoothScale)
#include "tst_smoothscale.moc"
