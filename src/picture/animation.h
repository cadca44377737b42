// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"
#include <QString>

#include <memory>
#include <optional>

namespace picture {

enum class AnimationFormat { Gif, WebP };

// The animation format a file name asks for by its extension (.gif or .webp, in any case), if any.
std::optional<AnimationFormat> animationFormatOfName(const QString &path);

// The picture moved by (dx, dy) pixels, what leaves one edge coming back in at the opposite one.
Image shiftedWrapped(const Image &image, int dx, int dy);

// The frame delays the writer accepts, in milliseconds, and the default.
inline constexpr int MinFrameDelay = 20;
inline constexpr int MaxFrameDelay = 60'000;
inline constexpr int DefaultFrameDelay = 100;
// The largest loop count the files hold; 0 loops for ever.
inline constexpr int MaxLoopCount = 65'535;

// The largest WebP frame made: libwebp's lossless encoder holds a frame several times over, about
// 16 bytes a pixel, and frames up to this size keep an animation within 300 MB (at --scale 10,
// 4530 x 3530 pixels with the aid). GIF frames are written row by row and need no such limit.
inline constexpr qint64 MaxWebPFramePixels = 16'000'000;

// Writes an animated GIF or lossless WebP frame by frame, keeping none of the frames: each is
// encoded and written as it comes, through a FileWriter. commit() gives the
// file its name; cancel(), a failure or destruction without commit() leaves no file behind and
// an existing file at the path as it was. Every frame must have the first frame's size; decoded,
// each frame has exactly the frame's pixels. Throws PictureError with the true reason.
//   GIF: each frame with its own colour table of the colours it uses, which must be at most 256
//   (Kind::TooManyColours otherwise); delays are kept in hundredths of a second, as GIF keeps
//   them. WebP: each frame losslessly encoded; the file is at most 4 GB.
class AnimationWriter
{
public:
    // Checks the path and opens the temporary file, as FileWriter does.
    AnimationWriter(const QString &path, AnimationFormat format, int delayMs = DefaultFrameDelay,
                    int loopCount = 0);
    ~AnimationWriter();
    AnimationWriter(const AnimationWriter &) = delete;
    AnimationWriter &operator=(const AnimationWriter &) = delete;

    void add(const Image &frame);
    int frames() const;
    // After the first frame: refuses a job of `total` frames that cannot fit in the disk's free
    // room, judged from that frame's size, before the disk fills (Kind::DiskFull with the bytes
    // needed and free).
    void checkRoomFor(int total);
    void commit();
    void cancel();

    class Encoder;

private:
    template<typename Step>
    void guarded(Step step);

    std::unique_ptr<Encoder> m_encoder;
};

} // namespace picture
