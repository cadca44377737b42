// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace picture {

// What a walk over a picture file's own structure finds before any decoder sees it. Qt's readers
// trust the lengths and sizes a file states: libpng allocates a chunk as long as its length field
// says, libjpeg keeps every coefficient of a progressive picture, Qt's bitmap reader leaves rows
// it could not read as they were. The walk is linear in the file and allocates nothing.
struct PictureScan
{
    enum class Verdict {
        Unknown,     // not a format walked here
        Fine,        // the structure is whole
        CutShort,    // the file ends inside a chunk, segment or header, or before its end marker
        Damaged,     // a length or field no reader accepts
        Unsupported, // a well-formed variant that Qt's readers do not decode
    };

    Verdict verdict = Verdict::Unknown;
    // The format the first bytes announce; the only reader that is then asked for the picture.
    enum class Format { None, Bmp, Png, Jpeg, Gif };
    Format format = Format::None;
    // The picture's size as its header states it, -1 where not read. Kept wide: headers claim
    // sizes far beyond int.
    qint64 width = -1;
    qint64 height = -1;
    // Memory the decoder keeps besides the picture: all coefficients of a progressive or
    // multi-scan JPEG.
    qint64 workingBytes = 0;
    // Scans of a JPEG; each one is a pass over all of its components' blocks.
    int scans = 0;
};

PictureScan scanPicture(QByteArrayView bytes);

} // namespace picture
