// SPDX-License-Identifier: MIT

#include "image.h"
#include "largebuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZOMIRA_X86 1
#endif

namespace picture {

namespace {

using Format = Image::Format;

qsizetype bytesPerLineOf(int width, int depth)
{
    // Rows start on 32-bit boundaries.
    return ((qsizetype(width) * depth + 31) >> 5) << 2;
}

Rgb plainUnpremultiplied(Rgb c)
{
    const quint32 a = c >> 24;
    if (a == 255)
        return c;
    if (a == 0)
        return 0;
    auto divided = [a](quint32 v) { return std::min<quint32>((v * 255 + a / 2) / a, 255); };
    return a << 24 | divided((c >> 16) & 0xff) << 16 | divided((c >> 8) & 0xff) << 8
           | divided(c & 0xff);
}

#ifdef ZOMIRA_X86
// The division as the desktop's SSE4.1 conversions do it: by a reciprocal of the alpha refined
// once, the product rounded to the nearest even, so that both programs read the same colours.
__attribute__((target("sse4.1"))) Rgb sse4Unpremultiplied(Rgb c)
{
    const quint32 a = c >> 24;
    if (a == 255)
        return c;
    if (a == 0)
        return 0;
    const __m128 va = _mm_set1_ps(float(a));
    __m128 via = _mm_rcp_ps(va);
    via = _mm_sub_ps(_mm_add_ps(via, via), _mm_mul_ps(via, _mm_mul_ps(via, va)));
    via = _mm_mul_ps(via, _mm_set1_ps(255.0f));
    __m128i v = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(int(c)));
    v = _mm_cvtps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(v), via));
    v = _mm_packus_epi32(v, v);
    v = _mm_insert_epi16(v, int(a), 3);
    v = _mm_packus_epi16(v, v);
    return Rgb(_mm_cvtsi128_si32(v));
}

const bool hasSse41 = __builtin_cpu_supports("sse4.1");
#endif

// 16-bit channels multiplied by their alpha, rounded to the nearest.
Rgba64 premultiplied64(Rgba64 c)
{
    const quint32 a = c.alpha();
    auto times = [a](quint32 v) {
        const quint32 t = v * a;
        return quint16((t + (t >> 16) + 0x8000) >> 16);
    };
    return Rgba64::of(times(c.red()), times(c.green()), times(c.blue()), quint16(a));
}

Rgb argbOf(Rgba64 c)
{
    return rgbaOf(eightOfSixteen(c.red()), eightOfSixteen(c.green()), eightOfSixteen(c.blue()),
                  eightOfSixteen(c.alpha()));
}

Rgba64 rgba64Of(Rgb c)
{
    return Rgba64::of(quint16(rgbRed(c) * 257), quint16(rgbGreen(c) * 257),
                      quint16(rgbBlue(c) * 257), quint16(rgbAlpha(c) * 257));
}

} // namespace

Rgb unpremultiplied(Rgb c)
{
#ifdef ZOMIRA_X86
    if (hasSse41)
        return sse4Unpremultiplied(c);
#endif
    return plainUnpremultiplied(c);
}

struct Image::Data : QSharedData
{
    int width = 0;
    int height = 0;
    Format format = Format::Invalid;
    qsizetype bytesPerLine = 0;
    uchar *pixels = nullptr;
    QList<Rgb> colours;
    int dotsPerMeterX = 3780;
    int dotsPerMeterY = 3780;
    bool owned = true;

    Data(int w, int h, Format f, qsizetype line, uchar *rows, bool own)
        : width(w), height(h), format(f), bytesPerLine(line), pixels(rows), owned(own)
    {
    }
    Data(const Data &other)
        : QSharedData(other), width(other.width), height(other.height), format(other.format),
          bytesPerLine(other.bytesPerLine), colours(other.colours),
          dotsPerMeterX(other.dotsPerMeterX), dotsPerMeterY(other.dotsPerMeterY)
    {
        pixels = static_cast<uchar *>(allocateBuffer(size(), false));
        if (!pixels)
            throw std::bad_alloc();
        std::memcpy(pixels, other.pixels, size());
    }
    Data &operator=(const Data &) = delete;
    ~Data()
    {
        if (owned)
            releaseBuffer(pixels, size());
    }
    std::size_t size() const { return std::size_t(bytesPerLine) * std::size_t(height); }
};

Image::Image() noexcept = default;
Image::Image(const Image &) noexcept = default;
Image::Image(Image &&) noexcept = default;
Image &Image::operator=(const Image &) noexcept = default;
Image &Image::operator=(Image &&) noexcept = default;
Image::~Image() = default;

