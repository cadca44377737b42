// SPDX-License-Identifier: MIT

#include "readers.h"

#include "pictureerror.h"

#include <algorithm>
#include <cstring>

namespace picture {

namespace {

using Kind = PictureError::Kind;

constexpr qint64 FileHeaderSize = 14;
constexpr quint32 OldHeader = 12;   // OS/2 1.x: 16-bit sizes, 3-byte palette entries
constexpr quint32 Win3Header = 40;
constexpr quint32 Os2Header = 64;
constexpr quint32 Win4Header = 108; // with the colour masks and colour space
constexpr quint32 Win5Header = 124;

enum Compression : quint32 { Plain = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// The file's bytes in order. Asking for bytes past the end means the file is cut short, whatever
// the reader would have made of the rest; asking for none is never a fault.
class Source
{
public:
    explicit Source(QByteArrayView bytes)
        : m_data(reinterpret_cast<const uchar *>(bytes.data())), m_size(bytes.size())
    {
    }

    const uchar *take(qint64 n)
    {
        if (n > 0 && n > m_size - m_at)
            throw PictureError(Kind::CutShort);
        const uchar *from = m_data + std::min(m_at, m_size);
        m_at += n;
        return from;
    }
    uchar byte() { return *take(1); }
    quint16 le16()
    {
        const uchar *p = take(2);
        return quint16(p[0] | p[1] << 8);
    }
    quint32 le32()
    {
        const uchar *p = take(4);
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    }
    // A position past the end is allowed; the next read from it is cut short.
    void seek(qint64 at) { m_at = at; }
    qint64 at() const { return m_at; }
    bool atEnd() const { return m_at >= m_size; }

private:
    const uchar *m_data;
    qint64 m_size;
    qint64 m_at = 0;
};

struct Header
{
    qint32 dataOffset = 0; // signed, as bitmaps have been read: a negative one is not followed
    quint32 size = 0;
    qint32 width = 0;
    qint32 height = 0; // negative: the rows run top-down
    quint16 planes = 0;
    quint16 bits = 0;
    quint32 compression = Plain;
    qint32 dotsPerMeterX = 0;
    qint32 dotsPerMeterY = 0;
    qint32 coloursUsed = 0;
    quint32 masks[4] = {}; // red, green, blue, alpha; in the header from version 4 on
};

Header readHeader(Source &in)
{
    Header h;
    in.take(10); // "BM", the file's size and two reserved words, none of them trusted
    h.dataOffset = qint32(in.le32());
    h.size = in.le32();
    if (h.size == Win3Header || h.size == Os2Header || h.size == Win4Header
        || h.size == Win5Header) {
        h.width = qint32(in.le32());
        h.height = qint32(in.le32());
        h.planes = in.le16();
        h.bits = in.le16();
        h.compression = in.le32();
        in.le32(); // the data's size, not trusted
        h.dotsPerMeterX = qint32(in.le32());
        h.dotsPerMeterY = qint32(in.le32());
        h.coloursUsed = qint32(in.le32());
        in.le32(); // important colours
        if (h.size >= Win4Header) {
            for (quint32 &mask : h.masks)
                mask = in.le32();
            in.take(4 + 9 * 4 + 3 * 4); // colour space, its end points and gammas
            if (h.size == Win5Header)
                in.take(4 * 4); // intent and profile
        }
    } else if (h.size == OldHeader) {
        h.width = qint16(in.le16());
        h.height = qint16(in.le16());
        h.planes = in.le16();
        h.bits = in.le16();
    } else {
        // The walk refuses these before: other header sizes are other programs' variants.
        throw PictureError(Kind::Unsupported);
    }
    const int n = h.bits;
    const quint32 c = h.compression;
    const bool depthKnown = n == 1 || n == 4 || n == 8 || n == 16 || n == 24 || n == 32;
    const bool decoded = (c == Plain && depthKnown) || (c == Rle8 && n == 8) || (c == Rle4 && n == 4)
                         || (c == BitFields && (n == 16 || n == 32));
    if (h.planes != 1 || !decoded)
        throw PictureError(Kind::Unsupported);
    if (h.width <= 0 || h.height == 0 || h.height == INT_MIN)
        throw PictureError(Kind::Damaged);
    return h;
}

// How a bit field becomes eight bits, as bitmaps have always been read here: shifted down to its
// lowest bit and multiplied by 256 over its range, kept to the low eight bits. A field narrower
// than eight bits fills its top bits only; a wider one is lost (its factor is 0).
struct Field
{
    quint32 mask = 0;
    int shift = 0;
    quint32 scale = 0;

