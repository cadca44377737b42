// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <sys/types.h>

namespace editor {

// The save dialog's filter list for depth maps: PNG first, then bitmaps.
QString depthMapFilter();

// Writes the canvas to `path`, exactly its pixels: a Windows bitmap when the name ends in ".bmp"
// (any letter case), PNG otherwise. The old file at that path is replaced only once the new one is
// completely written. Raises ui::RuntimeError with the true reason on failure.
void saveDepthMap(const QImage &image, const QString &path);

// The image as PNG bytes, opaque, at the resolution saved pictures carry.
QByteArray encodePng(const QImage &image);

// Writes `bytes` to `path` through a temporary file that replaces it only when complete. Raises
// ui::RuntimeError: a full disk as such, anything else with the system's reason. A new file gets
// `mode` before the umask.
void writeFileAtomically(const QByteArray &bytes, const QString &path, mode_t mode = 0666);

} // namespace editor
