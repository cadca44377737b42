// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QRect>
#include <QSharedDataPointer>
#include <QSize>
#include <QtGlobal>
#include <qnamespace.h>

namespace picture {

// A pixel of 32 bits, 0xAARRGGBB: the same value, and the same bytes in memory, as the desktop's
// QRgb, so that rows pass between the two as they are.
using Rgb = quint32;

constexpr int rgbRed(Rgb c) { return int((c >> 16) & 0xff); }
constexpr int rgbGreen(Rgb c) { return int((c >> 8) & 0xff); }
constexpr int rgbBlue(Rgb c) { return int(c & 0xff); }
constexpr int rgbAlpha(Rgb c) { return int(c >> 24); }

constexpr Rgb rgbOf(int red, int green, int blue)
{
    return 0xff000000u | (Rgb(red) & 0xff) << 16 | (Rgb(green) & 0xff) << 8 | (Rgb(blue) & 0xff);
}

constexpr Rgb rgbaOf(int red, int green, int blue, int alpha)
{
    return (Rgb(alpha) & 0xff) << 24 | (Rgb(red) & 0xff) << 16 | (Rgb(green) & 0xff) << 8
           | (Rgb(blue) & 0xff);
}

// The grey of a colour as the program has always weighed it: (11 R + 16 G + 5 B) / 32.
constexpr int greyOf(int red, int green, int blue)
{
    return (red * 11 + green * 16 + blue * 5) / 32;
}
constexpr int rgbGrey(Rgb c) { return greyOf(rgbRed(c), rgbGreen(c), rgbBlue(c)); }

// A pixel of 16 bits a channel, red in the lowest bits; the alpha is not multiplied in.
struct Rgba64
{
    quint64 value = 0;

    static constexpr Rgba64 of(quint16 red, quint16 green, quint16 blue, quint16 alpha)
    {
        return {quint64(red) | quint64(green) << 16 | quint64(blue) << 32 | quint64(alpha) << 48};
    }
    constexpr quint16 red() const { return quint16(value); }
    constexpr quint16 green() const { return quint16(value >> 16); }
    constexpr quint16 blue() const { return quint16(value >> 32); }
    constexpr quint16 alpha() const { return quint16(value >> 48); }
    constexpr bool operator==(const Rgba64 &) const = default;
};

// 16 bits to 8, rounded to the nearest.
constexpr int eightOfSixteen(int v)
{
    return int((quint32(v) * 255 + 32895) >> 16);
}

// v * a / 255 for channels of 8 bits, rounded to the nearest, as premultiplying and painting
// with a coverage compute it.
constexpr quint32 timesOver255(quint32 v, quint32 a)
{
    const quint32 t = v * a;
    return (t + (t >> 8) + 0x80) >> 8;
}

// A colour multiplied by its alpha, each channel rounded to the nearest (as a premultiplied
// picture keeps it).
constexpr Rgb premultiplied(Rgb c)
{
    const quint32 a = c >> 24;
    return a << 24 | timesOver255((c >> 16) & 0xff, a) << 16 | timesOver255((c >> 8) & 0xff, a) << 8
           | timesOver255(c & 0xff, a);
}

// The colour of a premultiplied pixel again, as the desktop's own conversions divide it back.
Rgb unpremultiplied(Rgb c);

// A picture as data: rows of pixels in one of the formats the readers give, each row starting on
// a 32-bit boundary, with a colour table for the formats of 1 and 8 bits and a resolution. Copies
// share their pixels until one of them is changed (scanLine and bits make the picture its own).
// A picture whose memory cannot be had is null, as is one of an empty size.
class Image
{
public:
    enum class Format : quint8 {
        Invalid,
        Mono, // 1 bit a pixel, the first pixel in the highest bit; through the colour table
        Indexed8, // through the colour table
        Rgb32, // Rgb with the alpha ignored (0xff in everything the program makes)
        Argb32,
        Argb32Premultiplied,
        Grayscale8,
        Grayscale16,
        Rgbx64, // Rgba64 with the alpha ignored
        Rgba64,
    };

