// SPDX-License-Identifier: MIT

#include "readers.h"

#include "pictureerror.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <gif_lib.h>

namespace picture {

namespace {

using Kind = PictureError::Kind;

// A transparent pixel keeps its colour; an index past the colour table is transparent white.
constexpr Rgb Transparent = 0x00ffffff;

struct GifInput
{
    const uchar *data;
    size_t size;
    size_t at;
    bool ranOut; // giflib asked for bytes past the end
};

int readBytes(GifFileType *gif, GifByteType *to, int length)
{
    auto *in = static_cast<GifInput *>(gif->UserData);
    const size_t left = in->size - in->at;
    size_t n = length > 0 ? size_t(length) : 0;
    if (n > left) {
        in->ranOut = true;
        n = left;
    }
    std::memcpy(to, in->data + in->at, n);
    in->at += n;
    return int(n);
}

[[noreturn]] void refuse(const GifInput &in)
{
    throw PictureError(in.ranOut ? Kind::CutShort : Kind::Damaged);
}

// Where each row of the frame's data goes, as Qt's reader placed it: interlaced rows in four
// passes within the frame's visible rows, each copied down over the rows its later passes fill
// until they arrive (not with a transparent colour), and nothing outside the logical screen.
struct RowPlacer
{
    Image &image;
    int top, left, bottom, right, screenWidth, screenHeight;
    bool copyDown;
    int pass;
    int y;
    bool outside;

    void copy(int most)
    {
        const int rows = std::min(most, bottom - y);
        if (!copyDown)
            return;
        const size_t bytes = size_t(right - left + 1) * 4;
        for (int i = 1; i <= rows; ++i)
            std::memcpy(image.scanLine(y + i) + left * 4, image.constScanLine(y) + left * 4,
                        bytes);
    }

