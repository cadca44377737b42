// SPDX-License-Identifier: MIT

#include "pictureio.h"

#include "filename.h"
#include "picturescan.h"
#include "readers.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cmath>

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace picture {

namespace {

std::atomic<qint64> bytesLimit{MaxPictureBytes};

} // namespace

void setPictureBytesLimit(qint64 bytes)
{
    bytesLimit = std::clamp<qint64>(bytes, 1, MaxPictureBytes);
}

qint64 pictureBytesLimit()
{
    return bytesLimit;
}

void checkPictureSize(qint64 width, qint64 height, int bitsPerPixel, qint64 workingBytes)
{
    if (width > MaxPictureSide || height > MaxPictureSide) {
        PictureError error(PictureError::Kind::PictureTooLarge);
        error.width = width;
        error.height = height;
        error.limit = MaxPictureSide;
        throw error;
    }
    const qint64 decodedBytes =
        std::max(width * height * std::max(bitsPerPixel, 8) / 8, workingBytes);
    if (decodedBytes > pictureBytesLimit()) {
        PictureError error(PictureError::Kind::PictureTooDeep);
        error.width = width;
        error.height = height;
        error.bytes = decodedBytes;
        error.limit = pictureBytesLimit();
        throw error;
    }
}

namespace {

// The work of a JPEG's scans is bounded too: each scan is a pass over all the blocks of its
// components, and a hostile file can repeat scans by the thousand at a few bytes each. Real
// progressive files have about ten; this many block passes take well under a second.
constexpr qint64 MaxJpegScanBlocks = 100'000'000;

using Kind = PictureError::Kind;

[[noreturn]] void refuse(Kind kind)
{
    throw PictureError(kind);
}

[[noreturn]] void refuseLargeFile(qint64 bytes)
{
    PictureError error(Kind::FileTooLarge);
    error.bytes = bytes;
    error.limit = MaxPictureFileBytes;
    throw error;
}

// The top-left `part` of a decoded picture, with a whole colour table.
Image finished(Image image, QSize part)
{
    if (part.isValid() && (image.width() > part.width() || image.height() > part.height()))
        image = image.copy(QRect(QPoint(0, 0), part).intersected(image.rect()));
    // A palette shorter than the indices in use (a damaged bitmap) leaves those pixels without a
    // colour; they become opaque black, as Qt's conversions already treat them.
    if (image.depth() <= 8 && image.colorCount() < (1 << image.depth())) {
        QList<Rgb> table = image.colorTable();
        table.resize(1 << image.depth(), rgbOf(0, 0, 0));
        image.setColorTable(table);
    }
    return image;
}

Image decode(const QByteArray &bytes, QSize part)
{
    if (bytes.isEmpty())
        refuse(Kind::Empty);
    if (bytes.size() > MaxPictureFileBytes)
        refuseLargeFile(bytes.size());

    const PictureScan scan = scanPicture(bytes);
    switch (scan.verdict) {
    case PictureScan::Verdict::CutShort:
        refuse(Kind::CutShort);
    case PictureScan::Verdict::Damaged:
        refuse(Kind::Damaged);
    case PictureScan::Verdict::Unsupported:
        refuse(Kind::Unsupported);
    case PictureScan::Verdict::Unknown:
    case PictureScan::Verdict::Fine:
        break;
    }
    if (scan.format == PictureScan::Format::None)
        refuse(Kind::UnknownFormat);
    if (scan.width >= 0 && scan.height >= 0) {
        checkPictureSize(scan.width, scan.height, 32, scan.workingBytes);
        // Each coefficient block takes 128 bytes.
        if (qint64(scan.scans) * scan.workingBytes / 128 > MaxJpegScanBlocks)
            refuse(Kind::Damaged);
    }
    // Only the format whose walk passed is read, by the program's own reader or straight on its
    // library (readers.h); no image-format plugin is ever asked.
    switch (scan.format) {
    case PictureScan::Format::Bmp:
        return finished(readBmp(bytes), part);
    case PictureScan::Format::Png:
        return finished(readPng(bytes), part);
    case PictureScan::Format::Jpeg:
        return finished(readJpeg(bytes, part), part);
    case PictureScan::Format::Gif:
        return finished(readGif(bytes), part);
    case PictureScan::Format::None:
        break;
    }
    refuse(Kind::UnknownFormat);
}

// The reason a file cannot be opened, read or written, from errno.
[[noreturn]] void refuseFile(int error)
{
    switch (error) {
    case ENOENT:
        refuse(Kind::NotFound);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        refuse(Kind::PathNotFound);
    case EACCES:
    case EPERM:
        refuse(Kind::NoPermission);
    case EROFS:
        refuse(Kind::ReadOnly);
    case ENOSPC:
    case EDQUOT:
        refuse(Kind::DiskFull);
    case ENOMEM:
        refuse(Kind::OutOfMemory);
    case EIO:
        refuse(Kind::DeviceError);
    default: {
        PictureError e(Kind::SystemError);
        e.code = error;
        throw e;
    }
    }
}

// Only a regular file is read: opening a pipe waits for a writer, and a device may never end.
void checkKind(const struct stat &st, qint64 limit)
{
    if (S_ISDIR(st.st_mode))
        refuse(Kind::Folder);
    if (!S_ISREG(st.st_mode))
        refuse(Kind::NotRegularFile);
    if (st.st_size == 0)
        refuse(Kind::Empty);
    if (st.st_size > limit) {
        PictureError error(Kind::FileTooLarge);
        error.bytes = st.st_size;
        error.limit = limit;
        throw error;
    }
}

} // namespace

// QFile cannot open without blocking on a pipe that replaced the file after it was looked at;
// open(2) with O_NONBLOCK can, and fstat then sees what was opened.
QByteArray readRegularFile(const QString &path, qint64 limit)
{
    const QByteArray name = fileNameBytes(path);
    struct stat st{};
    if (::stat(name.constData(), &st) != 0)
        refuseFile(errno);
    checkKind(st, limit);

    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        refuseFile(errno);
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0)
        refuseFile(errno);
    checkKind(st, limit);

    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            refuseFile(errno);
        if (n == 0)
            break; // shorter than it was a moment ago: the decoder finds it cut short
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

Image decodePicture(const QByteArray &bytes, QSize part)
{
    return guarded([&] { return decode(bytes, part); });
}

Image loadPicture(const QString &path, QSize part)
{
    if (path.isEmpty())
        return {};
    return guarded([&] { return decode(readRegularFile(path), part); });
}

QSize statedSize(const QByteArray &bytes)
{
    const PictureScan scan = scanPicture(bytes);
    if (scan.width < 0 || scan.height < 0 || scan.width > INT_MAX || scan.height > INT_MAX)
        return {};
    return QSize(int(scan.width), int(scan.height));
}

} // namespace picture
