// SPDX-License-Identifier: MIT

#include "pictureio.h"

#include "picturescan.h"
#include "runtimeerror.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QStorageInfo>

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ui {

namespace {

// The work of a JPEG's scans is bounded too: each scan is a pass over all the blocks of its
// components, and a hostile file can repeat scans by the thousand at a few bytes each. Real
// progressive files have about ten; this many block passes take well under a second.
constexpr qint64 MaxJpegScanBlocks = 100'000'000;

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / 1e6, 'f', bytes < 10'000'000 ? 1 : 0);
}

[[noreturn]] void refuse(int number, const QString &detail = {})
{
    throw RuntimeError::withDetail(number, detail);
}

[[noreturn]] void refuseEmpty()
{
    refuse(RuntimeError::InvalidPicture, u"ファイルが空です（0 バイト）。"_s);
}

[[noreturn]] void refuseCutShort()
{
    refuse(RuntimeError::InvalidPicture, u"ファイルが途中で切れています。"_s);
}

[[noreturn]] void refuseDamaged()
{
    refuse(RuntimeError::InvalidPicture, u"画像ファイルが壊れています。"_s);
}

[[noreturn]] void refuseLargeFile(qint64 bytes)
{
    refuse(RuntimeError::InvalidPicture,
           u"画像が大きすぎます（ファイルの大きさ %1 MB）。読み込めるのは %2 MB までのファイルです。"_s
               .arg(megabytes(bytes), megabytes(MaxPictureFileBytes)));
}

// Refuses a picture larger than the limits, from its stated size and the memory it needs decoded
// at that depth, or for the decoder's own working storage.
void checkPictureSize(qint64 width, qint64 height, int bitsPerPixel, qint64 workingBytes = 0)
{
    if (width > MaxPictureSide || height > MaxPictureSide) {
        refuse(RuntimeError::InvalidPicture,
               u"画像が大きすぎます（%1 × %2 ピクセル）。読み込めるのは %3 × %3 ピクセルまでです。"_s
                   .arg(width)
                   .arg(height)
                   .arg(MaxPictureSide));
    }
    const qint64 decodedBytes =
        std::max(width * height * std::max(bitsPerPixel, 8) / 8, workingBytes);
    if (decodedBytes > MaxPictureBytes) {
        refuse(RuntimeError::InvalidPicture,
               u"画像が大きすぎます（%1 × %2 ピクセル、展開すると %3 MB）。読み込めるのは %4 MB までです。"_s
                   .arg(width)
                   .arg(height)
                   .arg(megabytes(decodedBytes), megabytes(MaxPictureBytes)));
    }
}

// A file's bytes as a device for Qt's readers, noting when a reader wants more than there is. A
// request at the very end wants data past it; for a reader that asks for exactly what it needs, so
// does any request the rest cannot fill. Unbuffered, every request that arrives here is the
// reader's own; buffered, QIODevice asks ahead in blocks of its own, which only a reader asking for
// exact amounts can bear.
class PictureDevice final : public QIODevice
{
public:
    PictureDevice(const QByteArray &bytes, PictureScan::Reads reads) : m_bytes(bytes)
    {
        m_exact = reads == PictureScan::Reads::Exact;
        open(reads == PictureScan::Reads::Bytes ? ReadOnly : ReadOnly | Unbuffered);
    }

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_bytes.size(); }

    bool ranOut() const { return m_ranOut; }
    void clearRanOut() { m_ranOut = false; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 left = std::max<qint64>(0, size() - pos());
        if (maxSize > 0 && (left == 0 || (m_exact && maxSize > left)))
            m_ranOut = true;
        const qint64 n = std::min(maxSize, left);
        if (n > 0)
            std::memcpy(data, m_bytes.constData() + pos(), size_t(n));
        return n;
    }

    // A last line without its line feed is not a read past the end; and a line at a time is far
    // quicker than QIODevice's character at a time.
    qint64 readLineData(char *data, qint64 maxSize) override
    {
        const qint64 left = std::max<qint64>(0, size() - pos());
        if (left == 0) {
            m_ranOut = true;
            return 0;
        }
        const char *from = m_bytes.constData() + pos();
        const qint64 span = std::min(maxSize, left);
        const auto *feed = static_cast<const char *>(std::memchr(from, '\n', size_t(span)));
        const qint64 n = feed ? feed - from + 1 : span;
        std::memcpy(data, from, size_t(n));
        return n;
    }

    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray &m_bytes;
    bool m_exact = false;
    bool m_ranOut = false;
};