    void next()
    {
        if (outside)
            return;
        switch (pass) {
        case 0:
            ++y;
            break;
        case 1:
            copy(7);
            y += 8;
            if (y > bottom) {
                pass = 2;
                y = top + 4;
                if (y > bottom) {
                    y = top + 2;
                    if (y > bottom) {
                        pass = 0;
                        y = top + 1;
                    }
                }
            }
            break;
        case 2:
            copy(3);
            y += 8;
            if (y > bottom) {
                pass = 3;
                y = top + 2;
                if (y > bottom)
                    y = top + 1;
            }
            break;
        case 3:
            copy(1);
            y += 4;
            if (y > bottom) {
                pass = 4;
                y = top + 1;
            }
            break;
        default:
            y += 2;
            break;
        }
        if (y >= screenHeight)
            outside = true;
    }
};

} // namespace

Image readGif(QByteArrayView bytes)
{
    GifInput in{reinterpret_cast<const uchar *>(bytes.data()), size_t(bytes.size()), 0, false};
    int error = 0;
    GifFileType *gif = DGifOpen(&in, readBytes, &error);
    if (!gif)
        refuse(in);
    struct Closer
    {
        GifFileType *gif;
        ~Closer() { DGifCloseFile(gif, nullptr); }
    } closer{gif};

    // The size of the global colour table stands even without one: indices up to it are black.
    const int globalCount = bytes.size() > 10 ? 2 << (uchar(bytes[10]) & 7) : 2;
    int transparent = -1;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) != GIF_OK)
            refuse(in);
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK)
                refuse(in);
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                const bool hasTransparent = block[1] & 1;
                if (hasTransparent && block[0] < 4)
                    throw PictureError(Kind::Damaged);
                transparent = hasTransparent ? block[4] : -1;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) != GIF_OK)
                    refuse(in);
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            throw PictureError(Kind::Damaged); // the end, or no picture at all
        break;
    }
    if (DGifGetImageDesc(gif) != GIF_OK)
        refuse(in);

    const GifImageDesc &frame = gif->Image;
    const int left = frame.Left;
    const int top = frame.Top;
    const int width = frame.Width;
    const int height = frame.Height;
    if (width <= 0 || height <= 0)
        throw PictureError(Kind::Damaged);
    const int screenWidth = gif->SWidth > 0 ? gif->SWidth : left + width;
    const int screenHeight = gif->SHeight > 0 ? gif->SHeight : top + height;
    checkPictureSize(screenWidth, screenHeight, 32);

    const ColorMapObject *map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    const int count = frame.ColorMap ? frame.ColorMap->ColorCount : globalCount;
    std::array<Rgb, 256> colour{};
    for (int i = 0; i < 256; ++i) {
        Rgb c = Transparent;
        if (i < count)
            c = map ? rgbOf(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue) : 0;
        else if (i == count && !map)
            c = 0;
        if (i == transparent)
            c &= Transparent;
        colour[size_t(i)] = c;
    }

    Image image(screenWidth, screenHeight,
                 transparent >= 0 ? Image::Format::Argb32 : Image::Format::Rgb32);
    if (image.isNull())
        throw PictureError(Kind::OutOfMemory);
    // Pixels as they are, without Image::fill's opaque alpha on RGB32.
    auto fill = [&image](Rgb pixel) {
        for (int y = 0; y < image.height(); ++y)
            std::fill_n(reinterpret_cast<Rgb *>(image.scanLine(y)), image.width(), pixel);
    };
    fill(0);
    // A frame smaller than the screen stands on the transparent colour, or the background.
    if (left || top || width < screenWidth || height < screenHeight) {
        if (transparent >= 0)
            fill(colour[size_t(transparent)]);
        else if (gif->SColorMap)
            fill(colour[size_t(gif->SBackGroundColor & 0xff)]);
    }

    RowPlacer placer{image,
                     top,
                     left,
                     std::max(0, std::min(top + height, screenHeight) - 1),
                     std::max(0, std::min(left + width, screenWidth) - 1),
                     screenWidth,
                     screenHeight,
                     transparent < 0,
                     frame.Interlace ? 1 : 0,
                     top,
                     left >= screenWidth || top >= screenHeight};
    // The frame's codes, decoded as Qt's reader decoded them: every pixel placed as it comes,
    // more or fewer than the frame holds, and an index past 255 taken modulo 256.
    int minimumSize = 0;
    GifByteType *block = nullptr;
    if (DGifGetCode(gif, &minimumSize, &block) != GIF_OK)
        refuse(in);
    if (minimumSize < 0 || minimumSize > 12)
        throw PictureError(Kind::Damaged);
    constexpr int MaxCodes = 1 << 12;
    std::vector<short> prefix(MaxCodes), suffix(MaxCodes), stack(MaxCodes * 2);
    const int clearCode = 1 << minimumSize;
    const int endCode = clearCode + 1;
    for (int i = 0; i < clearCode; ++i)
        suffix[size_t(i)] = short(i);
    int codeSize = minimumSize + 1;
    int limit = 2 * clearCode;
    int next = clearCode + 2;
    int first = 0;
    int old = 0;
    bool needFirst = true;
    bool ended = false;
    quint32 bits = 0;
    int bitCount = 0;
    int x = left;
    Rgb *out = nullptr;
    auto rowStart = [&] {
        out = !placer.outside && placer.y < screenHeight
                  ? reinterpret_cast<Rgb *>(image.scanLine(placer.y))
                  : nullptr;
    };
    auto put = [&](int index) {
        if (out && x < screenWidth)
            out[x] = colour[size_t(uchar(index))];
        if (++x >= left + width) {
            x = left;
            placer.outside = left >= screenWidth || placer.y >= screenHeight;
            placer.next();
            rowStart();
        }
    };
    rowStart();
    while (block) {
        for (int b = 1; b <= block[0] && !ended; ++b) {
            bits |= quint32(block[b]) << bitCount;
            bitCount += 8;
            while (bitCount >= codeSize && !ended) {
                int code = int(bits & ((1u << codeSize) - 1));
                bits >>= codeSize;
                bitCount -= codeSize;
                if (code == clearCode) {
                    if (!needFirst) {
                        codeSize = minimumSize + 1;
                        limit = 2 * clearCode;
                        next = clearCode + 2;
                    }
                    needFirst = true;
                } else if (code == endCode) {
                    ended = true;
                } else if (needFirst) {
                    first = old = code;
                    put(code);
                    needFirst = false;
                } else {
                    const int incoming = code;
                    size_t depth = 0;
                    if (code >= next) {
                        stack[depth++] = short(first);
                        code = old;
                    }
                    while (code >= clearCode + 2) {
                        if (code >= next || code == prefix[size_t(code)]
                            || depth >= stack.size() - 1)
                            throw PictureError(Kind::Damaged);
                        stack[depth++] = suffix[size_t(code)];
                        code = prefix[size_t(code)];
                    }
                    if (code >= clearCode) // a code no table entry was made for
                        throw PictureError(Kind::Damaged);
                    first = suffix[size_t(code)];
                    stack[depth++] = short(first);
                    if (next < MaxCodes) {
                        prefix[size_t(next)] = short(old);
                        suffix[size_t(next)] = short(first);
                        ++next;
                        if (next >= limit && limit < MaxCodes) {
                            limit *= 2;
                            ++codeSize;
                        }
                    }
                    old = incoming;
                    while (depth > 0)
                        put(stack[--depth]);
                }
            }
        }
        if (DGifGetCodeNext(gif, &block) != GIF_OK)
            refuse(in);
    }
    if (in.ranOut)
        refuse(in);
    return image;
}

} // namespace picture
