// SPDX-License-Identifier: MIT

#include "readers.h"

#include "pictureerror.h"

#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

namespace picture {

namespace {

using Kind = PictureError::Kind;

// The output Qt's reader chose for each kind of PNG, and the transformations that make it.
enum class Layout {
    Mono,        // 1-bit grey, inverted: white at 0, black at 1
    Grey16,      // 16-bit grey without tRNS
    Rgba64,      // 16 bits a channel: RGB, RGBA, grey with alpha or grey with tRNS
    Grey8,       // 8-bit grey without tRNS
    GreyIndexed, // grey of fewer bits, or 8-bit grey with tRNS, as a grey colour table
    Palette,     // a palette, 1-bit (Mono) or packed into bytes (Indexed8)
    Argb32,      // 8 bits a channel, alpha or tRNS, or none (RGB32)
};

// Everything libpng's calls and their jumps touch: plain data, nothing to destroy.
struct PngJob
{
    png_structp png;
    png_infop info;
    png_infop endInfo;
    const png_byte *data;
    size_t size;
    size_t at;
    bool ranOut;     // libpng asked for bytes past the end
    bool readingEnd; // the rows are read; what follows is the end of the file

    png_uint_32 width;
    png_uint_32 height;
    int bitDepth;
    int colourType;
    Layout layout;
    Image::Format format;
    int colourCount;
    png_color palette[256];
    png_byte alpha[256];
    int paletteCount;
    int alphaCount;
    int transparentGrey; // -1 without tRNS
};

void fail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void quiet(png_structp, png_const_charp) {}

void readBytes(png_structp png, png_bytep to, size_t length)
{
    auto *job = static_cast<PngJob *>(png_get_io_ptr(png));
    const size_t left = job->size - job->at;
    // A file whose end chunk lacks (part of) its checksum is read as Qt's reader read it.
    if (job->readingEnd && left < 4 && length == 4) {
        static const png_byte endChecksum[4] = {0xae, 0x42, 0x60, 0x82};
        std::memcpy(to, endChecksum, 4);
        job->at = job->size;
        return;
    }
    if (length > left) {
        job->ranOut = true;
        png_error(png, "cut short");
    }
    std::memcpy(to, job->data + job->at, length);
    job->at += length;
}

bool readHeader(PngJob *job)
{
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, quiet);
    if (!job->png)
        return false;
    if (setjmp(png_jmpbuf(job->png)))
        return false;
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_MAXIMUM_INFLATE_WINDOW)
    png_set_option(job->png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#endif
    job->info = png_create_info_struct(job->png);
    job->endInfo = png_create_info_struct(job->png);
    if (!job->info || !job->endInfo)
        return false;
    png_set_read_fn(job->png, job, readBytes);
    png_read_info(job->png, job->info);
    png_get_IHDR(job->png, job->info, &job->width, &job->height, &job->bitDepth,
                 &job->colourType, nullptr, nullptr, nullptr);
    return true;
}

// Chooses the layout and sets libpng's transformations for it.
bool setUp(PngJob *job)
{
    if (setjmp(png_jmpbuf(job->png)))
        return false;
    png_structp png = job->png;
    png_infop info = job->info;
    png_set_interlace_handling(png);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_bytep transAlpha = nullptr;
    png_color_16p transColour = nullptr;
    int transCount = 0;
    job->transparentGrey = -1;
    png_colorp palette = nullptr;
    int paletteCount = 0;
    const int colourType = job->colourType;
    const int depth = job->bitDepth;
    if (colourType == PNG_COLOR_TYPE_GRAY) {
        if (depth == 1 && png_get_channels(png, info) == 1) {
            png_set_invert_mono(png);
            job->layout = Layout::Mono;
            job->format = Image::Format::Mono;
        } else if (depth == 16 && !hasTrns) {
            png_set_swap(png);
            job->layout = Layout::Grey16;
            job->format = Image::Format::Grayscale16;
        } else if (depth == 16) {
            png_set_expand(png);
            png_set_gray_to_rgb(png);
            png_set_swap(png);
            job->layout = Layout::Rgba64;
            job->format = Image::Format::Rgba64;
        } else if (depth == 8 && !hasTrns) {
            png_set_expand(png);
            job->layout = Layout::Grey8;
            job->format = Image::Format::Grayscale8;
        } else {
            if (depth < 8)
                png_set_packing(png);
            job->layout = Layout::GreyIndexed;
            job->format = Image::Format::Indexed8;
            job->colourCount = depth < 8 ? 1 << depth : 256;
        }
        if (job->layout == Layout::Mono || job->layout == Layout::GreyIndexed) {
            if (png_get_tRNS(png, info, &transAlpha, &transCount, &transColour) && transColour)
                job->transparentGrey = transColour->gray;
        }
    } else if (colourType == PNG_COLOR_TYPE_PALETTE
               && png_get_PLTE(png, info, &palette, &paletteCount) && paletteCount <= 256) {
        if (depth != 1)
            png_set_packing(png);
        job->layout = Layout::Palette;
        job->format = depth == 1 ? Image::Format::Mono : Image::Format::Indexed8;
        job->paletteCount = paletteCount;
        std::memcpy(job->palette, palette, size_t(paletteCount) * sizeof(png_color));
        job->alphaCount = 0;
        if (png_get_tRNS(png, info, &transAlpha, &transCount, &transColour) && transAlpha) {
            job->alphaCount = transCount < 0 ? 0 : transCount > 256 ? 256 : transCount;
            std::memcpy(job->alpha, transAlpha, size_t(job->alphaCount));
        }
    } else if (depth == 16 && !(colourType & PNG_COLOR_MASK_PALETTE)) {
        job->format = Image::Format::Rgba64;
        if (!(colourType & PNG_COLOR_MASK_ALPHA) && !hasTrns) {
            png_set_filler(png, 0xffff, PNG_FILLER_AFTER);
            job->format = Image::Format::Rgbx64;
        }
        if (!(colourType & PNG_COLOR_MASK_COLOR))
            png_set_gray_to_rgb(png);
        png_set_swap(png);
        job->layout = Layout::Rgba64;
    } else {
        if (depth == 16)
            png_set_strip_16(png);
        png_set_expand(png);
        if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(png);
        job->format = Image::Format::Argb32;
        if (!(colourType & PNG_COLOR_MASK_ALPHA) && !hasTrns) {
            png_set_filler(png, 0xff, PNG_FILLER_AFTER);
            job->format = Image::Format::Rgb32;
        }
        png_set_bgr(png);
        job->layout = Layout::Argb32;
    }
    png_read_update_info(png, info);
    return true;
}

bool readRows(PngJob *job, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(job->png)))
        return false;
    png_read_image(job->png, rows);
    job->readingEnd = true;
    png_read_end(job->png, job->endInfo);
    return true;
}