    Image() noexcept;
    Image(int width, int height, Format format);
    Image(QSize size, Format format) : Image(size.width(), size.height(), format) {}
    // A picture over rows the caller keeps, and frees only after the picture and its copies are
    // gone; changes to this picture go into them (a copy that is changed gets its own).
    Image(uchar *rows, int width, int height, qsizetype bytesPerLine, Format format);
    Image(const Image &) noexcept;
    Image(Image &&) noexcept;
    Image &operator=(const Image &) noexcept;
    Image &operator=(Image &&) noexcept;
    ~Image();

    static int depthOf(Format format);

    bool isNull() const { return !d; }
    int width() const;
    int height() const;
    QSize size() const { return {width(), height()}; }
    QRect rect() const { return {0, 0, width(), height()}; }
    Format format() const;
    int depth() const { return depthOf(format()); }
    qsizetype bytesPerLine() const;
    qsizetype sizeInBytes() const { return bytesPerLine() * height(); }
    bool hasAlphaChannel() const;

    uchar *bits();
    const uchar *constBits() const;
    uchar *scanLine(int y);
    const uchar *constScanLine(int y) const;
    // Every pixel set to `value`: the index or grey of 8 bits, the lowest bit for Mono, the grey
    // of 16 bits, a 32-bit colour (made opaque in Rgb32), or a 32-bit colour widened to 64 bits.
    void fill(uint value);
    void fill(Qt::GlobalColor) = delete; // a colour name is no pixel value

    QList<Rgb> colorTable() const;
    void setColorTable(const QList<Rgb> &table);
    int colorCount() const;
    void setColorCount(int count);
    Rgb color(int i) const;
    void setColor(int i, Rgb colour);

    // The pixel at (x, y) as a 32-bit colour, as convertToFormat(Argb32) would give it.
    Rgb pixel(int x, int y) const;
    bool valid(int x, int y) const { return x >= 0 && y >= 0 && x < width() && y < height(); }
    // Sets the pixel at (x, y): the index (or the lowest bit for Mono) or grey of 8 bits, or a
    // 32-bit colour (made opaque in Rgb32). Not for the formats of 16 bits a channel.
    void setPixel(int x, int y, uint value);
    void setPixel(QPoint at, uint value) { setPixel(at.x(), at.y(), value); }
    Rgb pixel(QPoint at) const { return pixel(at.x(), at.y()); }

    int dotsPerMeterX() const;
    int dotsPerMeterY() const;
    void setDotsPerMeterX(int dots);
    void setDotsPerMeterY(int dots);

    // The part of the picture inside `area`, in the same format with the same table and
    // resolution; parts of `area` outside the picture are zero.
    Image copy(const QRect &area) const;
    Image copy(int x, int y, int width, int height) const
    {
        return copy(QRect(x, y, width, height));
    }
    Image copy() const { return copy(rect()); }

    // Whether this is the only holder of its pixels (so that changing them copies nothing).
    bool isDetached() const;
    // The same memory taken as pixels of a format of no greater depth, each row where it was
    // (the rest of it unused): for a conversion made in place, a row at a time. Drops the table.
    void reinterpretAs(Format narrower);

    // The picture in another format, pixel for pixel as the desktop's own conversions make it.
    // Conversions to Rgb32, Argb32 and Argb32Premultiplied from every format, to Rgba64 from
    // every format but Argb32Premultiplied, and between the formats of 16 bits a channel; any
    // other gives the null picture. The table and the resolution go along where the
    // format keeps them.
    Image convertToFormat(Format format) const;
    void convertTo(Format format) { *this = convertToFormat(format); }

    bool operator==(const Image &other) const;

private:
    struct Data;
    QSharedDataPointer<Data> d;
};

} // namespace picture