Image::Image(int width, int height, Format format)
{
    const int depth = depthOf(format);
    if (width <= 0 || height <= 0 || depth == 0
        || qsizetype(width) > (std::numeric_limits<int>::max() - 31) / depth)
        return;
    const qsizetype line = bytesPerLineOf(width, depth);
    if (height > std::numeric_limits<qsizetype>::max() / line)
        return;
    // Zeroed, padding included, so that the same picture is the same bytes.
    const std::size_t bytes = std::size_t(line) * std::size_t(height);
    auto *pixels = static_cast<uchar *>(allocateBuffer(bytes));
    if (!pixels)
        return;
    d = new (std::nothrow) Data(width, height, format, line, pixels, true);
    if (!d)
        releaseBuffer(pixels, bytes);
}

Image::Image(uchar *rows, int width, int height, qsizetype bytesPerLine, Format format)
{
    if (!rows || width <= 0 || height <= 0
        || depthOf(format) == 0 || bytesPerLine < (qsizetype(width) * depthOf(format) + 7) / 8)
        return;
    d = new (std::nothrow) Data(width, height, format, bytesPerLine, rows, false);
}

int Image::depthOf(Format format)
{
    switch (format) {
    case Format::Invalid:
        return 0;
    case Format::Mono:
        return 1;
    case Format::Indexed8:
    case Format::Grayscale8:
        return 8;
    case Format::Grayscale16:
        return 16;
    case Format::Rgb32:
    case Format::Argb32:
    case Format::Argb32Premultiplied:
        return 32;
    case Format::Rgbx64:
    case Format::Rgba64:
        return 64;
    }
    return 0;
}

void Image::setPixel(int x, int y, uint value)
{
    Q_ASSERT(valid(x, y));
    uchar *line = scanLine(y);
    switch (d->format) {
    case Format::Mono:
        if (value & 1)
            line[x >> 3] |= uchar(0x80 >> (x & 7));
        else
            line[x >> 3] &= uchar(~(0x80 >> (x & 7)));
        break;
    case Format::Indexed8:
    case Format::Grayscale8:
        line[x] = uchar(value);
        break;
    case Format::Rgb32:
        reinterpret_cast<Rgb *>(line)[x] = value | 0xff000000u;
        break;
    case Format::Argb32:
    case Format::Argb32Premultiplied:
        reinterpret_cast<Rgb *>(line)[x] = value;
        break;
    default:
        Q_ASSERT(false);
    }
}

bool Image::isDetached() const
{
    return d && d->ref.loadRelaxed() == 1;
}

void Image::reinterpretAs(Format narrower)
{
    Q_ASSERT(d && depthOf(narrower) <= depth());
    d->format = narrower;
    d->colours.clear();
}

int Image::width() const { return d ? d->width : 0; }
int Image::height() const { return d ? d->height : 0; }
Image::Format Image::format() const { return d ? d->format : Format::Invalid; }
qsizetype Image::bytesPerLine() const { return d ? d->bytesPerLine : 0; }

bool Image::hasAlphaChannel() const
{
    switch (format()) {
    case Format::Argb32:
    case Format::Argb32Premultiplied:
    case Format::Rgba64:
        return true;
    case Format::Mono:
    case Format::Indexed8:
        return std::any_of(d->colours.cbegin(), d->colours.cend(),
                           [](Rgb c) { return rgbAlpha(c) != 255; });
    default:
        return false;
    }
}

uchar *Image::bits()
{
    return d ? d->pixels : nullptr;
}

const uchar *Image::constBits() const
{
    return d ? d->pixels : nullptr;
}

uchar *Image::scanLine(int y)
{
    Q_ASSERT(d && y >= 0 && y < d->height);
    return d->pixels + qsizetype(y) * d->bytesPerLine;
}

const uchar *Image::constScanLine(int y) const
{
    Q_ASSERT(d && y >= 0 && y < d->height);
    return d->pixels + qsizetype(y) * d->bytesPerLine;
}

void Image::fill(uint value)
{
    if (!d)
        return;
    const int w = d->width;
    for (int y = 0; y < d->height; ++y) {
        uchar *line = scanLine(y);
        switch (d->format) {
        case Format::Mono:
            std::fill_n(line, (w + 7) / 8, uchar((value & 1) ? 0xff : 0));
            break;
        case Format::Indexed8:
        case Format::Grayscale8:
            std::fill_n(line, w, uchar(value));
            break;
        case Format::Grayscale16:
            std::fill_n(reinterpret_cast<quint16 *>(line), w, quint16(value));
            break;
        case Format::Rgb32:
            std::fill_n(reinterpret_cast<Rgb *>(line), w, Rgb(value) | 0xff000000u);
            break;
        case Format::Argb32:
        case Format::Argb32Premultiplied:
            std::fill_n(reinterpret_cast<Rgb *>(line), w, Rgb(value));
            break;
        case Format::Rgbx64:
        case Format::Rgba64:
            std::fill_n(reinterpret_cast<quint64 *>(line), w, rgba64Of(Rgb(value)).value);
            break;
        case Format::Invalid:
            break;
        }
    }
}