[[noreturn]] void refuse(const PngJob &job)
{
    throw PictureError(job.ranOut ? Kind::CutShort : Kind::Damaged);
}

// The colour table Qt's reader gave each layout that has one.
void setColours(Image &image, const PngJob &job)
{
    switch (job.layout) {
    case Layout::Mono:
        image.setColorCount(2);
        image.setColor(1, rgbOf(0, 0, 0));
        image.setColor(0, rgbOf(255, 255, 255));
        if (job.transparentGrey == 0)
            image.setColor(1, rgbaOf(0, 0, 0, 0));
        else if (job.transparentGrey == 1)
            image.setColor(0, rgbaOf(255, 255, 255, 0));
        break;
    case Layout::GreyIndexed: {
        const int count = job.colourCount;
        image.setColorCount(count);
        for (int i = 0; i < count; ++i) {
            const int c = i * 255 / (count - 1);
            image.setColor(i, rgbaOf(c, c, c, 0xff));
        }
        if (job.transparentGrey >= 0 && job.transparentGrey < count)
            image.setColor(job.transparentGrey, 0);
        break;
    }
    case Layout::Palette: {
        const int entries = image.format() == Image::Format::Mono ? 2 : 256;
        image.setColorCount(image.format() == Image::Format::Mono ? 2 : job.paletteCount);
        int i = 0;
        for (; i < job.alphaCount; ++i) {
            if (i < entries)
                image.setColor(i, rgbaOf(job.palette[i].red, job.palette[i].green,
                                        job.palette[i].blue, job.alpha[i]));
        }
        for (; i < job.paletteCount; ++i) {
            if (i < entries)
                image.setColor(i, rgbaOf(job.palette[i].red, job.palette[i].green,
                                        job.palette[i].blue, 0xff));
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

Image readPng(QByteArrayView bytes)
{
    PngJob job{};
    job.data = reinterpret_cast<const png_byte *>(bytes.data());
    job.size = size_t(bytes.size());
    struct Destroyer
    {
        PngJob &job;
        ~Destroyer()
        {
            if (job.png)
                png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr,
                                        job.endInfo ? &job.endInfo : nullptr);
        }
    } destroyer{job};

    if (!readHeader(&job))
        refuse(job);
    job.ranOut = false;
    if (!setUp(&job))
        refuse(job);
    const int bits = Image::depthOf(job.format);
    checkPictureSize(job.width, job.height, bits);
    Image image(int(job.width), int(job.height), job.format);
    if (image.isNull())
        throw PictureError(Kind::OutOfMemory);
    image.fill(0);
    setColours(image, job);

    std::vector<png_bytep> rows(job.height);
    uchar *data = image.bits();
    for (png_uint_32 y = 0; y < job.height; ++y)
        rows[y] = data + qsizetype(y) * image.bytesPerLine();
    if (!readRows(&job, rows.data()) || job.ranOut)
        refuse(job);
    // Indices past the palette become 0, as Qt's reader made them.
    if (job.colourType == PNG_COLOR_TYPE_PALETTE && image.format() == Image::Format::Indexed8) {
        const int count = image.colorCount();
        for (png_uint_32 y = 0; y < job.height; ++y) {
            uchar *p = rows[y];
            for (png_uint_32 x = 0; x < job.width; ++x)
                if (p[x] >= count)
                    p[x] = 0;
        }
    }
    return image;
}

} // namespace picture
