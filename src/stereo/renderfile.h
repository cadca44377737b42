// SPDX-License-Identifier: MIT

#pragma once

#include "render.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace stereo::render {

enum class FileFormat { Png, Bmp, WebP };

// The format a file name asks for by its extension (.png, .bmp or .webp, in any case), if any.
std::optional<FileFormat> fileFormatOfName(const QString &path);

// The largest picture written as WebP: its format's side limit, and a pixel count whose whole
// picture and encoder stay within the generator's memory bound.
inline constexpr int MaxWebPSide = 16383;
inline constexpr qint64 MaxWebPPixels = 12'000'000;

// The file's bytes, each row encoded as the generator hands it over: a PNG (a palette where the
// pattern has at most 256 colours, the settings in its text chunk "zomvorn-render"), a 24-bit
// Windows bitmap, or a lossless WebP. Empty when cancelled. Throws picture::PictureError.
QByteArray encodeRender(const DepthPlane &depth, const Settings &settings, FileFormat format,
                        const std::atomic<bool> *cancel = nullptr,
                        const std::function<void(int done, int total)> &progress = {});

// encodeRender, then the picture library's atomic writeFile. False, and no file, when cancelled.
bool writeRender(const DepthPlane &depth, const Settings &settings, const QString &path,
                 FileFormat format, const std::atomic<bool> *cancel = nullptr,
                 const std::function<void(int done, int total)> &progress = {});

// The settings a PNG written by encodeRender carries, if it carries them.
std::optional<Settings> settingsOfFile(const QByteArray &bytes);

} // namespace stereo::render
