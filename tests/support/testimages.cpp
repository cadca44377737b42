// SPDX-License-Identifier: MIT

#include "testimages.h"

#include <algorithm>
#include <cmath>

#include <cstdlib>

namespace testimages {

QRect extentOf(const QImage &image, ui::Colour colour)
{
    const QRgb want = ui::toQRgb(colour) & 0xffffff;
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == want)
                box |= QRect(x, y, 1, 1);
    return box;
}

int countOf(const QImage &image, ui::Colour colour)
{
    const QRgb want = ui::toQRgb(colour) & 0xffffff;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xffffff) == want;
    return n;
}

QImage uniformDepthMap(int level, QSize size)
{
    QImage map(size, QImage::Format_RGB32);
    map.fill(ui::toQRgb(ui::QBColor(level)));
    return map;
}

QImage shapeMap()
{
    QImage map = uniformDepthMap(0);
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            const int dx = x - 194, dy = y - 166;
            const int d2 = dx * dx + dy * dy;
            if (d2 < 40 * 40)
                map.setPixel(x, y, ui::toQRgb(ui::QBColor(15)));
            else if (d2 < 80 * 80)
                map.setPixel(x, y, ui::toQRgb(ui::QBColor(9)));
            else if (d2 < 120 * 120)
                map.setPixel(x, y, ui::toQRgb(ui::QBColor(3)));
        }
    }
    return map;
}

int maxChannelDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int j = 0; j < x.height(); ++j) {
        for (int i = 0; i < x.width(); ++i) {
            const QRgb p = x.pixel(i, j);
            const QRgb q = y.pixel(i, j);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return worst;
}

QString bmpsuite(const QString &relative)
{
    return QStringLiteral(ZOMVORN_BMPSUITE) + u'/' + relative;
}

QImage sphereOnBlack(QSize size, double radius, QPoint centre, QImage::Format format)
{
    QImage out(size, QImage::Format_Grayscale8);
    out.fill(0);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double d = std::hypot(x - centre.x(), y - centre.y()) / radius;
            if (d < 1)
                out.scanLine(y)[x] = uchar(std::lround(40 + 215 * std::sqrt(1 - d * d)));
        }
    return out.convertToFormat(format);
}

QImage sixteenBitRamp(QSize size)
{
    QImage out(size, QImage::Format_Grayscale16);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<quint16 *>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = quint16(x * 65535 / (size.width() - 1));
    }
    return out;
}

QImage colourRamp(QSize size, const QList<QRgb> &stops)
{
    QImage out(size, QImage::Format_RGB32);
    const int segments = int(stops.size()) - 1;
    for (int x = 0; x < size.width(); ++x) {
        const double at = x / double(size.width() - 1) * segments;
        const int k = std::min(int(at), segments - 1);
        const double f = at - k;
        auto mix = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
        const QRgb c = qRgb(mix(qRed(stops[k]), qRed(stops[k + 1])),
                            mix(qGreen(stops[k]), qGreen(stops[k + 1])),
                            mix(qBlue(stops[k]), qBlue(stops[k + 1])));
        for (int y = 0; y < size.height(); ++y)
            out.setPixel(x, y, c);
    }
    return out;
}

QList<QRgb> jetCorners()
{
    return {qRgb(0, 0, 128),   qRgb(0, 0, 255), qRgb(0, 255, 255),
            qRgb(255, 255, 0), qRgb(255, 0, 0), qRgb(128, 0, 0)};
}

QList<QRgb> viridisQuarters()
{
    return {qRgb(0x44, 0x01, 0x54), qRgb(0x3b, 0x52, 0x8b), qRgb(0x21, 0x91, 0x8c),
            qRgb(0x5e, 0xc9, 0x62), qRgb(0xfd, 0xe7, 0x25)};
}

QImage bluesPalette(QSize size)
{
    QImage out(size, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette << qRgb(i / 4, i / 2, i);
    out.setColorTable(palette);
    const qint64 far = qint64(size.width()) * size.width() + qint64(size.height()) * size.height();
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            out.scanLine(y)[x] = uchar(30 + 200 * (qint64(x) * x + qint64(y) * y) / far);
    return out;
}

} // namespace testimages
