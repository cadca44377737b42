#pragma once

#include <QImage>
#include <QString>

namespace ui {

// The largest picture LoadPicture accepts, in pixels. A file claiming more is refused from its
// header, before anything of that size is allocated.
inline constexpr qint64 MaxPicturePixels = 64LL * 1024 * 1024;

// Reads a picture file: Windows bitmaps, and whatever else Qt's readers know. Raises RuntimeError
// (number and a description that names the reader's reason) when the file cannot be read as a
// picture. An empty path gives the empty picture.
QImage LoadPicture(const QString &path = {});

// Writes the image as a Windows bitmap file under exactly that name. The old file at that path, if
// any, is replaced only once the new one is completely written. Raises RuntimeError on failure.
void SavePicture(const QImage &image, const QString &path);

// The resolution written into saved pictures, 96 dpi, whatever the screen's: the same picture
// makes the same file on every machine.
inline constexpr int SavedDotsPerMeter = 3780;

} // namespace ui
