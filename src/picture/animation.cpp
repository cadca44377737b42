// SPDX-License-Identifier: MIT

#include "animation.h"

#include "filename.h"
#include "filewriter.h"
#include "pictureencoder.h"
#include "pictureerror.h"
#include "pictureio.h"

#include <QHash>

#include <gif_lib.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

using namespace Qt::StringLiterals;

namespace picture {

using Kind = PictureError::Kind;

std::optional<AnimationFormat> animationFormatOfName(const QString &path)
{
    const auto named = formatNamed(path);
    if (named == NamedFormat::Gif)
        return AnimationFormat::Gif;
    if (named == NamedFormat::WebP)
        return AnimationFormat::WebP;
    return std::nullopt;
}

Image shiftedWrapped(const Image &image, int dx, int dy)
{
    const Image source = image.convertToFormat(Image::Format::Rgb32);
    const int w = source.width();
    const int h = source.height();
    if (w == 0 || h == 0)
        return source;
    Image out(source.size(), Image::Format::Rgb32);
    if (out.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    out.setDotsPerMeterX(source.dotsPerMeterX());
    out.setDotsPerMeterY(source.dotsPerMeterY());
    // Source column x lands in column (x + dx) mod w: two copies per row, either side of the seam.
    const int sx = int(((qint64(dx) % w) + w) % w);
    const int sy = int(((qint64(dy) % h) + h) % h);
    for (int y = 0; y < h; ++y) {
        const auto *from = reinterpret_cast<const Rgb *>(source.constScanLine(y));
        auto *to = reinterpret_cast<Rgb *>(out.scanLine((y + sy) % h));
        std::memcpy(to + sx, from, size_t(w - sx) * sizeof(Rgb));
        std::memcpy(to, from + (w - sx), size_t(sx) * sizeof(Rgb));
    }
    return out;
}

// One format's encoding over the temporary file.
class AnimationWriter::Encoder
{
public:
    Encoder(const QString &path, int delayMs, int loopCount)
        : m_path(path), m_delay(delayMs), m_loops(loopCount), m_file(path)
    {
    }
    virtual ~Encoder() = default;

    void add(const Image &frame)
    {
        const Image bits = frame.convertToFormat(Image::Format::Rgb32);
        if (bits.isNull() && !frame.isNull())
            throw PictureError(Kind::OutOfMemory);
        if (m_frames == 0)
            m_size = bits.size();
        Q_ASSERT(bits.size() == m_size);
        encode(bits);
        ++m_frames;
    }

    void commit()
    {
        finish();
        m_file.commit();
    }

    void cancel() { m_file.cancel(); }

    void checkRoomFor(int total)
    {
        const qint64 free = m_file.freeBytes();
        if (m_frames == 0 || free < 0)
            return;
        // Every frame of a job is about as large as the first: the same size, the same dots.
        const qint64 needed = m_written / m_frames * total;
        if (needed - m_written > free) {
            PictureError error(Kind::DiskFull);
            error.bytes = needed;
            error.limit = free + m_written;
            throw error;
        }
    }

    int frames() const { return m_frames; }

protected:
    virtual void encode(const Image &frame) = 0;
    virtual void finish() = 0;

    void write(const void *data, qint64 bytes)
    {
        m_file.write(static_cast<const char *>(data), bytes);
        m_written += bytes;
    }

    QString m_path;
    int m_delay;
    int m_loops;
    FileWriter m_file;
    QSize m_size;
    int m_frames = 0;
    qint64 m_written = 0;
};

namespace {

constexpr int MaxGifColours = 256;

class GifEncoder final : public AnimationWriter::Encoder
{
public:
    GifEncoder(const QString &path, int delayMs, int loopCount)
        : Encoder(path, delayMs, loopCount)
    {
        int error = 0;
        m_gif = EGifOpen(this, &GifEncoder::output, &error);
        if (!m_gif)
            throw PictureError(PictureError::Kind::OutOfMemory);
    }

    ~GifEncoder() override
    {
        if (m_gif) {
            int error = 0;
            EGifCloseFile(m_gif, &error);
        }
    }

private:
    static int output(GifFileType *gif, const GifByteType *data, int length)
    {
        // No exception may cross giflib: the write's reason is kept for check().
        auto *self = static_cast<GifEncoder *>(gif->UserData);
        try {
            self->write(data, length);
        } catch (...) {
            self->m_failure = std::current_exception();
            return 0;
        }
        return length;
    }

    void check(int result, int code = -1)
    {
        if (result != GIF_ERROR)
            return;
        if (m_failure)
            std::rethrow_exception(std::exchange(m_failure, nullptr));
        if (code < 0 && m_gif)
            code = m_gif->Error;
        if (code == E_GIF_ERR_NOT_ENOUGH_MEM)
            throw PictureError(PictureError::Kind::OutOfMemory);
        PictureError error(Kind::WriteFailed);
        error.detail = QString::fromLatin1(GifErrorString(code));
        throw error;
    }

    void close()
    {
        if (m_gif) {
            int error = 0;
            const int result = EGifCloseFile(m_gif, &error);
            m_gif = nullptr;
            check(result, error);
        }
    }

    void encode(const Image &frame) override
    {
        if (m_frames == 0) {
            EGifSetGifVersion(m_gif, true);
            check(EGifPutScreenDesc(m_gif, frame.width(), frame.height(), 8, 0, nullptr));
            // The application extension browsers read the loop count from; 0 loops for ever.
            const GifByteType loop[3] = {1, GifByteType(m_loops & 0xff),
                                         GifByteType(m_loops >> 8)};
            check(EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE));
            check(EGifPutExtensionBlock(m_gif, 11, "NETSCAPE2.0"));
            check(EGifPutExtensionBlock(m_gif, 3, loop));
            check(EGifPutExtensionTrailer(m_gif));
        }

        // The frame's own colour table: the colours it uses, in the order they first appear.
        const int w = frame.width();
        const int h = frame.height();
        m_indices.resize(size_t(w) * size_t(h));
        QHash<Rgb, GifPixelType> indexOf;
        std::vector<GifColorType> table;
        Rgb last = 0;
        GifPixelType lastIndex = 0;
        qint64 colours = 0;
        for (int y = 0; y < h; ++y) {
            const auto *from = reinterpret_cast<const Rgb *>(frame.constScanLine(y));
            GifPixelType *to = m_indices.data() + size_t(y) * size_t(w);
            for (int x = 0; x < w; ++x) {
                const Rgb c = from[x] | 0xff000000u;
                if ((x == 0 && y == 0) || c != last) {
                    auto found = indexOf.constFind(c);
                    if (found == indexOf.cend()) {
                        ++colours;
                        if (table.size() == MaxGifColours) {
                            indexOf.insert(c, 0);
                            continue;
                        }
                        found = indexOf.insert(c, GifPixelType(table.size()));
                        table.push_back({GifByteType(rgbRed(c)), GifByteType(rgbGreen(c)),
                                         GifByteType(rgbBlue(c))});
                    }
                    last = c;
                    lastIndex = *found;
                }
                to[x] = lastIndex;
            }
        }
        if (colours > MaxGifColours) {
            PictureError error(Kind::TooManyColours);
            error.count = colours;
            error.limit = MaxGifColours;
            throw error;
        }
        // GIF tables have a power of two entries, at least two.
        int entries = 2;
        while (entries < int(table.size()))
            entries *= 2;
        table.resize(size_t(entries), GifColorType{0, 0, 0});
        ColorMapObject *map = GifMakeMapObject(entries, table.data());
        if (!map)
            throw PictureError(PictureError::Kind::OutOfMemory);

        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = (m_delay + 5) / 10;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        int result = EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        if (result != GIF_ERROR)
            result = EGifPutImageDesc(m_gif, 0, 0, w, h, false, map);
        GifFreeMapObject(map);
        check(result);
        for (int y = 0; y < h; ++y)
            check(EGifPutLine(m_gif, m_indices.data() + size_t(y) * size_t(w), w));
    }

    void finish() override { close(); }

    GifFileType *m_gif = nullptr;
    std::exception_ptr m_failure;
    std::vector<GifPixelType> m_indices;
};

void putLe(QByteArray &out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

// RIFF sizes are 32 bits and count all but the first 8 bytes.
constexpr qint64 MaxWebPBytes = 0xffff'fffeLL;

// An animated WebP container written chunk by chunk: the header with the canvas and loop count,
// then one ANMF chunk per frame around libwebp's lossless bitstream; the RIFF size is filled in
// at the end. libwebp's own animation encoder would hold every frame until the end.
class WebPEncoder final : public AnimationWriter::Encoder
{
public:
    using Encoder::Encoder;

private:
    void encode(const Image &frame) override
    {
        if (m_frames == 0) {
            QByteArray head;
            head += "RIFF";
            putLe(head, 0, 4); // filled in by finish()
            head += "WEBP";
            head += "VP8X";
            putLe(head, 10, 4);
            putLe(head, 0x02, 4); // animation; no alpha, the frames are opaque
            putLe(head, quint32(frame.width() - 1), 3);
            putLe(head, quint32(frame.height() - 1), 3);
            head += "ANIM";
            putLe(head, 6, 4);
            putLe(head, 0xffffffffu, 4); // background white, as a hint only
            putLe(head, quint32(m_loops), 2);
            write(head.constData(), head.size());
        }

        const QByteArray bitstream = losslessChunk(frame);
        QByteArray head;
        head += "ANMF";
        putLe(head, quint32(16 + bitstream.size()), 4);
        putLe(head, 0, 3); // x / 2
        putLe(head, 0, 3); // y / 2
        putLe(head, quint32(frame.width() - 1), 3);
        putLe(head, quint32(frame.height() - 1), 3);
        putLe(head, quint32(m_delay), 3);
        head += char(0x02); // no blending: the frame replaces the canvas; no disposal
        if (m_written + head.size() + bitstream.size() > MaxWebPBytes) {
            PictureError error(Kind::OutputTooLarge);
            error.limit = MaxWebPBytes;
            throw error;
        }
        write(head.constData(), head.size());
        write(bitstream.constData(), bitstream.size());
    }

    void finish() override
    {
        QByteArray size;
        putLe(size, quint32(m_written - 8), 4);
        m_file.writeAt(4, size.constData(), size.size());
    }

    // The frame as a lossless WebP, of which the VP8L chunk (with its padding) is kept.
    static QByteArray losslessChunk(const Image &frame)
    {
        const QByteArray file = encodeLosslessWebP(PictureRows{
            frame.width(), frame.height(), [&](int y, Rgb *) {
                return reinterpret_cast<const Rgb *>(frame.constScanLine(y));
            }});
        // A simple file: RIFF header, then the VP8L chunk.
        if (file.size() < 20 || file.sliced(12, 4) != "VP8L") {
            PictureError error(Kind::WriteFailed);
            error.detail = u"unexpected WebP encoder output"_s;
            throw error;
        }
        return file.sliced(12);
    }
};

} // namespace

AnimationWriter::AnimationWriter(const QString &path, AnimationFormat format, int delayMs,
                                 int loopCount)
{
    Q_ASSERT(delayMs >= MinFrameDelay && delayMs <= MaxFrameDelay);
    Q_ASSERT(loopCount >= 0 && loopCount <= MaxLoopCount);
    picture::guarded([&] {
        if (format == AnimationFormat::Gif)
            m_encoder = std::make_unique<GifEncoder>(path, delayMs, loopCount);
        else
            m_encoder = std::make_unique<WebPEncoder>(path, delayMs, loopCount);
    });
}

AnimationWriter::~AnimationWriter()
{
    cancel();
}

// Runs one step of the encoder; on any failure the file is given up and the reason thrown.
template<typename Step>
void AnimationWriter::guarded(Step step)
{
    Q_ASSERT(m_encoder);
    try {
        picture::guarded(step);
    } catch (...) {
        cancel();
        throw;
    }
}

void AnimationWriter::add(const Image &frame)
{
    guarded([&] { m_encoder->add(frame); });
}

void AnimationWriter::checkRoomFor(int total)
{
    guarded([&] { m_encoder->checkRoomFor(total); });
}

int AnimationWriter::frames() const
{
    return m_encoder ? m_encoder->frames() : 0;
}

void AnimationWriter::commit()
{
    Q_ASSERT(m_encoder && m_encoder->frames() > 0);
    guarded([&] {
        m_encoder->commit();
        m_encoder.reset();
    });
}

void AnimationWriter::cancel()
{
    if (m_encoder) {
        m_encoder->cancel();
        m_encoder.reset();
    }
}

} // namespace picture