QImage decode(const QByteArray &bytes, QSize part)
{
    if (bytes.isEmpty())
        refuseEmpty();
    if (bytes.size() > MaxPictureFileBytes)
        refuseLargeFile(bytes.size());

    const PictureScan scan = scanPicture(bytes);
    switch (scan.verdict) {
    case PictureScan::Verdict::CutShort:
        refuseCutShort();
    case PictureScan::Verdict::Damaged:
        refuseDamaged();
    case PictureScan::Verdict::Unsupported:
        refuse(RuntimeError::InvalidPicture, u"対応していない形式の画像です。"_s);
    case PictureScan::Verdict::Unknown:
    case PictureScan::Verdict::Fine:
        break;
    }
    if (scan.width >= 0 && scan.height >= 0) {
        checkPictureSize(scan.width, scan.height, 32, scan.workingBytes);
        // Each coefficient block takes 128 bytes.
        if (qint64(scan.scans) * scan.workingBytes / 128 > MaxJpegScanBlocks)
            refuseDamaged();
    }

    // Qt's own limit stands behind the checks above, for readers whose header understates what
    // they allocate.
    QImageReader::setAllocationLimit(int(MaxPictureBytes >> 20) + 1);
    PictureDevice device(bytes, scan.reads);
    QImageReader reader(&device);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        refuse(RuntimeError::InvalidPicture, u"画像ファイルではないか、対応していない形式です。"_s);
    QSize size = reader.size();
    if (!size.isValid() && device.ranOut())
        refuseCutShort();
    // Qt's bitmap reader gives a top-down bitmap a negative height.
    if (!size.isValid() && scan.width >= 0 && scan.height >= 0)
        size = QSize(int(scan.width), int(scan.height));
    // A reader that can decode part of a picture decodes only what is kept and writes all of it;
    // the others decode the whole picture, into an image made below.
    const bool partial = reader.supportsOption(QImageIOHandler::ClipRect);
    QImage::Format format = QImage::Format_Invalid;
    if (size.isValid() && !partial) {
        // Taken as a number first: Qt's JPEG reader answers with an unset member after a bad
        // header, and other readers might too.
        const int reported = int(reader.imageFormat());
        if (reported > QImage::Format_Invalid && reported < QImage::NImageFormats)
            format = QImage::Format(reported);
    }
    if (size.isValid()) {
        const int bits =
            format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
        checkPictureSize(size.width(), size.height(), bits);
    }

    // The part of a whole picture is cut out below: QImageReader's own cut would pad a smaller one.
    if (part.isValid() && size.isValid() && partial)
        reader.setClipRect(QRect(QPoint(0, 0), part).intersected(QRect(QPoint(0, 0), size)));

    QImage image;
    // Qt's readers write into the image they are given when size and format match, and some leave
    // pixels alone: the bitmap reader those that RLE data skips or that missing rows never reach,
    // the PNG reader the colour of transparent pixels in 16-bit pictures with a transparent
    // colour. Give them one that is already zero.
    if (format != QImage::Format_Invalid) {
        image = QImage(size, format);
        if (image.isNull())
            refuse(RuntimeError::OutOfMemory);
        image.fill(0);
    }

    device.clearRanOut();
    const bool read = reader.read(&image);
    if (device.ranOut() && !(read && scan.readerFindsCuts))
        refuseCutShort();
    if (!read || image.isNull()) {
        if (size.isValid() && format != QImage::Format_Invalid && QImage(size, format).isNull())
            refuse(RuntimeError::OutOfMemory);
        refuseDamaged();
    }
    if (part.isValid() && (image.width() > part.width() || image.height() > part.height()))
        image = image.copy(QRect(QPoint(0, 0), part).intersected(image.rect()));
    // A palette shorter than the indices in use (a damaged bitmap) leaves those pixels without a
    // colour; they become opaque black, as Qt's conversions already treat them.
    if (image.depth() <= 8 && image.colorCount() < (1 << image.depth())) {
        QList<QRgb> table = image.colorTable();
        table.resize(1 << image.depth(), qRgb(0, 0, 0));
        image.setColorTable(table);
    }
    return image;
}