QList<Rgb> Image::colorTable() const
{
    return d ? d->colours : QList<Rgb>();
}

void Image::setColorTable(const QList<Rgb> &table)
{
    if (d)
        d->colours = table;
}

int Image::colorCount() const
{
    return d ? int(d->colours.size()) : 0;
}

void Image::setColorCount(int count)
{
    if (d)
        d->colours.resize(count, 0);
}

Rgb Image::color(int i) const
{
    return d && i >= 0 && i < d->colours.size() ? d->colours.at(i) : 0;
}

void Image::setColor(int i, Rgb colour)
{
    if (d && i >= 0 && i < d->colours.size())
        d->colours[i] = colour;
}

int Image::dotsPerMeterX() const { return d ? d->dotsPerMeterX : 0; }
int Image::dotsPerMeterY() const { return d ? d->dotsPerMeterY : 0; }

void Image::setDotsPerMeterX(int dots)
{
    if (d && dots > 0)
        d->dotsPerMeterX = dots;
}

void Image::setDotsPerMeterY(int dots)
{
    if (d && dots > 0)
        d->dotsPerMeterY = dots;
}

namespace {

// A row in 32-bit colours, the alpha not multiplied in: what every conversion starts from.
void argbRow(const Image &image, int y, Rgb *out)
{
    const uchar *line = image.constScanLine(y);
    const int w = image.width();
    switch (image.format()) {
    case Format::Mono:
    case Format::Indexed8: {
        QList<Rgb> table = image.colorTable();
        if (table.isEmpty())
            for (int i = 0; i < 256; ++i)
                table.append(rgbOf(i, i, i));
        table.resize(256, 0);
        if (image.format() == Format::Mono)
            for (int x = 0; x < w; ++x)
                out[x] = table[(line[x >> 3] >> (7 - (x & 7))) & 1];
        else
            for (int x = 0; x < w; ++x)
                out[x] = table[line[x]];
        break;
    }
    case Format::Rgb32: {
        const auto *p = reinterpret_cast<const Rgb *>(line);
        for (int x = 0; x < w; ++x)
            out[x] = p[x] | 0xff000000u;
        break;
    }
    case Format::Argb32:
        std::memcpy(out, line, std::size_t(w) * 4);
        break;
    case Format::Argb32Premultiplied: {
        const auto *p = reinterpret_cast<const Rgb *>(line);
        for (int x = 0; x < w; ++x)
            out[x] = unpremultiplied(p[x]);
        break;
    }
    case Format::Grayscale8:
        for (int x = 0; x < w; ++x)
            out[x] = rgbOf(line[x], line[x], line[x]);
        break;
    case Format::Grayscale16: {
        const auto *p = reinterpret_cast<const quint16 *>(line);
        for (int x = 0; x < w; ++x) {
            const int g = eightOfSixteen(p[x]);
            out[x] = rgbOf(g, g, g);
        }
        break;
    }
    case Format::Rgbx64:
    case Format::Rgba64: {
        const auto *p = reinterpret_cast<const Rgba64 *>(line);
        for (int x = 0; x < w; ++x)
            out[x] = argbOf(p[x]);
        break;
    }
    case Format::Invalid:
        break;
    }
}

} // namespace

Rgb Image::pixel(int x, int y) const
{
    if (!d || x < 0 || y < 0 || x >= d->width || y >= d->height)
        return 0;
    // One pixel's row would be wasteful; the few formats read pixel by pixel are cheap here.
    const uchar *line = constScanLine(y);
    switch (d->format) {
    case Format::Mono:
        return color((line[x >> 3] >> (7 - (x & 7))) & 1);
    case Format::Indexed8:
        return color(line[x]);
    case Format::Rgb32:
        return reinterpret_cast<const Rgb *>(line)[x] | 0xff000000u;
    case Format::Argb32:
        return reinterpret_cast<const Rgb *>(line)[x];
    case Format::Argb32Premultiplied:
        return unpremultiplied(reinterpret_cast<const Rgb *>(line)[x]);
    case Format::Grayscale8:
        return rgbOf(line[x], line[x], line[x]);
    case Format::Grayscale16: {
        const int g = eightOfSixteen(reinterpret_cast<const quint16 *>(line)[x]);
        return rgbOf(g, g, g);
    }
    case Format::Rgbx64:
    case Format::Rgba64:
        return argbOf(reinterpret_cast<const Rgba64 *>(line)[x]);
    case Format::Invalid:
        break;
    }
    return 0;
}

