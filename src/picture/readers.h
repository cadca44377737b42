// SPDX-License-Identifier: MIT

#pragma once

#include "image.h"

#include <QByteArrayView>
#include <QSize>

// The readers of BMP, JPEG, PNG and GIF, on a whole file's bytes that the walk (picturescan.h) has
// passed: BMP by the program's own code, the others straight on libjpeg, libpng and giflib. They
// give the same pictures, pixel for pixel and in the same formats, as Qt's readers for these
// formats gave, and load no plugin. They say nothing on standard error, never read past the
// bytes, and throw PictureError: CutShort when the data ends before the picture, Damaged when the
// library refuses it, OutOfMemory, and the size limits of pictureio.h before any pixel memory is
// taken. The libraries' errors jump back
// (longjmp) only over C frames and functions that hold nothing to destroy.
namespace picture {

// `part`, when valid and not empty, is all that is decoded: the rows below it are not read.
Image readJpeg(QByteArrayView bytes, QSize part);
Image readPng(QByteArrayView bytes);
// The first frame, on its logical screen.
Image readGif(QByteArrayView bytes);
// Uncompressed, run-length encoded (RLE8, RLE4) and bit-field bitmaps of 1 to 32 bits, with the
// Windows 3 to 5 and OS/2 headers; run-length data is decoded straight into the picture.
Image readBmp(QByteArrayView bytes);

// Refuses a picture larger than the limits, from its stated size and the memory it needs decoded
// at that depth, or for the decoder's own working storage. Throws PictureError.
void checkPictureSize(qint64 width, qint64 height, int bitsPerPixel, qint64 workingBytes = 0);

} // namespace picture
