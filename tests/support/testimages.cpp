// SPDX-License-Identifier: MIT

#include "testimages.h"

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

} // namespace testimages
