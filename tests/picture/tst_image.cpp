// SPDX-License-Identifier: MIT

// The picture type of the library against Qt's own: both programs must read the same colours
// from the same picture, so every conversion the library makes is compared, byte for byte, with
// QImage's on pictures that hold every value a channel can take.

#include "picture/image.h"
#include "ui/qtimage.h"

#include <QRandomGenerator>
#include <QTest>

#include <cstring>

using namespace Qt::StringLiterals;
using Format = picture::Image::Format;

namespace {

// Every alpha against every channel value (32 bits), every grey (8 and 16 bits), every index of
// a table with alphas, and noise for the 64-bit formats.
QImage allValues(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Grayscale16: {
        QImage image(256, 256, format);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                reinterpret_cast<quint16 *>(image.scanLine(y))[x] = quint16(y * 256 + x);
        return image;
    }
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64: {
        QImage image(256, 256, format);
        QRandomGenerator random(7);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                quint64 v = random.generate64();
                if (format == QImage::Format_RGBX64 || y == 0)
                    v |= 0xffffull << 48;
                if (format == QImage::Format_RGBA64 && y == 1)
                    v &= ~(0xffffull << 48);
                reinterpret_cast<quint64 *>(image.scanLine(y))[x] = v;
            }
        return image;
    }
    case QImage::Format_Mono:
    case QImage::Format_Indexed8: {
        QImage image(256, 9, format);
        const int colours = format == QImage::Format_Mono ? 2 : 256;
        image.setColorCount(colours);
        for (int i = 0; i < colours; ++i)
            image.setColor(i, qRgba(i, 255 - i, (i * 5) & 255, i == 0 ? 255 : (i * 3) & 255));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < 256; ++x)
                image.setPixel(x, y, uint((x + y) % colours));
        return image;
    }
    case QImage::Format_Grayscale8: {
        QImage image(256, 3, format);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < 256; ++x)
                image.scanLine(y)[x] = uchar(x);
        return image;
    }
    default: {
        QImage image(256, 256, format);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                reinterpret_cast<QRgb *>(image.scanLine(y))[x] =
                    qRgba(x, (x * 7) & 255, 255 - x, y);
        return image;
    }
    }
}

QString firstDifference(const QImage &expected, const picture::Image &actual)
{
    if (actual.isNull())
        return u"null"_s;
    if (expected.size() != actual.size() || int(expected.depth()) != actual.depth())
        return u"size or depth"_s;
    // Bits past the last pixel of a 1-bit row are no pixel's.
    const qsizetype bits = qsizetype(expected.width()) * expected.depth();
    const auto bytes = std::size_t((bits + 7) / 8);
    const uchar lastMask = uchar(0xff << ((8 - bits % 8) % 8));
    for (int y = 0; y < expected.height(); ++y)
        for (std::size_t i = 0; i < bytes; ++i) {
            const uchar mask = i + 1 == bytes ? lastMask : 0xff;
            const uchar want = expected.constScanLine(y)[i] & mask;
            const uchar got = actual.constScanLine(y)[i] & mask;
            if (want != got)
                return u"row %1 byte %2: %3, Qt made %4"_s.arg(y).arg(i).arg(got).arg(want);
        }
    return {};
}

} // namespace

class TestImage : public QObject
{
    Q_OBJECT

private slots:
    void convertsAsQtDoes_data();
    void convertsAsQtDoes();
    void refusesWhatItCannotMatch();
    void sharesUntilChanged();
    void copiesParts_data();
    void copiesParts();
};

