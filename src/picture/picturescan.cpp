// SPDX-License-Identifier: MIT

#include "picturescan.h"

#include <algorithm>
#include <cstring>

namespace picture {

namespace {

using Verdict = PictureScan::Verdict;

quint32 be32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

quint16 be16(const uchar *p)
{
    return quint16(p[0] << 8 | p[1]);
}

quint32 le32(const uchar *p)
{
    return quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0];
}

quint16 le16(const uchar *p)
{
    return quint16(p[1] << 8 | p[0]);
}

// PNG: every chunk's data must lie inside the file, so that libpng, which allocates a chunk as
// long as its length field says, never asks for more than the file holds. Qt accepts a file whose
// end chunk lacks its checksum, and so does the walk.
PictureScan scanPng(const uchar *b, qint64 size)
{
    PictureScan scan;
    qint64 at = 8;
    bool first = true;
    for (;;) {
        if (size - at < 8)
            return scan.verdict = Verdict::CutShort, scan;
        const quint32 length = be32(b + at);
        const uchar *type = b + at + 4;
        if (length > 0x7fffffffu)
            return scan.verdict = Verdict::Damaged, scan;
        const qint64 dataEnd = at + 8 + qint64(length);
        if (dataEnd > size)
            return scan.verdict = Verdict::CutShort, scan;
        if (first && std::memcmp(type, "IHDR", 4) == 0 && length >= 8) {
            scan.width = be32(b + at + 8);
            scan.height = be32(b + at + 12);
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            return scan.verdict = Verdict::Fine, scan;
        if (dataEnd + 4 > size)
            return scan.verdict = Verdict::CutShort, scan;
        at = dataEnd + 4;
        first = false;
    }
}

bool isStartOfFrame(uchar marker)
{
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8
           && marker != 0xcc;
}

// JPEG: every marker segment must lie inside the file and the end-of-image marker must follow
// the last scan. The reader decodes only the rows that reach the canvas and would never notice a
// file cut below them. A progressive or multi-scan picture needs all its coefficients at once.
PictureScan scanJpeg(const uchar *b, qint64 size)
{
    PictureScan scan;
    struct Component { int h = 0; int v = 0; };
    Component components[4];
    int componentCount = 0;
    bool progressive = false;
    bool sawFrame = false;
    qint64 at = 2;
    for (;;) {
        // Qt's reader, like libjpeg, skips stray bytes before a marker.
        const auto *ff = static_cast<const uchar *>(std::memchr(b + at, 0xff, size_t(size - at)));
        if (!ff)
            return scan.verdict = Verdict::CutShort, scan;
        at = ff - b;
        while (at < size && b[at] == 0xff)
            ++at;
        if (at >= size)
            return scan.verdict = Verdict::CutShort, scan;
        const uchar marker = b[at++];
        if (marker == 0xd9)
            break;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8))
            continue;
        if (size - at < 2)
            return scan.verdict = Verdict::CutShort, scan;
        const qint64 length = be16(b + at);
        if (length < 2)
            return scan.verdict = Verdict::Damaged, scan;
        if (at + length > size)
            return scan.verdict = Verdict::CutShort, scan;
        const uchar *segment = b + at + 2;
        if (isStartOfFrame(marker) && !sawFrame) {
            if (length < 8)
                return scan.verdict = Verdict::Damaged, scan;
            sawFrame = true;
            if (segment[0] != 8)
                return scan.verdict = Verdict::Unsupported, scan; // 12- and 16-bit samples
            scan.height = be16(segment + 1);
            scan.width = be16(segment + 3);
            componentCount = segment[5];
            if (componentCount < 1 || componentCount > 4 || length < 8 + 3 * componentCount)
                return scan.verdict = Verdict::Damaged, scan;
            for (int c = 0; c < componentCount; ++c) {
                components[c].h = segment[6 + 3 * c + 1] >> 4;
                components[c].v = segment[6 + 3 * c + 1] & 15;
                if (components[c].h < 1 || components[c].h > 4 || components[c].v < 1
                    || components[c].v > 4)
                    return scan.verdict = Verdict::Damaged, scan;
            }
            progressive = marker == 0xc2 || marker == 0xc6 || marker == 0xca || marker == 0xce;
        }
        at += length;
        if (marker != 0xda)
            continue;
        ++scan.scans;
        // Entropy-coded data runs to the next marker; inside it 0xff is followed by 0x00 or a
        // restart marker.
        for (;;) {
            const auto *next =
                static_cast<const uchar *>(std::memchr(b + at, 0xff, size_t(size - at)));
            if (!next)
                return scan.verdict = Verdict::CutShort, scan;
            at = next - b;
            if (at + 1 >= size)
                return scan.verdict = Verdict::CutShort, scan;
            const uchar after = b[at + 1];
            if (after == 0x00 || (after >= 0xd0 && after <= 0xd7) || after == 0xff) {
                at += 1;
                continue;
            }
            break;
        }
    }
    scan.verdict = Verdict::Fine;
    if (sawFrame && (progressive || scan.scans > 1)) {
        int hMax = 1;
        int vMax = 1;
        for (int c = 0; c < componentCount; ++c) {
            hMax = std::max(hMax, components[c].h);
            vMax = std::max(vMax, components[c].v);
        }
        auto blocks = [](qint64 pixels, int factor, int maxFactor) {
            const qint64 n = (pixels * factor + 8 * maxFactor - 1) / (8 * maxFactor);
            return (n + factor - 1) / factor * factor;
        };
        for (int c = 0; c < componentCount; ++c)
            scan.workingBytes += blocks(scan.width, components[c].h, hMax)
                                 * blocks(scan.height, components[c].v, vMax) * 64 * 2;
    }
    return scan;
}

