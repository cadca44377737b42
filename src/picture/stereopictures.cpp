// SPDX-License-Identifier: MIT

#include "stereopictures.h"

#include "pictureerror.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace Qt::StringLiterals;

namespace picture {

Image keptPart(const Image &picture, QSize area)
{
    // Only the part that fits is ever shown; keep no more of a large picture than that.
    const QRect kept = picture.rect().intersected(QRect(QPoint(0, 0), area));
    return picture.isNull() ? Image() : picture.copy(kept).convertToFormat(Image::Format::Rgb32);
}

void drawKeptPart(Image &target, const Image &kept)
{
    if (kept.isNull() || target.isNull())
        return;
    // The kept part replaces the target's pixels it covers, as they are.
    Q_ASSERT(target.format() == Image::Format::Rgb32);
    const Image part =
        kept.format() == Image::Format::Rgb32 ? kept : kept.convertToFormat(Image::Format::Rgb32);
    const QRect covered = target.rect().intersected(part.rect());
    for (int y = covered.top(); y <= covered.bottom(); ++y)
        std::memcpy(target.scanLine(y), part.constScanLine(y), std::size_t(covered.width()) * 4);
}

Image depthMapOf(const Image &picture)
{
    Image canvas(DepthMapSize, Image::Format::Rgb32);
    canvas.fill(toQRgb(QBColor(0)));
    drawKeptPart(canvas, keptPart(picture, DepthMapSize));
    return canvas;
}

static Image withGuides(const Image &stereogram)
{
    const int width = stereogram.width();
    Image composed(width, stereogram.height() + GuideBandHeight, Image::Format::Rgb32);
    composed.fill(0xffffffffu);
    const int cy = GuideBandHeight / 2;
    const int r2 = GuideDotRadius * GuideDotRadius + GuideDotRadius; // the program's disc rule
    for (const int cx : {width / 2 - GuideDotSpacing / 2, width / 2 + GuideDotSpacing / 2}) {
        for (int j = cy - GuideDotRadius; j <= cy + GuideDotRadius; ++j)
            for (int i = cx - GuideDotRadius; i <= cx + GuideDotRadius; ++i)
                if ((i - cx) * (i - cx) + (j - cy) * (j - cy) <= r2 && composed.valid(i, j))
                    composed.setPixel(i, j, rgbOf(0, 0, 0));
    }
    for (int y = 0; y < stereogram.height(); ++y)
        std::memcpy(composed.scanLine(y + GuideBandHeight), stereogram.constScanLine(y),
                    size_t(width) * sizeof(Rgb));
    return composed;
}

PictureRows printableRows(const Image &stereogram, int scale, bool guides)
{
    const Image source = (guides ? withGuides(stereogram) : stereogram)
                              .convertToFormat(Image::Format::Rgb32);
    if (source.isNull() && !stereogram.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    return {source.width() * scale, source.height() * scale,
            [source, scale](int y, Rgb *scratch) -> const Rgb * {
                const auto *from = reinterpret_cast<const Rgb *>(source.constScanLine(y / scale));
                if (scale == 1)
                    return from;
                for (int x = 0; x < source.width(); ++x)
                    std::fill_n(scratch + x * scale, scale, from[x]);
                return scratch;
            }};
}

Image printable(const Image &stereogram, int scale, bool guides)
{
    if (scale == 1 && !guides)
        return stereogram.convertToFormat(Image::Format::Rgb32);
    const PictureRows rows = printableRows(stereogram, scale, guides);
    Image out(rows.width, rows.height, Image::Format::Rgb32);
    if (out.isNull())
        return out;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<Rgb *>(out.scanLine(y));
        if (const Rgb *from = rows.row(y, line); from != line)
            std::memcpy(line, from, size_t(out.width()) * sizeof(Rgb));
    }
    return out;
}

namespace {

// The scale and the aid of a picture that printable could have made, from its size alone.
std::optional<std::pair<int, bool>> printedLayout(QSize size)
{
    const int width = StereogramSize.width();
    if (size.width() % width != 0)
        return std::nullopt;
    const int scale = size.width() / width;
    if (scale < 1 || scale > MaxPrintScale)
        return std::nullopt;
    const int plainHeight = StereogramSize.height();
    if (size.height() == (plainHeight + GuideBandHeight) * scale)
        return std::pair{scale, true};
    if (size.height() == plainHeight * scale)
        return std::pair{scale, false};
    return std::nullopt;
}

} // namespace

bool isPrintedSize(QSize size)
{
    return printedLayout(size).has_value();
}

std::optional<Unprinted> unprinted(const Image &picture)
{
    const auto layout = printedLayout(picture.size());
    if (!layout)
        return std::nullopt;
    const auto [scale, guides] = *layout;
    const int width = StereogramSize.width();
    const int plainHeight = StereogramSize.height();

    const Image source = picture.convertToFormat(Image::Format::Rgb32);
    Image small(width, source.height() / scale, Image::Format::Rgb32);
    for (int y = 0; y < small.height(); ++y) {
        auto *out = reinterpret_cast<Rgb *>(small.scanLine(y));
        const auto *first = reinterpret_cast<const Rgb *>(source.constScanLine(y * scale));
        for (int x = 0; x < width; ++x)
            out[x] = first[x * scale];
        for (int k = 0; k < scale; ++k) {
            const auto *line = reinterpret_cast<const Rgb *>(source.constScanLine(y * scale + k));
            for (int x = 0; x < width * scale; ++x)
                if ((line[x] & 0xffffffu) != (out[x / scale] & 0xffffffu))
                    return std::nullopt;
        }
    }
    Unprinted result{guides ? small.copy(0, GuideBandHeight, width, plainHeight) : small, scale,
                     guides};
    if (guides && withGuides(result.stereogram) != small)
        return std::nullopt;
    return result;
}

static bool writeStereogramUnguarded(const Image &stereogram, int scale, bool guides,
                                     const QString &path, FileFormat format, int dotsPerMeter,
                                     const std::atomic<bool> *cancel,
                                     const std::function<void(int, int)> &progress)
{
    // Thrown from a row to stop the encoding; the writer, never committed, leaves no file.
    struct Stopped
    {
    };
    PictureRows rows = printableRows(stereogram, scale, guides);
    const int total = format == FileFormat::Png ? 2 * rows.height : rows.height;
    int asked = 0;
    if (cancel || progress)
        rows.row = [row = std::move(rows.row), cancel, &progress, &asked, total](int y,
                                                                                Rgb *scratch) {
            if (cancel && cancel->load())
                throw Stopped{};
            if (progress)
                progress(std::min(++asked, total), total);
            return row(y, scratch);
        };
    try {
        saveRows(rows, path, format, dotsPerMeter);
    } catch (const Stopped &) {
        return false;
    }
    // A PNG of more than 256 colours stops reading its colours early.
    if (progress && asked < total)
        progress(total, total);
    return true;
}

bool writeStereogram(const Image &stereogram, int scale, bool guides, const QString &path,
                     FileFormat format, int dotsPerMeter, const std::atomic<bool> *cancel,
                     const std::function<void(int, int)> &progress)
{
    return guarded([&] {
        return writeStereogramUnguarded(stereogram, scale, guides, path, format, dotsPerMeter,
                                        cancel, progress);
    });
}

PackedPicture::PackedPicture(const Image &image)
    : m_size(image.size()), m_format(image.format())
{
    Q_ASSERT(image.isNull() || image.depth() == 32);
    const qsizetype plainBytes = image.sizeInBytes();
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const Rgb *>(image.constScanLine(y));
        for (int x = 0; x < width;) {
            const Rgb colour = line[x];
            const int start = x++;
            // Four pixels at a time, since depth maps are long runs of one colour.
            while (x + 4 <= width
                   && ((line[x] ^ colour) | (line[x + 1] ^ colour) | (line[x + 2] ^ colour)
                       | (line[x + 3] ^ colour))
                          == 0)
                x += 4;
            while (x < width && line[x] == colour)
                ++x;
            m_runs.push_back({colour, quint32(x - start)});
        }
        if (qsizetype(m_runs.size() * sizeof(Run)) > plainBytes) {
            m_runs = {};
            m_plain = image;
            return;
        }
    }
}

Image PackedPicture::unpack() const
{
    if (!m_plain.isNull() || m_size.isEmpty())
        return m_plain;
    Image image(m_size, m_format);
    if (image.isNull())
        return image;
    auto run = m_runs.cbegin();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<Rgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++run) {
            std::fill_n(line + x, run->length, run->colour);
            x += int(run->length);
        }
    }
    return image;
}

qsizetype PackedPicture::bytes() const
{
    return m_plain.isNull() ? qsizetype(m_runs.size() * sizeof(Run)) : m_plain.sizeInBytes();
}

} // namespace picture
