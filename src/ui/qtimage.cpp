// SPDX-License-Identifier: MIT

#include "qtimage.h"

#include <cstring>

namespace ui {

using picture::Image;
using picture::Rgb;

namespace {

using Format = Image::Format;

QImage::Format qtFormat(Format format)
{
    switch (format) {
    case Format::Invalid:
        break;
    case Format::Mono:
        return QImage::Format_Mono;
    case Format::Indexed8:
        return QImage::Format_Indexed8;
    case Format::Rgb32:
        return QImage::Format_RGB32;
    case Format::Argb32:
        return QImage::Format_ARGB32;
    case Format::Argb32Premultiplied:
        return QImage::Format_ARGB32_Premultiplied;
    case Format::Grayscale8:
        return QImage::Format_Grayscale8;
    case Format::Grayscale16:
        return QImage::Format_Grayscale16;
    case Format::Rgbx64:
        return QImage::Format_RGBX64;
    case Format::Rgba64:
        return QImage::Format_RGBA64;
    }
    return QImage::Format_Invalid;
}

Format formatOf(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Mono:
        return Format::Mono;
    case QImage::Format_Indexed8:
        return Format::Indexed8;
    case QImage::Format_RGB32:
        return Format::Rgb32;
    case QImage::Format_ARGB32:
        return Format::Argb32;
    case QImage::Format_ARGB32_Premultiplied:
        return Format::Argb32Premultiplied;
    case QImage::Format_Grayscale8:
        return Format::Grayscale8;
    case QImage::Format_Grayscale16:
        return Format::Grayscale16;
    case QImage::Format_RGBX64:
        return Format::Rgbx64;
    case QImage::Format_RGBA64:
        return Format::Rgba64;
    default:
        return Format::Invalid;
    }
}

} // namespace

QImage toQImage(Image image)
{
    if (image.isNull())
        return {};
    // The QImage keeps the Image alive and works in its pixels; bits() makes them the Image's
    // own first, which copies them only if another Image still shares them.
    auto *keeper = new Image(std::move(image));
    QImage shared(
        keeper->bits(), keeper->width(), keeper->height(), keeper->bytesPerLine(),
        qtFormat(keeper->format()), [](void *kept) { delete static_cast<Image *>(kept); }, keeper);
    if (keeper->depth() <= 8)
        shared.setColorTable(keeper->colorTable());
    shared.setDotsPerMeterX(keeper->dotsPerMeterX());
    shared.setDotsPerMeterY(keeper->dotsPerMeterY());
    return shared;
}

Image fromQImage(const QImage &image)
{
    if (image.isNull())
        return {};
    Format format = formatOf(image.format());
    QImage source = image;
    if (format == Format::Invalid) {
        format = image.hasAlphaChannel() ? Format::Argb32 : Format::Rgb32;
        source = image.convertToFormat(qtFormat(format));
    }
    Image copy(source.width(), source.height(), format);
    if (copy.isNull())
        return copy;
    const auto bytes = std::size_t(std::min(copy.bytesPerLine(), source.bytesPerLine()));
    for (int y = 0; y < source.height(); ++y)
        std::memcpy(copy.scanLine(y), source.constScanLine(y), bytes);
    if (source.depth() <= 8)
        copy.setColorTable(source.colorTable());
    copy.setDotsPerMeterX(source.dotsPerMeterX());
    copy.setDotsPerMeterY(source.dotsPerMeterY());
    return copy;
}

} // namespace ui