Image Image::copy(const QRect &area) const
{
    if (!d || area.isEmpty())
        return {};
    Image part(area.size(), d->format);
    if (part.isNull())
        return part;
    part.d->colours = d->colours;
    part.d->dotsPerMeterX = d->dotsPerMeterX;
    part.d->dotsPerMeterY = d->dotsPerMeterY;
    const QRect inside = area.intersected(rect());
    if (inside.isEmpty())
        return part;
    const int depth = this->depth();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const uchar *from = constScanLine(y);
        uchar *to = part.scanLine(y - area.top());
        if (depth >= 8) {
            const int bytes = depth / 8;
            std::memcpy(to + qsizetype(inside.left() - area.left()) * bytes,
                        from + qsizetype(inside.left()) * bytes,
                        std::size_t(inside.width()) * std::size_t(bytes));
        } else {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                const int bit = (from[x >> 3] >> (7 - (x & 7))) & 1;
                const int at = x - area.left();
                if (bit)
                    to[at >> 3] |= uchar(0x80 >> (at & 7));
            }
        }
    }
    return part;
}

Image Image::convertToFormat(Format target) const
{
    if (!d || target == d->format)
        return *this;
    if (d->format == Format::Argb32Premultiplied && target == Format::Rgba64)
        return {};
    Image out(d->width, d->height, target);
    if (out.isNull())
        return out;
    out.d->dotsPerMeterX = d->dotsPerMeterX;
    out.d->dotsPerMeterY = d->dotsPerMeterY;
    const bool wide = d->format == Format::Rgbx64 || d->format == Format::Rgba64;
    QList<Rgb> row(wide ? 0 : d->width);
    for (int y = 0; y < d->height; ++y) {
        const uchar *from = constScanLine(y);
        uchar *to = out.scanLine(y);
        if (wide) {
            const auto *p = reinterpret_cast<const Rgba64 *>(from);
            switch (target) {
            case Format::Rgb32:
                for (int x = 0; x < d->width; ++x)
                    reinterpret_cast<Rgb *>(to)[x] = argbOf(p[x]) | 0xff000000u;
                break;
            case Format::Argb32:
                for (int x = 0; x < d->width; ++x)
                    reinterpret_cast<Rgb *>(to)[x] = argbOf(p[x]);
                break;
            case Format::Argb32Premultiplied:
                for (int x = 0; x < d->width; ++x)
                    reinterpret_cast<Rgb *>(to)[x] = argbOf(premultiplied64(p[x]));
                break;
            case Format::Rgbx64:
                for (int x = 0; x < d->width; ++x)
                    reinterpret_cast<quint64 *>(to)[x] = p[x].value | 0xffffull << 48;
                break;
            case Format::Rgba64:
                std::memcpy(to, from, std::size_t(d->width) * 8);
                break;
            default:
                return {};
            }
            continue;
        }
        if (target == Format::Rgba64 && d->format == Format::Grayscale16) {
            const auto *p = reinterpret_cast<const quint16 *>(from);
            for (int x = 0; x < d->width; ++x)
                reinterpret_cast<Rgba64 *>(to)[x] = Rgba64::of(p[x], p[x], p[x], 0xffff);
            continue;
        }
        argbRow(*this, y, row.data());
        switch (target) {
        case Format::Rgb32:
            for (int x = 0; x < d->width; ++x)
                reinterpret_cast<Rgb *>(to)[x] = row[x] | 0xff000000u;
            break;
        case Format::Argb32:
            std::memcpy(to, row.constData(), std::size_t(d->width) * 4);
            break;
        case Format::Argb32Premultiplied:
            for (int x = 0; x < d->width; ++x)
                reinterpret_cast<Rgb *>(to)[x] = premultiplied(row[x]);
            break;
        case Format::Rgba64:
            for (int x = 0; x < d->width; ++x)
                reinterpret_cast<Rgba64 *>(to)[x] = rgba64Of(row[x]);
            break;
        default:
            return {};
        }
    }
    return out;
}

bool Image::operator==(const Image &other) const
{
    if (d == other.d)
        return true;
    if (size() != other.size() || format() != other.format() || colorTable() != other.colorTable())
        return false;
    const qsizetype used = (qsizetype(width()) * depth() + 7) / 8;
    for (int y = 0; y < height(); ++y)
        if (std::memcmp(constScanLine(y), other.constScanLine(y), std::size_t(used)) != 0)
            return false;
    return true;
}

} // namespace picture
