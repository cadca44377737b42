// SPDX-License-Identifier: MIT

#include "renderfile.h"

#include "picture/colour.h"
#include "picture/filename.h"
#include "picture/filewriter.h"
#include "picture/pictureencoder.h"
#include "picture/pictureerror.h"
#include "picture/stereogramformat.h"

using picture::Rgb;
using picture::rgbOf;

using namespace Qt::StringLiterals;

namespace stereo::render {

namespace {

using picture::PictureError;

const char *const TextKey = "zomvorn-render";

// The palette a pattern's pixels all come from, in index order: black and white, 256 greys or a
// tint's 256 colours; empty for 24 bits. Oversampled black and white dots average to greys. The
// guide marks are black and white, which a tint's palette lacks: with them a tint takes 24 bits.
QList<Rgb> paletteOf(const Settings &s)
{
    QList<Rgb> colours;
    switch (s.pattern) {
    case Pattern::BlackWhite:
        if (s.geometry.oversampling == 1)
            return {rgbOf(0, 0, 0), rgbOf(255, 255, 255)};
        [[fallthrough]];
    case Pattern::Grey:
        for (int g = 0; g < 256; ++g)
            colours << rgbOf(g, g, g);
        break;
    case Pattern::Red:
    case Pattern::Green:
    case Pattern::Blue:
        if (s.guides)
            break;
        for (int g = 0; g < 256; ++g)
            colours << picture::toQRgb(picture::dotColour(g, int(s.pattern) - int(Pattern::Red)));
        break;
    case Pattern::Colour:
    case Pattern::Picture:
        break;
    }
    return colours;
}

int dotsPerMetre(const Settings &settings)
{
    return int((settings.geometry.dpi * 10'000LL + 127) / 254);
}

// Thrown out of the encoder when the render is cancelled.
struct Cancelled
{
};

// The picture of `depth`, made a row at a time as the encoder asks for it, into `sink`. False
// when cancelled.
bool encodeInto(const DepthPlane &depth, const Settings &settings, FileFormat format,
                const picture::ByteSink &sink, const std::atomic<bool> *cancel,
                const std::function<void(int, int)> &progress)
{
    const QSize size = outputSize(settings);
    if (format == FileFormat::WebP
        && (size.width() > MaxWebPSide || size.height() > MaxWebPSide
            || qint64(size.width()) * size.height() > MaxWebPPixels)) {
        PictureError error(PictureError::Kind::PictureTooLarge);
        error.width = size.width();
        error.height = size.height();
        error.limit = MaxWebPSide;
        throw error;
    }
    if (format == FileFormat::Bmp && picture::bitmapBytes(size.width(), size.height()) > 0xffffffffLL) {
        PictureError error(PictureError::Kind::OutputTooLarge);
        error.limit = 0xffffffffLL;
        throw error;
    }
    RowMaker maker(depth, settings);
    int done = 0;
    const picture::PictureRows rows{
        size.width(), size.height(), [&](int y, Rgb *scratch) -> const Rgb * {
            if (cancel && cancel->load())
                throw Cancelled{};
            maker.row(y, scratch);
            ++done;
            if (progress && (done % 64 == 0 || done == size.height()))
                progress(done, size.height());
            return scratch;
        }};
    try {
        switch (format) {
        case FileFormat::Png: {
            picture::PngOptions options;
            options.text = {{QByteArray(TextKey), settingsText(settings).toLatin1()}};
            options.palette = paletteOf(settings);
            options.trueColour = options.palette.isEmpty();
            options.subFilter = true;
            picture::encodePngRows(rows, dotsPerMetre(settings), options, sink);
            break;
        }
        case FileFormat::Bmp:
            picture::encodeRows(rows, picture::FileFormat::Bmp, dotsPerMetre(settings), sink);
            break;
        case FileFormat::WebP: {
            const QByteArray bytes = picture::encodeLosslessWebP(rows);
            sink(bytes.constData(), bytes.size());
            break;
        }
        }
    } catch (const Cancelled &) {
        return false;
    }
    return true;
}

} // namespace

std::optional<FileFormat> fileFormatOfName(const QString &path)
{
    const auto named = picture::formatNamed(path);
    if (named == picture::NamedFormat::Png)
        return FileFormat::Png;
    if (named == picture::NamedFormat::Bmp)
        return FileFormat::Bmp;
    if (named == picture::NamedFormat::WebP)
        return FileFormat::WebP;
    return std::nullopt;
}

QByteArray encodeRender(const DepthPlane &depth, const Settings &settings, FileFormat format,
                        const std::atomic<bool> *cancel,
                        const std::function<void(int, int)> &progress)
{
    return picture::guarded([&]() -> QByteArray {
        QByteArray bytes;
        const bool done = encodeInto(
            depth, settings, format,
            [&](const char *data, qint64 size) { bytes.append(data, qsizetype(size)); }, cancel,
            progress);
        return done ? bytes : QByteArray();
    });
}

bool writeRender(const DepthPlane &depth, const Settings &settings, const QString &path,
                 FileFormat format, const std::atomic<bool> *cancel,
                 const std::function<void(int, int)> &progress)
{
    picture::checkWriteTarget(path);
    picture::FileWriter::Options options;
    if (format == FileFormat::Bmp) {
        const QSize size = outputSize(settings);
        options.expectedBytes = picture::bitmapBytes(size.width(), size.height());
    }
    return picture::guarded([&] {
        picture::FileWriter file(path, options);
        const bool done = encodeInto(
            depth, settings, format,
            [&](const char *data, qint64 size) { file.write(data, size); }, cancel, progress);
        if (!done) {
            file.cancel();
            return false;
        }
        file.commit();
        return true;
    });
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