void TestImage::convertsAsQtDoes_data()
{
    QTest::addColumn<QImage::Format>("from");
    QTest::addColumn<QImage::Format>("to");
    const QList<QImage::Format> sources{
        QImage::Format_Mono,        QImage::Format_Indexed8,    QImage::Format_RGB32,
        QImage::Format_ARGB32,      QImage::Format_ARGB32_Premultiplied,
        QImage::Format_Grayscale8,  QImage::Format_Grayscale16, QImage::Format_RGBX64,
        QImage::Format_RGBA64,
    };
    const QList<QImage::Format> targets{QImage::Format_RGB32, QImage::Format_ARGB32,
                                        QImage::Format_ARGB32_Premultiplied,
                                        QImage::Format_RGBA64};
    for (QImage::Format from : sources)
        for (QImage::Format to : targets)
            if (from != to
                && !(from == QImage::Format_ARGB32_Premultiplied && to == QImage::Format_RGBA64))
                QTest::addRow("%d to %d", int(from), int(to)) << from << to;
    QTest::newRow("RGBA64 to RGBX64") << QImage::Format_RGBA64 << QImage::Format_RGBX64;
}

void TestImage::refusesWhatItCannotMatch()
{
    // Qt widens premultiplied colours to 16 bits its own way; rather than other colours, none.
    const picture::Image premultiplied =
        ui::fromQImage(allValues(QImage::Format_ARGB32_Premultiplied));
    QVERIFY(premultiplied.convertToFormat(Format::Rgba64).isNull());
    QVERIFY(picture::Image(4, 4, Format::Rgb32).convertToFormat(Format::Grayscale8).isNull());
}

void TestImage::convertsAsQtDoes()
{
    QFETCH(QImage::Format, from);
    QFETCH(QImage::Format, to);
    const QImage source = allValues(from);
    const picture::Image ours = ui::fromQImage(source);
    QCOMPARE(ui::toQImage(ours), source);
    const QImage expected = source.convertToFormat(to);
    const picture::Image actual = ours.convertToFormat(ui::fromQImage(expected).format());
    QCOMPARE(firstDifference(expected, actual), QString());
    // A pixel read alone is the pixel of the picture made 32-bit.
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); y += 37)
        for (int x = 0; x < source.width(); x += 3)
            QCOMPARE(ours.pixel(x, y), reinterpret_cast<const QRgb *>(argb.constScanLine(y))[x]);
}

void TestImage::sharesUntilChanged()
{
    picture::Image image(3, 2, Format::Rgb32);
    image.fill(0x123456);
    QCOMPARE(image.pixel(2, 1), 0xff123456u);
    const picture::Image copy = image;
    QCOMPARE(copy.constBits(), image.constBits());
    reinterpret_cast<picture::Rgb *>(image.scanLine(1))[2] = 0xff000000u;
    QVERIFY(copy.constBits() != image.constBits());
    QCOMPARE(copy.pixel(2, 1), 0xff123456u);

    // Across the edge: a picture still shared is copied, one held alone is taken over.
    QImage shown = ui::toQImage(copy);
    QVERIFY(shown.constBits() != copy.constBits());
    shown.setPixel(0, 0, 0xff00ff00u);
    QCOMPARE(copy.pixel(0, 0), 0xff123456u);
    QCOMPARE(ui::fromQImage(shown).pixel(0, 0), 0xff00ff00u);
    const uchar *pixels = image.constBits();
    QCOMPARE(ui::toQImage(std::move(image)).constBits(), pixels);
}

void TestImage::copiesParts_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QRect>("area");
    QTest::newRow("1 bit, across bytes") << QImage::Format_Mono << QRect(5, 1, 13, 3);
    QTest::newRow("1 bit, over the edge") << QImage::Format_Mono << QRect(250, -2, 10, 5);
    QTest::newRow("8 bits, inside") << QImage::Format_Indexed8 << QRect(3, 2, 100, 4);
    QTest::newRow("32 bits, over the corner") << QImage::Format_ARGB32 << QRect(200, 250, 80, 9);
    QTest::newRow("64 bits, inside") << QImage::Format_RGBA64 << QRect(1, 1, 7, 7);
}

void TestImage::copiesParts()
{
    QFETCH(QImage::Format, format);
    QFETCH(QRect, area);
    const QImage source = allValues(format);
    const picture::Image part = ui::fromQImage(source).copy(area);
    QCOMPARE(part.colorTable(), source.colorTable());
    QCOMPARE(firstDifference(source.copy(area), part), QString());
}

QTEST_GUILESS_MAIN(TestImage)
#include "tst_image.moc"