    Field() = default;
    Field(quint32 m, int s, quint32 f) : mask(m), shift(s), scale(f) {}
    explicit Field(quint32 m) : mask(m)
    {
        while (m && !(m & 1)) {
            ++shift;
            m >>= 1;
        }
        // An all-ones mask has no range that fits: refused.
        if (m == 0xffffffffu)
            throw PictureError(PictureError::Kind::Damaged);
        scale = 256 / (m + 1);
    }

    int value(quint32 pixel) const { return int((((pixel & mask) >> shift) * scale) & 0xff); }
};

// Run-length encoded rows, 8 or 4 bits a pixel, into an 8-bit picture. The rows are written
// bottom-up from the last row in memory. A run is cut at the end of the first row written (not
// of the row it is in), so a long run on a later row goes on into the rows below it in memory:
// this is how bitmaps have been read here, and damaged ones keep their pixels. A cut run of
// literal pixels also reads only the bytes of the pixels it keeps.
void readRle(Source &in, uchar *data, qsizetype bpl, int w, int h, bool fourBits)
{
    int x = 0;
    int y = 0;
    uchar *p = data + (h - 1) * bpl;
    const uchar *const end = p + w;
    auto clip = [&](int n) { return int(std::min<qsizetype>(n, end - p)); };
    while (y < h) {
        const uchar b = in.byte();
        if (b != 0) { // a run of one byte's pixels
            const int n = clip(b);
            const uchar v = in.byte();
            if (fourBits) {
                for (int i = 0; i < n; ++i)
                    *p++ = (i & 1) ? (v & 0x0f) : (v >> 4);
            } else {
                std::memset(p, v, size_t(n));
                p += n;
            }
            x += n;
            continue;
        }
        const uchar code = in.byte();
        switch (code) {
        case 1: // end of the picture
            return;
        case 0: // end of the row
            x = 0;
            ++y;
            if (y < h)
                p = data + qsizetype(h - y - 1) * bpl;
            break;
        case 2: // move right and up
            x += in.byte();
            y += in.byte();
            if (uint(x) >= uint(w))
                x = w - 1;
            if (uint(y) >= uint(h))
                y = h - 1;
            p = data + qsizetype(h - y - 1) * bpl + x;
            break;
        default: { // literal pixels, padded to a whole word
            const int n = clip(code);
            if (fourBits) {
                for (int i = 0; i + 1 < n; i += 2) {
                    const uchar v = in.byte();
                    *p++ = v >> 4;
                    *p++ = v & 0x0f;
                }
                if (n & 1)
                    *p++ = in.byte() >> 4;
                if ((((n & 3) + 1) & 2) == 2)
                    in.byte();
            } else {
                std::memcpy(p, in.take(n), size_t(n));
                p += n;
                if (n & 1)
                    in.byte();
            }
            x += n;
        }
        }
    }
}

} // namespace

Image readBmp(QByteArrayView bytes)
{
    Source in(bytes);
    const Header h = readHeader(in);
    const int w = h.width;
    const int height = h.height < 0 ? -h.height : h.height;
    const bool topDown = h.height < 0;
    const int nbits = h.bits;
    const bool bitFields = h.compression == BitFields;

    // The data must go on after the header.
    if (in.atEnd())
        throw PictureError(Kind::Damaged);
    in.seek(FileHeaderSize + h.size);

    quint32 masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    if (h.size < Win4Header && bitFields) {
        for (int i = 0; i < 3; ++i)
            masks[i] = in.le32();
        masks[3] = 0;
    }
    const bool alpha =
        masks[3] != 0 && (bitFields || (h.compression == Plain && nbits == 32 && masks[3] == 0xff000000u));

    Image::Format format = Image::Format::Mono;
    int colours = 0;
    if (nbits >= 16) {
        format = alpha ? Image::Format::Argb32 : Image::Format::Rgb32;
    } else {
        if (nbits >= 4)
            format = Image::Format::Indexed8;
        colours = h.coloursUsed ? h.coloursUsed : 1 << nbits;
        if (colours < 1 || colours > 256)
            throw PictureError(Kind::Damaged);
    }
    checkPictureSize(w, height, Image::depthOf(format));
    Image image(w, height, format);
    if (image.isNull())
        throw PictureError(Kind::OutOfMemory);
    // Run-length data may leave pixels unwritten: they are the first colour.
    image.fill(0);

    Field red;
    Field green;
    Field blue;
    Field alphaField;
    if (colours > 0) {
        image.setColorCount(colours);
        const int entry = h.size == OldHeader ? 3 : 4;
        for (int i = 0; i < colours; ++i) {
            const uchar *bgr = in.take(entry);
            // Entries past the depth's reach stay in the table unset, as they always have.
            if (i < 1 << image.depth())
                image.setColor(i, rgbOf(bgr[2], bgr[1], bgr[0]));
            // A palette that ends the file leaves no pixels.
            if (in.atEnd())
                throw PictureError(Kind::Damaged);
        }
    } else if (bitFields) {
        red = Field(masks[0]);
        green = Field(masks[1]);
        blue = Field(masks[2]);
        alphaField = Field(masks[3]);
    } else if (nbits == 16) {
        // Five bits each, moved to the top of their byte.
        red = Field(0x7c00, 7, 1);
        green = Field(0x03e0, 2, 1);
        blue = Field(0x001f, 0, 8);
    } else {
        red = Field(0x00ff0000, 16, 1);
        green = Field(0x0000ff00, 8, 1);
        blue = Field(0x000000ff, 0, 1);
        if (alpha)
            alphaField = Field(masks[3]);
    }
    if (h.dotsPerMeterX)
        image.setDotsPerMeterX(h.dotsPerMeterX);
    if (h.dotsPerMeterY)
        image.setDotsPerMeterY(h.dotsPerMeterY);

    if (h.dataOffset >= 0 && h.dataOffset > in.at())
        in.seek(h.dataOffset);

    const qsizetype bpl = image.bytesPerLine();
    uchar *const data = image.bits();
    // The picture row of the file's row `i` (bottom-up unless the height is negative).
    auto row = [&](int i) { return data + qsizetype(topDown ? i : height - 1 - i) * bpl; };

    if (h.compression == Rle8 || h.compression == Rle4) {
        readRle(in, data, bpl, w, height, h.compression == Rle4);
        if (topDown) {
            for (int y = 0; y < height / 2; ++y)
                std::swap_ranges(data + y * bpl, data + (y + 1) * bpl,
                                 data + qsizetype(height - 1 - y) * bpl);
        }
    } else if (nbits == 1 || nbits == 8) {
        for (int i = 0; i < height; ++i)
            std::memcpy(row(i), in.take(bpl), size_t(bpl));
        // A two-colour picture keeps the darker colour at 0.
        if (nbits == 1 && colours == 2 && rgbGrey(image.color(0)) < rgbGrey(image.color(1))) {
            const qsizetype n = image.sizeInBytes();
            for (qsizetype i = 0; i < n; ++i)
                data[i] = uchar(~data[i]);
            const Rgb first = image.color(0);
            image.setColor(0, image.color(1));
            image.setColor(1, first);
        }
    } else if (nbits == 4) {
        const qsizetype rowBytes = (qsizetype(w) + 7) / 8 * 4;
        for (int i = 0; i < height; ++i) {
            const uchar *b = in.take(rowBytes);
            uchar *p = row(i);
            for (int x = 0; x + 1 < w; x += 2, ++b) {
                *p++ = *b >> 4;
                *p++ = *b & 0x0f;
            }
            if (w & 1)
                *p = *b >> 4;
        }
    } else {
        const int step = nbits / 8;
        const qsizetype rowBytes = (qsizetype(w) * nbits + 31) / 32 * 4;
        const bool plain = nbits == 24 || (nbits == 32 && !bitFields && !alpha);
        for (int i = 0; i < height; ++i) {
            const uchar *b = in.take(rowBytes);
            auto *p = reinterpret_cast<Rgb *>(row(i));
            if (plain) {
                for (int x = 0; x < w; ++x, b += step)
                    p[x] = rgbOf(b[2], b[1], b[0]);
                continue;
            }
            for (int x = 0; x < w; ++x, b += step) {
                quint32 c = quint32(b[0]) | quint32(b[1]) << 8;
                if (nbits > 16)
                    c |= quint32(b[2]) << 16;
                if (nbits > 24)
                    c |= quint32(b[3]) << 24;
                p[x] = rgbaOf(red.value(c), green.value(c), blue.value(c),
                             alpha ? alphaField.value(c) : 0xff);
            }
        }
    }
    return image;
}

} // namespace picture