// The reason a file cannot be opened or read, from errno.
[[noreturn]] void refuseFile(int error)
{
    switch (error) {
    case ENOENT:
        refuse(RuntimeError::FileNotFound);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        refuse(RuntimeError::PathNotFound);
    case EACCES:
    case EPERM:
        refuse(RuntimeError::PathFileAccessError, u"このファイルを読み取る許可がありません。"_s);
    case ENOMEM:
        refuse(RuntimeError::OutOfMemory);
    case EIO:
        refuse(RuntimeError::DeviceIOError);
    default:
        refuse(RuntimeError::PathFileAccessError,
               u"ファイルを読み取れません（エラー番号 %1）。"_s.arg(error));
    }
}

// Only a regular file is read: opening a pipe waits for a writer, and a device may never end.
void checkKind(const struct stat &st)
{
    if (S_ISDIR(st.st_mode))
        refuse(RuntimeError::PathFileAccessError, u"フォルダーです。"_s);
    if (!S_ISREG(st.st_mode)) {
        refuse(RuntimeError::PathFileAccessError,
               u"通常のファイルではありません（名前付きパイプ、ソケット、デバイスなど）。"_s);
    }
    if (st.st_size == 0)
        refuseEmpty();
    if (st.st_size > MaxPictureFileBytes)
        refuseLargeFile(st.st_size);
}

// The whole file, read at once. QFile cannot open without blocking on a pipe that replaced the
// file after it was looked at; open(2) with O_NONBLOCK can, and fstat then sees what was opened.
QByteArray readRegularFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st{};
    if (::stat(name.constData(), &st) != 0)
        refuseFile(errno);
    checkKind(st);

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
    checkKind(st);

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

// Whether a failed save to `path` of `bytes` failed for want of room. Qt gives a full disk its own
// error only where a write fails; where creating the temporary file fails, or the final flush,
// the disk itself tells: a folder we may write to, on a disk that lacks the room.
bool noRoomFor(const QString &path, qint64 bytes)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    const QStorageInfo storage(folder.filePath());
    return folder.isWritable() && storage.isValid() && !storage.isReadOnly()
           && storage.bytesAvailable() < bytes;
}

} // namespace

QImage decodePicture(const QByteArray &bytes, QSize part)
{
    try {
        return decode(bytes, part);
    } catch (const std::bad_alloc &) {
        refuse(RuntimeError::OutOfMemory);
    }
}

QImage LoadPicture(const QString &path, QSize part)
{
    if (path.isEmpty())
        return {};
    try {
        return decode(readRegularFile(path), part);
    } catch (const std::bad_alloc &) {
        refuse(RuntimeError::OutOfMemory);
    }
}

void SavePicture(const QImage &image, const QString &path)
{
    if (path.isEmpty())
        throw RuntimeError::withDetail(RuntimeError::PathNotFound, u"ファイル名がありません。"_s);

    // An opaque 24-bit bitmap, which every reader takes, made in memory first: writing it is then
    // one step whose failure has one cause.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "bmp");
        QImage bits = image.convertToFormat(QImage::Format_RGB888);
        bits.setDotsPerMeterX(SavedDotsPerMeter);
        bits.setDotsPerMeterY(SavedDotsPerMeter);
        if (!writer.write(bits))
            throw RuntimeError::withDetail(RuntimeError::PathFileAccessError, writer.errorString());
    }

    QSaveFile file(path);
    auto fail = [&](const QString &reason) {
        const bool full =
            file.error() == QFileDevice::ResourceError || noRoomFor(path, bytes.size());
        file.cancelWriting();
        if (full)
            throw RuntimeError::withDetail(
                RuntimeError::DiskFull,
                u"保存には %1 MB の空きが必要です。"_s.arg(megabytes(bytes.size())));
        throw RuntimeError::withDetail(RuntimeError::PathFileAccessError, reason);
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size())
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
}

} // namespace ui
