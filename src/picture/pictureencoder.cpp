// SPDX-License-Identifier: MIT

#include "pictureencoder.h"

#include "pictureerror.h"

#include <QByteArray>
#include <QHash>
#include <QSysInfo>

#include <png.h>
#include <webp/encode.h>

#include <csetjmp>
#include <cstring>
#include <exception>
#include <vector>

namespace picture {

namespace {

// Gathers the encoded bytes into pieces of a bounded size before handing them on: one write for
// many short rows, and no more held than one piece.
class Output
{
public:
    explicit Output(const ByteSink &sink) : m_sink(sink) { m_piece.reserve(PieceBytes); }

    void put(const char *data, qint64 size)
    {
        while (size > 0) {
            const qint64 room = PieceBytes - m_piece.size();
            const qint64 n = std::min(room, size);
            m_piece.append(data, qsizetype(n));
            data += n;
            size -= n;
            if (m_piece.size() == PieceBytes)
                flush();
        }
    }

    void flush()
    {
        if (!m_piece.isEmpty())
            m_sink(m_piece.constData(), m_piece.size());
        m_piece.resize(0);
    }

private:
    static constexpr qint64 PieceBytes = 256 * 1024;
    const ByteSink &m_sink;
    QByteArray m_piece;
};

void putLittleEndian(std::vector<char> &to, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        to.push_back(char((value >> (8 * i)) & 0xff));
}

int bitmapRowBytes(int width)
{
    return ((width * 24 + 31) / 32) * 4;
}

void encodeBitmap(const PictureRows &rows, int dotsPerMeter, Output &out)
{
    const int rowBytes = bitmapRowBytes(rows.width);
    const quint32 headerBytes = 14 + 40;
    std::vector<char> header;
    header.reserve(headerBytes);
    header.push_back('B');
    header.push_back('M');
    putLittleEndian(header, quint32(bitmapBytes(rows.width, rows.height)), 4);
    putLittleEndian(header, 0, 4);           // reserved
    putLittleEndian(header, headerBytes, 4); // where the pixels start
    putLittleEndian(header, 40, 4);          // the info header's size
    putLittleEndian(header, quint32(rows.width), 4);
    putLittleEndian(header, quint32(rows.height), 4); // positive: rows bottom-up
    putLittleEndian(header, 1, 2);                    // planes
    putLittleEndian(header, 24, 2);                   // bits a pixel
    putLittleEndian(header, 0, 4);                    // uncompressed
    putLittleEndian(header, quint32(qint64(rowBytes) * rows.height), 4);
    putLittleEndian(header, quint32(dotsPerMeter), 4);
    putLittleEndian(header, quint32(dotsPerMeter), 4);
    putLittleEndian(header, 0, 4); // colours used
    putLittleEndian(header, 0, 4); // colours important
    out.put(header.data(), qint64(header.size()));

    std::vector<Rgb> scratch(size_t(rows.width));
    std::vector<char> line(size_t(rowBytes), 0);
    for (int y = rows.height - 1; y >= 0; --y) {
        const Rgb *from = rows.row(y, scratch.data());
        char *to = line.data();
        for (int x = 0; x < rows.width; ++x) {
            *to++ = char(rgbBlue(from[x]));
            *to++ = char(rgbGreen(from[x]));
            *to++ = char(rgbRed(from[x]));
        }
        out.put(line.data(), rowBytes);
    }
}

// The colours of the picture in the order they first appear, with each one's number; empty when
// there are more than 256.
struct Palette
{
    QList<Rgb> colours;
    QHash<Rgb, uchar> indexOf;
    // A palette given beforehand: a colour's index is byIndex[its byte at `shift`], checked.
    bool fixed = false;
    int shift = 0;
    uchar byByte[256] = {};

