// SPDX-License-Identifier: MIT

#include "pictureerror.h"

#include <QCoreApplication>
#include <QTranslator>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace picture {

namespace {

constexpr char Context[] = "picture::PictureError";

QString megabytes(qint64 bytes)
{
    // A few kilobytes are not "0.0 MB": anything at all shows as at least 0.1.
    const double shown = bytes > 0 ? std::max(double(bytes) / 1e6, 0.1) : 0.0;
    return QString::number(shown, 'f', bytes < 10'000'000 ? 1 : 0);
}

} // namespace

QString reasonTranslationsFolder()
{
    return u":/zomira-picture/i18n"_s;
}

QString reasonText(const PictureError &error, const QTranslator *translations)
{
    auto tr = [translations](const char *source) {
        if (!translations)
            return QCoreApplication::translate(Context, source);
        const QString translated = translations->translate(Context, source);
        return translated.isEmpty() ? QString::fromUtf8(source) : translated;
    };
#define WORDS(text) tr(QT_TRANSLATE_NOOP("picture::PictureError", text))
    using Kind = PictureError::Kind;
    switch (error.kind()) {
    case Kind::NoFileName:
        return WORDS("no file name");
    case Kind::NotFound:
        return WORDS("file not found");
    case Kind::PathNotFound:
        return WORDS("path not found");
    case Kind::NoPermission:
        return WORDS("no permission to read it");
    case Kind::NotWritable:
        return WORDS("no permission to write it");
    case Kind::FolderNotWritable:
        return WORDS("no permission to write in the folder %1").arg(error.detail);
    case Kind::ReadOnly:
        return WORDS("the disk is read-only");
    case Kind::Folder:
        return WORDS("it is a folder");
    case Kind::NotRegularFile:
        return WORDS("not a regular file (a named pipe, socket or device)");
    case Kind::ForeignLink:
        return WORDS("a symbolic link that belongs to another user; not followed");
    case Kind::Empty:
        return WORDS("the file is empty (0 bytes)");
    case Kind::FileTooLarge:
        return WORDS("too large: the file is %1 MB; files up to %2 MB are read")
            .arg(megabytes(error.bytes), megabytes(error.limit));
    case Kind::PictureTooLarge:
        return WORDS("too large: %1 x %2 pixels; pictures up to %3 x %3 pixels are read")
            .arg(error.width)
            .arg(error.height)
            .arg(error.limit);
    case Kind::PictureTooDeep:
        return WORDS("too large: %1 x %2 pixels take %3 MB decoded; up to %4 MB are read")
            .arg(error.width)
            .arg(error.height)
            .arg(megabytes(error.bytes), megabytes(error.limit));
    case Kind::CutShort:
        return WORDS("the file is cut short");
    case Kind::Damaged:
        return WORDS("the picture is damaged");
    case Kind::Unsupported:
        return WORDS("a kind of picture that is not supported");
    case Kind::UnknownFormat:
        return WORDS("not a picture, or a format that is not read (BMP, PNG, GIF and JPEG are)");
    case Kind::OutOfMemory:
        return WORDS("out of memory");
    case Kind::DeviceError:
        return WORDS("device I/O error");
    case Kind::SystemError:
        return WORDS("cannot access the file (%1)").arg(QString::fromLocal8Bit(std::strerror(error.code)));
    case Kind::DiskFull:
        if (error.bytes >= 0 && error.limit >= 0)
            return WORDS("the disk is full: %1 MB are needed, %2 MB are free")
                .arg(megabytes(error.bytes), megabytes(error.limit));
        return error.bytes < 0 ? WORDS("the disk is full")
                               : WORDS("the disk is full: %1 MB are needed").arg(megabytes(error.bytes));
    case Kind::QuotaExceeded:
        return WORDS("the disk quota is used up");
    case Kind::WriteFailed:
        return error.detail;
    case Kind::TooManyColours:
        return WORDS("a frame has %1 colours; a GIF frame holds at most %2 (WebP holds any)")
            .arg(error.count)
            .arg(error.limit);
    case Kind::OutputTooLarge:
        return WORDS("the file would be larger than its format allows (%1 MB)").arg(megabytes(error.limit));
    }
#undef WORDS
    return {};
}

} // namespace picture
