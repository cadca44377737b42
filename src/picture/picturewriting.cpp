// SPDX-License-Identifier: MIT

#include "pictureio.h"

#include "filename.h"

#include <cmath>
#include <cstring>

using namespace Qt::StringLiterals;

namespace picture {

using Kind = PictureError::Kind;

std::optional<FileFormat> formatOfName(const QString &path)
{
    const auto named = formatNamed(path);
    if (named == NamedFormat::Bmp)
        return FileFormat::Bmp;
    if (named == NamedFormat::Png)
        return FileFormat::Png;
    return std::nullopt;
}

int dotsPerMeterOfDpi(int dpi)
{
    return int(std::lround(dpi / 0.0254));
}

PictureRows rowsOf(const Image &image)
{
    // Most pictures are kept as opaque 32-bit pixels already; others are converted a row at a time,
    // exactly as the whole picture would be.
    const bool direct = image.format() == Image::Format::Rgb32;
    return {image.width(), image.height(), [image, direct](int y, Rgb *scratch) -> const Rgb * {
                if (direct)
                    return reinterpret_cast<const Rgb *>(image.constScanLine(y));
                const Image line =
                    image.copy(0, y, image.width(), 1).convertToFormat(Image::Format::Rgb32);
                std::memcpy(scratch, line.constScanLine(0), size_t(image.width()) * sizeof(Rgb));
                return scratch;
            }};
}

QByteArray encodePicture(const Image &image, FileFormat format, int dotsPerMeter)
{
    QByteArray bytes;
    if (format == FileFormat::Bmp)
        bytes.reserve(qsizetype(bitmapBytes(image.width(), image.height())));
    encodeRows(rowsOf(image), format, dotsPerMeter,
               [&bytes](const char *data, qint64 size) { bytes.append(data, qsizetype(size)); });
    return bytes;
}

static void saveRowsUnguarded(const PictureRows &rows, const QString &path, FileFormat format, int dotsPerMeter)
{
    if (path.isEmpty())
        throw PictureError(Kind::NoFileName);
    refuseEmptyRows(rows); // before the disk is touched
    FileWriter::Options options;
    if (format == FileFormat::Bmp)
        options.expectedBytes = bitmapBytes(rows.width, rows.height);
    FileWriter file(path, options);
    encodeRows(rows, format, dotsPerMeter,
               [&file](const char *data, qint64 size) { file.write(data, size); });
    file.commit();
}

void saveRows(const PictureRows &rows, const QString &path, FileFormat format, int dotsPerMeter)
{
    return guarded([&] { return saveRowsUnguarded(rows, path, format, dotsPerMeter); });
}

void savePicture(const Image &image, const QString &path, FileFormat format, int dotsPerMeter)
{
    saveRows(rowsOf(image), path, format, dotsPerMeter);
}

} // namespace picture