    // Whether the colours are the greys 0, 1, 2 … in that order: such a palette is written as a
    // grey picture, the numbers being the greys.
    bool isGreyRamp() const
    {
        for (qsizetype i = 0; i < colours.size(); ++i)
            if (colours[i] != rgbOf(int(i), int(i), int(i)))
                return false;
        return true;
    }
};

Palette paletteOf(const PictureRows &rows)
{
    Palette palette;
    std::vector<Rgb> scratch(size_t(rows.width));
    Rgb last = 0;
    for (int y = 0; y < rows.height; ++y) {
        const Rgb *line = rows.row(y, scratch.data());
        for (int x = 0; x < rows.width; ++x) {
            const Rgb c = line[x] | 0xff000000u;
            if (!palette.colours.isEmpty() && c == last)
                continue;
            last = c;
            if (palette.indexOf.contains(c))
                continue;
            if (palette.colours.size() == 256)
                return {};
            palette.indexOf.insert(c, uchar(palette.colours.size()));
            palette.colours << c;
        }
    }
    return palette;
}

// What the PNG callbacks share. Everything with a destructor lives outside the function that
// calls setjmp, so a longjmp out of libpng skips none.
struct PngJob
{
    const PictureRows *rows = nullptr;
    const Palette *palette = nullptr; // null: 24-bit
    int dotsPerMeter = 0;
    Output *out = nullptr;
    std::vector<Rgb> *scratch = nullptr;
    std::vector<uchar> *indices = nullptr;
    png_text *text = nullptr;
    int textCount = 0;
    bool subFilter = false;
    std::exception_ptr sinkFailure;
    char message[200] = {};
};

void pngWrite(png_structp png, png_bytep data, size_t size)
{
    auto *job = static_cast<PngJob *>(png_get_io_ptr(png));
    bool failed = false;
    try {
        job->out->put(reinterpret_cast<const char *>(data), qint64(size));
    } catch (...) {
        job->sinkFailure = std::current_exception();
        failed = true;
    }
    // Outside the handler: the jump must not leave a caught exception behind.
    if (failed)
        png_error(png, "the output failed");
}

void pngFlush(png_structp) {}

// Back to the setjmp below, with the reason kept; were this to return, libpng would print it.
[[noreturn]] void pngError(png_structp png, png_const_charp message)
{
    auto *job = static_cast<PngJob *>(png_get_error_ptr(png));
    std::strncpy(job->message, message, sizeof job->message - 1);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// The rows, through libpng, the way Qt's PNG writer wrote them: the same chunks, settings and
// transformations, so that the files are byte for byte those the programs always wrote.
bool writePng(png_structp png, png_infop info, PngJob *job)
{
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_benign_errors(png, 1);
    // zlib's fastest level: random dots compress no better at any other.
    png_set_compression_level(png, 1);
    png_set_write_fn(png, job, pngWrite, pngFlush);

    const PictureRows &rows = *job->rows;
    const Palette *palette = job->palette;
    const bool grey = palette && !palette->fixed && palette->isGreyRamp();
    const int colourType = grey      ? PNG_COLOR_TYPE_GRAY
                           : palette ? PNG_COLOR_TYPE_PALETTE
                                     : PNG_COLOR_TYPE_RGB;
    const int bitDepth = palette && palette->fixed && palette->colours.size() <= 2 ? 1 : 8;
    png_set_IHDR(png, info, png_uint_32(rows.width), png_uint_32(rows.height), bitDepth,
                 colourType, 0, 0, 0);
    if (!palette && job->subFilter)
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    if (palette && !grey) {
        png_color entries[256];
        const int count = int(palette->colours.size());
        for (int i = 0; i < count; ++i) {
            entries[i].red = png_byte(rgbRed(palette->colours[i]));
            entries[i].green = png_byte(rgbGreen(palette->colours[i]));
            entries[i].blue = png_byte(rgbBlue(palette->colours[i]));
        }
        png_set_PLTE(png, info, entries, count);
    }
    if (!palette) {
        if (QSysInfo::ByteOrder == QSysInfo::BigEndian)
            png_set_swap_alpha(png);
        else
            png_set_bgr(png);
    }
    png_set_pHYs(png, info, png_uint_32(job->dotsPerMeter), png_uint_32(job->dotsPerMeter),
                 PNG_RESOLUTION_METER);
    if (job->textCount > 0)
        png_set_text(png, info, job->text, job->textCount);
    png_write_info(png, info);
    png_set_packing(png);
    if (!palette)
        png_set_filler(png, 0,
                       QSysInfo::ByteOrder == QSysInfo::BigEndian ? PNG_FILLER_BEFORE
                                                                  : PNG_FILLER_AFTER);

    for (int y = 0; y < rows.height; ++y) {
        const Rgb *line = rows.row(y, job->scratch->data());
        if (palette && palette->fixed) {
            uchar *to = job->indices->data();
            for (int x = 0; x < rows.width; ++x) {
                const Rgb c = line[x] | 0xff000000u;
                const uchar index = palette->byByte[(c >> palette->shift) & 0xff];
                if (palette->colours[index] != c)
                    png_error(png, "a colour outside the given palette");
                to[x] = index;
            }
            png_write_row(png, job->indices->data());
        } else if (palette) {
            uchar *to = job->indices->data();
            Rgb last = line[0] | 0xff000000u;
            uchar index = palette->indexOf.value(last);
            for (int x = 0; x < rows.width; ++x) {
                const Rgb c = line[x] | 0xff000000u;
                if (c != last) {
                    last = c;
                    index = palette->indexOf.value(c);
                }
                to[x] = index;
            }
            png_write_row(png, job->indices->data());
        } else {
            png_write_row(png, reinterpret_cast<png_const_bytep>(line));
        }
    }
    png_write_end(png, info);
    return true;
}

// The given palette, indexed by the first byte of the colours (blue, green, red) that tells
// them all apart; empty when none does or there are more than 256.
Palette fixedPalette(const QList<Rgb> &colours)
{
    Palette palette;
    if (colours.isEmpty() || colours.size() > 256)
        return palette;
    for (const int shift : {0, 8, 16}) {
        bool seen[256] = {};
        std::fill(std::begin(palette.byByte), std::end(palette.byByte), uchar(0));
        bool apart = true;
        for (qsizetype i = 0; i < colours.size() && apart; ++i) {
            const int b = int((colours[i] >> shift) & 0xff);
            apart = !seen[b];
            seen[b] = true;
            palette.byByte[b] = uchar(i);
        }
        if (apart) {
            palette.fixed = true;
            palette.shift = shift;
            for (const Rgb c : colours)
                palette.colours << (c | 0xff000000u);
            return palette;
        }
    }
    return {};
}

void encodePng(const PictureRows &rows, int dotsPerMeter, const PngOptions &options, Output &out)
{
    Palette palette;
    if (options.palette.isEmpty()) {
        if (!options.trueColour)
            palette = paletteOf(rows);
    } else {
        palette = fixedPalette(options.palette);
        if (palette.colours.isEmpty()) {
            PictureError error(PictureError::Kind::WriteFailed);
            error.detail = QStringLiteral("a palette no byte of its colours tells apart");
            throw error;
        }
    }
    std::vector<png_text> text(size_t(options.text.size()));
    for (size_t i = 0; i < text.size(); ++i) {
        const auto &[key, value] = options.text[qsizetype(i)];
        text[i].compression = PNG_TEXT_COMPRESSION_NONE;
        text[i].key = const_cast<char *>(key.constData());
        text[i].text = const_cast<char *>(value.constData());
        text[i].text_length = size_t(value.size());
    }
    std::vector<Rgb> scratch(size_t(std::max(rows.width, 1)));
    std::vector<uchar> indices(size_t(std::max(rows.width, 1)));
    PngJob job;
    job.rows = &rows;
    job.palette = palette.colours.isEmpty() ? nullptr : &palette;
    job.dotsPerMeter = dotsPerMeter;
    job.out = &out;
    job.scratch = &scratch;
    job.indices = &indices;
    job.text = text.data();
    job.textCount = int(text.size());
    job.subFilter = options.subFilter;

    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    struct Release
    {
        png_structp &png;
        png_infop &info;
        ~Release() { png_destroy_write_struct(&png, &info); }
    } release{png, info};
    if (!png || !info)
        throw PictureError(PictureError::Kind::OutOfMemory);

    const bool written = writePng(png, info, &job);
    if (job.sinkFailure)
        std::rethrow_exception(job.sinkFailure);
    if (!written) {
        PictureError error(PictureError::Kind::WriteFailed);
        error.detail = QString::fromLatin1(job.message);
        throw error;
    }
}

} // namespace

void refuseEmptyRows(const PictureRows &rows)
{
    if (rows.width <= 0 || rows.height <= 0) {
        PictureError error(PictureError::Kind::WriteFailed);
        error.detail = QStringLiteral("the picture is empty");
        throw error;
    }
}

qint64 bitmapBytes(int width, int height)
{
    return 14 + 40 + qint64(bitmapRowBytes(width)) * height;
}

static void encodeRowsUnguarded(const PictureRows &rows, FileFormat format, int dotsPerMeter,
                                const ByteSink &sink)
{
    refuseEmptyRows(rows);
    Output out(sink);
    if (format == FileFormat::Bmp)
        encodeBitmap(rows, dotsPerMeter, out);
    else
        encodePng(rows, dotsPerMeter, PngOptions{}, out);
    out.flush();
}

void encodeRows(const PictureRows &rows, FileFormat format, int dotsPerMeter,
                const ByteSink &sink)
{
    return guarded([&] { return encodeRowsUnguarded(rows, format, dotsPerMeter, sink); });
}

void encodePngRows(const PictureRows &rows, int dotsPerMeter, const PngOptions &options,
                   const ByteSink &sink)
{
    refuseEmptyRows(rows);
    Output out(sink);
    encodePng(rows, dotsPerMeter, options, out);
    out.flush();
}

QByteArray encodeLosslessWebP(const PictureRows &rows)
{
    refuseEmptyRows(rows);
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, 1)
        || !WebPPictureInit(&picture))
        throw PictureError(PictureError::Kind::OutOfMemory);
    config.exact = 1;
    picture.use_argb = 1;
    picture.width = rows.width;
    picture.height = rows.height;
    WebPMemoryWriter memory;
    WebPMemoryWriterInit(&memory);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &memory;
    struct Release
    {
        WebPPicture &picture;
        WebPMemoryWriter &memory;
        ~Release()
        {
            WebPPictureFree(&picture);
            WebPMemoryWriterClear(&memory);
        }
    } release{picture, memory};
    if (!WebPPictureAlloc(&picture))
        throw PictureError(PictureError::Kind::OutOfMemory);
    // Rgb and libwebp's ARGB words are both 0xAARRGGBB.
    for (int y = 0; y < rows.height; ++y) {
        Rgb *to = reinterpret_cast<Rgb *>(picture.argb + size_t(y) * size_t(picture.argb_stride));
        const Rgb *from = rows.row(y, to);
        if (from != to)
            std::memcpy(to, from, size_t(rows.width) * sizeof(Rgb));
    }
    if (!WebPEncode(&config, &picture)) {
        if (picture.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY)
            throw PictureError(PictureError::Kind::OutOfMemory);
        PictureError error(PictureError::Kind::WriteFailed);
        error.detail = QStringLiteral("WebP encoder error %1").arg(int(picture.error_code));
        throw error;
    }
    return QByteArray(reinterpret_cast<const char *>(memory.mem), qsizetype(memory.size));
}

} // namespace picture
