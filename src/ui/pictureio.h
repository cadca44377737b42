// SPDX-License-Identifier: MIT

#pragma once

#include "qtimage.h"
#include "runtimeerror.h"

#include "picture/pictureio.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace ui {

using picture::MaxPictureBytes;
using picture::MaxPictureFileBytes;
using picture::MaxPictureSide;
using picture::SavedDotsPerMeter;

// The runtime's picture functions over the picture library: the same pictures, the same bounds,
// with failures raised as RuntimeError, numbered as the runtime numbers them and described in
// Japanese.

// Reads a picture file (picture::loadPicture). An empty path gives the empty picture.
QImage LoadPicture(const QString &path = {}, QSize part = {});

// The same picture as the picture library's own, for work on it away from the windows.
picture::Image loadPictureData(const QString &path, QSize part = {});

// The decoding half of LoadPicture, on a file's bytes (picture::decodePicture).
QImage decodePicture(const QByteArray &bytes, QSize part = {});

// Writes the image as a Windows bitmap file under exactly that name. The old file at that path, if
// any, is replaced only once the new one is completely written; a name that is no place for a
// file (a folder, a device, another user's link) is refused before anything is written.
void SavePicture(const QImage &image, const QString &path);

// Writes the image as a bitmap or PNG, by the name's extension (PNG when it has neither).
void savePictureAs(const QImage &image, const QString &path);

// The run-time error of a picture library failure: number, and description with its detail.
RuntimeError runtimeErrorOf(const picture::PictureError &error);

// Runs a picture library call, raising its failure as the run-time error.
template<typename Call>
auto withRuntimeErrors(Call &&call) -> decltype(call())
{
    try {
        return call();
    } catch (const picture::PictureError &e) {
        throw runtimeErrorOf(e);
    }
}

} // namespace ui