// Windows bitmap: the size, and the depth and compression. Only the combinations that bitmaps
// have always been read in are supported (readBmp).
PictureScan scanBmp(const uchar *b, qint64 size)
{
    PictureScan scan;
    if (size < 18)
        return scan.verdict = Verdict::CutShort, scan;
    const quint32 headerSize = le32(b + 14);
    qint64 width = 0;
    qint64 height = 0;
    int planes = 0;
    int bits = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        if (size < 26)
            return scan.verdict = Verdict::CutShort, scan;
        width = qint16(le16(b + 18));
        height = qint16(le16(b + 20));
        planes = le16(b + 22);
        bits = le16(b + 24);
    } else if (headerSize == 16 || headerSize == 52 || headerSize == 56) {
        // Header sizes that other programs write and Qt's reader does not take.
        return scan.verdict = Verdict::Unsupported, scan;
    } else if (headerSize == 40 || headerSize == 64 || headerSize == 108 || headerSize == 124) {
        if (size < 14 + std::min<qint64>(headerSize, 20))
            return scan.verdict = Verdict::CutShort, scan;
        width = qint32(le32(b + 18));
        height = qint32(le32(b + 22));
        planes = le16(b + 26);
        bits = le16(b + 28);
        if (headerSize >= 20)
            compression = le32(b + 30);
    } else {
        return scan.verdict = Verdict::Damaged, scan;
    }
    if (width <= 0 || height == 0 || planes != 1)
        return scan.verdict = Verdict::Damaged, scan;
    scan.width = width;
    scan.height = height < 0 ? -height : height;

    enum { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };
    const bool depthKnown = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24
                            || bits == 32;
    const bool decoded = (compression == Rgb && depthKnown) || (compression == Rle8 && bits == 8)
                         || (compression == Rle4 && bits == 4)
                         || (compression == BitFields && (bits == 16 || bits == 32));
    if (!decoded)
        return scan.verdict = Verdict::Unsupported, scan;
    scan.verdict = Verdict::Fine;
    return scan;
}

} // namespace

PictureScan scanPicture(QByteArrayView bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qint64 size = bytes.size();
    static const uchar pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto as = [](PictureScan scan, PictureScan::Format format) {
        scan.format = format;
        return scan;
    };
    if (size >= 8 && std::memcmp(b, pngSignature, 8) == 0)
        return as(scanPng(b, size), PictureScan::Format::Png);
    if (size >= 3 && b[0] == 0xff && b[1] == 0xd8 && b[2] == 0xff)
        return as(scanJpeg(b, size), PictureScan::Format::Jpeg);
    if (size >= 2 && b[0] == 'B' && b[1] == 'M')
        return as(scanBmp(b, size), PictureScan::Format::Bmp);
    PictureScan scan;
    // GIF: the logical screen, which Qt's reader allocates whatever the frames inside it.
    if (size >= 6 && (std::memcmp(b, "GIF87a", 6) == 0 || std::memcmp(b, "GIF89a", 6) == 0)) {
        scan.format = PictureScan::Format::Gif;
        if (size < 10)
            return scan.verdict = Verdict::CutShort, scan;
        scan.width = le16(b + 6);
        scan.height = le16(b + 8);
    }
    return scan;
}

} // namespace picture
