// SPDX-License-Identifier: MIT

#include "readers.h"

#include "pictureerror.h"

#include <QRect>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace picture {

namespace {

using Kind = PictureError::Kind;

// Everything the library's calls and their jumps touch: plain data, nothing to destroy.
struct JpegJob
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    jpeg_source_mgr source;
    std::jmp_buf jump;
    const JOCTET *data;
    size_t size;
    bool created;
    bool ranOut; // the library asked for bytes past the end
};

const JOCTET FakeEnd[2] = {0xff, JPEG_EOI};

JpegJob *jobOf(j_common_ptr info)
{
    return reinterpret_cast<JpegJob *>(reinterpret_cast<char *>(info)
                                       - offsetof(JpegJob, info));
}

void fail(j_common_ptr info)
{
    std::longjmp(jobOf(info)->jump, 1);
}

void quiet(j_common_ptr) {}

void startSource(j_decompress_ptr) {}

// Past the end the library is given an end marker, as its documentation recommends, and the
// file is known to be cut short.
boolean fill(j_decompress_ptr info)
{
    JpegJob *job = jobOf(reinterpret_cast<j_common_ptr>(info));
    job->ranOut = true;
    job->source.next_input_byte = FakeEnd;
    job->source.bytes_in_buffer = sizeof FakeEnd;
    return TRUE;
}

void skip(j_decompress_ptr info, long count)
{
    JpegJob *job = jobOf(reinterpret_cast<j_common_ptr>(info));
    if (count <= 0)
        return;
    if (size_t(count) > job->source.bytes_in_buffer) {
        fill(info);
        return;
    }
    job->source.next_input_byte += count;
    job->source.bytes_in_buffer -= size_t(count);
}

void endSource(j_decompress_ptr) {}

// The header, and the output's size and components. False when the library refused it.
bool readHeader(JpegJob *job)
{
    if (setjmp(job->jump))
        return false;
    jpeg_create_decompress(&job->info);
    job->created = true;
    job->source.init_source = startSource;
    job->source.fill_input_buffer = fill;
    job->source.skip_input_data = skip;
    job->source.resync_to_restart = jpeg_resync_to_restart;
    job->source.term_source = endSource;
    job->source.next_input_byte = job->data;
    job->source.bytes_in_buffer = job->size;
    job->info.src = &job->source;
    jpeg_read_header(&job->info, TRUE);
    jpeg_calc_output_dimensions(&job->info);
    return true;
}

// The rows of `clip` (at the top left), into `bits`. With the whole picture wanted, every row
// and the end are read; otherwise decoding stops after the last row kept, as Qt's reader does.
// `row` holds one output row of the library's.
bool readRows(JpegJob *job, uchar *bits, qsizetype bytesPerLine, int clipWidth, int clipHeight,
              bool whole, JSAMPLE *row)
{
    if (setjmp(job->jump))
        return false;
    jpeg_decompress_struct *info = &job->info;
    jpeg_start_decompress(info);
    const bool direct = whole && info->output_components == 1;
    while (info->output_scanline < info->output_height) {
        const int y = int(info->output_scanline);
        if (y >= clipHeight)
            break;
        if (direct) {
            JSAMPROW to = bits + y * bytesPerLine;
            jpeg_read_scanlines(info, &to, 1);
            continue;
        }
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(info, rows, 1);
        auto *out = reinterpret_cast<quint32 *>(bits + y * bytesPerLine);
        const JSAMPLE *in = row;
        if (info->output_components == 3) {
            for (int x = 0; x < clipWidth; ++x, in += 3)
                out[x] = 0xff000000u | quint32(in[0]) << 16 | quint32(in[1]) << 8 | in[2];
        } else if (info->out_color_space == JCS_CMYK) {
            // Adobe's inverted CMYK, as Qt's reader took it: each channel times K.
            for (int x = 0; x < clipWidth; ++x, in += 4) {
                const int k = in[3];
                out[x] = 0xff000000u | quint32(k * in[0] / 255) << 16
                         | quint32(k * in[1] / 255) << 8 | quint32(k * in[2] / 255);
            }
        } else if (info->output_components == 1) {
            std::memcpy(bits + y * bytesPerLine, row, size_t(clipWidth));
        }
    }
    if (info->output_scanline == info->output_height)
        jpeg_finish_decompress(info);
    return true;
}

[[noreturn]] void refuse(const JpegJob &job)
{
    throw PictureError(job.ranOut ? Kind::CutShort : Kind::Damaged);
}

} // namespace

Image readJpeg(QByteArrayView bytes, QSize part)
{
    JpegJob job{};
    job.info.err = jpeg_std_error(&job.errors);
    job.errors.error_exit = fail;
    job.errors.output_message = quiet;
    job.data = reinterpret_cast<const JOCTET *>(bytes.data());
    job.size = size_t(bytes.size());
    struct Destroyer
    {
        JpegJob &job;
        ~Destroyer()
        {
            if (job.created)
                jpeg_destroy_decompress(&job.info);
        }
    } destroyer{job};

    if (!readHeader(&job))
        refuse(job);
    job.ranOut = false;
    const int width = int(job.info.output_width);
    const int height = int(job.info.output_height);
    const int components = job.info.output_components;
    Image::Format format = Image::Format::Invalid;
    if (components == 1)
        format = Image::Format::Grayscale8;
    else if (components == 3 || components == 4)
        format = Image::Format::Rgb32;
    else
        throw PictureError(Kind::Damaged);
    checkPictureSize(width, height, 32);

    const QRect whole(0, 0, width, height);
    QRect clip = whole;
    if (part.isValid()) {
        const QRect wanted = QRect(QPoint(0, 0), part).intersected(whole);
        if (!wanted.isEmpty())
            clip = wanted;
    }
    Image image(clip.size(), format);
    if (image.isNull())
        throw PictureError(Kind::OutOfMemory);
    image.fill(0);
    std::vector<JSAMPLE> row(size_t(width) * size_t(components));
    const bool read = readRows(&job, image.bits(), image.bytesPerLine(), clip.width(),
                               clip.height(), clip == whole, row.data());
    if (!read || job.ranOut)
        refuse(job);
    return image;
}

} // namespace picture
