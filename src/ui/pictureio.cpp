// SPDX-License-Identifier: MIT

#include "pictureio.h"

#include "qtimage.h"
#include "runtimeerror.h"

#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace ui {

namespace {

// The library's words for its errors, in Japanese whatever the locale.
const QTranslator &japanese()
{
    static const auto *translations = [] {
        auto *t = new QTranslator;
        if (!t->load(QLocale(QLocale::Japanese, QLocale::Japan),
                     QString::fromLatin1(picture::ReasonTranslationsName), u"_"_s,
                     picture::reasonTranslationsFolder()))
            qWarning("The Japanese words for picture errors are missing");
        return t;
    }();
    return *translations;
}

} // namespace

RuntimeError runtimeErrorOf(const picture::PictureError &error)
{
    using Kind = picture::PictureError::Kind;
    auto with = [&error](int number) {
        return RuntimeError::withDetail(number, picture::reasonText(error, &japanese()));
    };
    switch (error.kind()) {
    // The error's own description says all there is to say.
    case Kind::NotFound:
        return RuntimeError::withDetail(RuntimeError::FileNotFound, {});
    case Kind::PathNotFound:
        return RuntimeError::withDetail(RuntimeError::PathNotFound, {});
    case Kind::OutOfMemory:
        return RuntimeError::withDetail(RuntimeError::OutOfMemory, {});
    case Kind::DeviceError:
        return RuntimeError::withDetail(RuntimeError::DeviceIOError, {});
    case Kind::DiskFull:
        return error.bytes < 0 ? RuntimeError::withDetail(RuntimeError::DiskFull, {})
                               : with(RuntimeError::DiskFull);
    case Kind::QuotaExceeded:
        return with(RuntimeError::DiskFull);
    case Kind::NoFileName:
        return with(RuntimeError::PathNotFound);
    case Kind::NoPermission:
    case Kind::NotWritable:
    case Kind::FolderNotWritable:
    case Kind::ReadOnly:
    case Kind::Folder:
    case Kind::NotRegularFile:
    case Kind::ForeignLink:
    case Kind::SystemError:
    case Kind::WriteFailed:
    case Kind::OutputTooLarge:
        return with(RuntimeError::PathFileAccessError);
    case Kind::Empty:
    case Kind::FileTooLarge:
    case Kind::PictureTooLarge:
    case Kind::PictureTooDeep:
    case Kind::CutShort:
    case Kind::Damaged:
    case Kind::Unsupported:
    case Kind::UnknownFormat:
    case Kind::TooManyColours:
        return with(RuntimeError::InvalidPicture);
    }
    return RuntimeError::withDetail(RuntimeError::InternalError, {});
}

QImage LoadPicture(const QString &path, QSize part)
{
    return toQImage(loadPictureData(path, part));
}

picture::Image loadPictureData(const QString &path, QSize part)
{
    return withRuntimeErrors([&] { return picture::loadPicture(path, part); });
}

QImage decodePicture(const QByteArray &bytes, QSize part)
{
    return toQImage(withRuntimeErrors([&] { return picture::decodePicture(bytes, part); }));
}

void SavePicture(const QImage &image, const QString &path)
{
    withRuntimeErrors(
        [&] { picture::savePicture(fromQImage(image), path, picture::FileFormat::Bmp); });
}

void savePictureAs(const QImage &image, const QString &path)
{
    withRuntimeErrors([&] {
        picture::savePicture(fromQImage(image), path,
                             picture::formatOfName(path).value_or(picture::FileFormat::Png));
    });
}

} // namespace ui
