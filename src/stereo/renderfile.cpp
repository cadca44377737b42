// SPDX-License-Identifier: MIT

#include "renderfile.h"

#include "picture/colour.h"
#include "picture/pictureerror.h"
#include "picture/pictureio.h"
#include "picture/stereogramformat.h"

#include <QFileInfo>

#include <png.h>
#include <webp/encode.h>

#include <csetjmp>

using namespace Qt::StringLiterals;

namespace stereo::render {

namespace {

using picture::PictureError;

const char *const TextKey = "zomvorn-render";

[[noreturn]] void failed(const QString &detail)
{
    PictureError error(PictureError::Kind::WriteFailed);
    error.detail = detail;
    throw error;
}

// How a pattern's colours become palette indices: a 1-bit black and white, 256 greys, a tint's
// 256 colours, or no palette.
enum class Palette { None, BlackWhite, Greys, Tint };

Palette paletteOf(const Settings &s)
{
    switch (s.pattern) {
    case Pattern::BlackWhite:
        return s.geometry.oversampling == 1 ? Palette::BlackWhite : Palette::Greys;
    case Pattern::Grey:
        return Palette::Greys;
    case Pattern::Red:
    case Pattern::Green:
    case Pattern::Blue:
        return Palette::Tint;
    case Pattern::Colour:
    case Pattern::Picture:
        break;
    }
    return Palette::None;
}

struct PngWriter
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    QByteArray *bytes = nullptr;
    QString error;

    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto *w = static_cast<PngWriter *>(png_get_io_ptr(png));
    w->bytes->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

void pngError(png_structp png, png_const_charp message)
{
    auto *w = static_cast<PngWriter *>(png_get_error_ptr(png));
    w->error = QString::fromUtf8(message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

QByteArray encodePng(const DepthPlane &depth, const Settings &settings,
                     const std::atomic<bool> *cancel,
                     const std::function<void(int, int)> &progress)
{
    const QSize size = outputSize(settings);
    const Palette palette = paletteOf(settings);
    const int iro = int(settings.pattern) - int(Pattern::Red);
    // The tint's grey sits in a component that is not the tint's own.
    const int greyShift = palette == Palette::Tint ? (iro == 0 ? 8 : 16) : 16;
    QByteArray bytes;
    PngWriter w;
    w.bytes = &bytes;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &w, pngError, pngWarning);
    if (!w.png)
        throw PictureError(PictureError::Kind::OutOfMemory);
    w.info = png_create_info_struct(w.png);
    if (!w.info)
        throw PictureError(PictureError::Kind::OutOfMemory);
    std::vector<png_byte> line(std::size_t(size.width()) * 3 + 8);
    bool done = false;
    // Nothing with a destructor lives between setjmp and the calls that may jump back to it.
    if (setjmp(png_jmpbuf(w.png)))
        failed(w.error);
    png_set_write_fn(w.png, &w, appendBytes, nullptr);
    png_set_compression_level(w.png, 1);
    const int bitDepth = palette == Palette::BlackWhite ? 1 : 8;
    const int colourType = palette == Palette::None ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_PALETTE;
    png_set_IHDR(w.png, w.info, png_uint_32(size.width()), png_uint_32(size.height()), bitDepth,
                 colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(w.png, PNG_FILTER_TYPE_BASE,
                   palette == Palette::None ? PNG_FILTER_SUB : PNG_FILTER_NONE);
    png_color colours[256];
    if (palette == Palette::BlackWhite) {
        colours[0] = {0, 0, 0};
        colours[1] = {255, 255, 255};
        png_set_PLTE(w.png, w.info, colours, 2);
    } else if (palette != Palette::None) {
        for (int g = 0; g < 256; ++g) {
            const QRgb c = palette == Palette::Tint ? picture::toQRgb(picture::dotColour(g, iro))
                                                    : qRgb(g, g, g);
            colours[g] = {png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))};
        }
        png_set_PLTE(w.png, w.info, colours, 256);
    }
    const png_uint_32 perMetre = png_uint_32((settings.geometry.dpi * 10'000LL + 127) / 254);
    png_set_pHYs(w.png, w.info, perMetre, perMetre, PNG_RESOLUTION_METER);
    const QByteArray text = settingsText(settings).toLatin1();
    png_text chunk{};
    chunk.compression = PNG_TEXT_COMPRESSION_NONE;
    chunk.key = const_cast<char *>(TextKey);
    chunk.text = const_cast<char *>(text.constData());
    chunk.text_length = std::size_t(text.size());
    png_set_text(w.png, w.info, &chunk, 1);
    png_write_info(w.png, w.info);
    done = render(
        depth, settings,
        [&](int, const QRgb *row, int width) {
            png_byte *to = line.data();
            switch (palette) {
            case Palette::BlackWhite:
                std::fill(line.begin(), line.end(), png_byte(0));
                for (int x = 0; x < width; ++x)
                    if (row[x] & 0xff)
                        to[x >> 3] |= png_byte(0x80 >> (x & 7));
                break;
            case Palette::Greys:
            case Palette::Tint:
                for (int x = 0; x < width; ++x)
                    to[x] = png_byte(row[x] >> greyShift);
                break;
            case Palette::None:
                for (int x = 0; x < width; ++x) {
                    to[3 * x] = png_byte(qRed(row[x]));
                    to[3 * x + 1] = png_byte(qGreen(row[x]));
                    to[3 * x + 2] = png_byte(qBlue(row[x]));
                }
                break;
            }
            png_write_row(w.png, line.data());
        },
        cancel, progress);
    if (!done)
        return {};
    png_write_end(w.png, w.info);
    return bytes;
}

void put16(char *at, quint32 v)
{
    at[0] = char(v & 0xff);
    at[1] = char((v >> 8) & 0xff);
}

void put32(char *at, quint32 v)
{
    put16(at, v & 0xffff);
    put16(at + 2, v >> 16);
}

QByteArray encodeBmp(const DepthPlane &depth, const Settings &settings,
                     const std::atomic<bool> *cancel,
                     const std::function<void(int, int)> &progress)
{
    const QSize size = outputSize(settings);
    const qint64 stride = (qint64(size.width()) * 3 + 3) / 4 * 4;
    const qint64 imageBytes = stride * size.height();
    constexpr int Header = 54;
    if (Header + imageBytes > 0xffffffffLL) {
        PictureError error(PictureError::Kind::OutputTooLarge);
        error.limit = 0xffffffffLL;
        throw error;
    }
    // Rows go bottom-up: each is put in its place as it comes.
    QByteArray bytes(qsizetype(Header + imageBytes), Qt::Uninitialized);
    char *b = bytes.data();
    std::fill_n(b, Header, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b + 2, quint32(Header + imageBytes));
    put32(b + 10, Header);
    put32(b + 14, 40);
    put32(b + 18, quint32(size.width()));
    put32(b + 22, quint32(size.height()));
    put16(b + 26, 1);
    put16(b + 28, 24);
    put32(b + 34, quint32(imageBytes));
    const auto perMetre = quint32((settings.geometry.dpi * 10'000LL + 127) / 254);
    put32(b + 38, perMetre);
    put32(b + 42, perMetre);
    const bool done = render(
        depth, settings,
        [&](int y, const QRgb *row, int width) {
            char *to = b + Header + stride * (size.height() - 1 - y);
            std::fill(to + 3 * qint64(width), to + stride, '\0');
            for (int x = 0; x < width; ++x) {
                to[3 * x] = char(qBlue(row[x]));
                to[3 * x + 1] = char(qGreen(row[x]));
                to[3 * x + 2] = char(qRed(row[x]));
            }
        },
        cancel, progress);
    return done ? bytes : QByteArray();
}

QByteArray encodeWebP(const DepthPlane &depth, const Settings &settings,
                      const std::atomic<bool> *cancel,
                      const std::function<void(int, int)> &progress)
{
    const QSize size = outputSize(settings);
    if (size.width() > MaxWebPSide || size.height() > MaxWebPSide
        || qint64(size.width()) * size.height() > MaxWebPPixels) {
        PictureError error(PictureError::Kind::PictureTooLarge);
        error.width = size.width();
        error.height = size.height();
        error.limit = MaxWebPSide;
        throw error;
    }
    // The lossless encoder takes the whole picture.
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    const bool done = render(
        depth, settings,
        [&](int y, const QRgb *row, int width) {
            std::copy_n(row, width, reinterpret_cast<QRgb *>(image.scanLine(y)));
        },
        cancel, progress);
    if (!done)
        return {};
    WebPConfig config;
    WebPPicture pic;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, 1) || !WebPPictureInit(&pic))
        failed(u"WebP encoder version"_s);
    pic.use_argb = 1;
    pic.width = size.width();
    pic.height = size.height();
    WebPMemoryWriter memory;
    WebPMemoryWriterInit(&memory);
    pic.writer = WebPMemoryWrite;
    pic.custom_ptr = &memory;
    if (!WebPPictureAlloc(&pic))
        throw PictureError(PictureError::Kind::OutOfMemory);
    for (int y = 0; y < size.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb *>(image.constScanLine(y)), size.width(),
                    pic.argb + std::size_t(y) * std::size_t(pic.argb_stride));
    image = QImage();
    const bool encoded = WebPEncode(&config, &pic);
    const int code = int(pic.error_code);
    WebPPictureFree(&pic);
    QByteArray bytes;
    if (encoded)
        bytes = QByteArray(reinterpret_cast<const char *>(memory.mem), qsizetype(memory.size));
    WebPMemoryWriterClear(&memory);
    if (!encoded)
        failed(u"WebP encoder error %1"_s.arg(code));
    return bytes;
}

} // namespace

std::optional<FileFormat> fileFormatOfName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"png"_s)
        return FileFormat::Png;
    if (suffix == u"bmp"_s)
        return FileFormat::Bmp;
    if (suffix == u"webp"_s)
        return FileFormat::WebP;
    return std::nullopt;
}

QByteArray encodeRender(const DepthPlane &depth, const Settings &settings, FileFormat format,
                        const std::atomic<bool> *cancel,
                        const std::function<void(int, int)> &progress)
{
    try {
        switch (format) {
        case FileFormat::Png:
            return encodePng(depth, settings, cancel, progress);
        case FileFormat::Bmp:
            return encodeBmp(depth, settings, cancel, progress);
        case FileFormat::WebP:
            return encodeWebP(depth, settings, cancel, progress);
        }
    } catch (const std::bad_alloc &) {
        throw PictureError(PictureError::Kind::OutOfMemory);
    }
    return {};
}

bool writeRender(const DepthPlane &depth, const Settings &settings, const QString &path,
                 FileFormat format, const std::atomic<bool> *cancel,
                 const std::function<void(int, int)> &progress)
{
    picture::checkWriteTarget(path);
    const QByteArray bytes = encodeRender(depth, settings, format, cancel, progress);
    if (bytes.isEmpty())
        return false;
    picture::writeFile(bytes, path);
    return true;
}

std::optional<Settings> settingsOfFile(const QByteArray &bytes)
{
    // PNG chunks after the signature: length, type, data, CRC. Only tEXt is read.
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return std::nullopt;
    qsizetype at = 8;
    while (at + 12 <= bytes.size()) {
        const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
        const quint32 length = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
        if (length > quint32(bytes.size() - at - 12))
            return std::nullopt;
        const QByteArray type = bytes.mid(at + 4, 4);
        if (type == "tEXt") {
            const QByteArray data = bytes.mid(at + 8, qsizetype(length));
            const qsizetype nul = data.indexOf('\0');
            if (nul > 0 && data.left(nul) == TextKey) {
                Settings s;
                if (settingsFromText(QString::fromLatin1(data.mid(nul + 1)), s))
                    return s;
                return std::nullopt;
            }
        }
        if (type == "IDAT" || type == "IEND")
            break;
        at += 12 + qsizetype(length);
    }
    return std::nullopt;
}

} // namespace stereo::render
