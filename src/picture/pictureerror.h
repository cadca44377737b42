// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

#include <exception>
#include <new>
#include <utility>

class QTranslator;

namespace picture {

// Why a picture could not be read or written: a kind, and the figures that go with it. It is the
// one error the library throws; running out of memory is one of its kinds (see guarded below).
class PictureError : public std::exception
{
public:
    enum class Kind {
        NoFileName,        // an empty file name
        NotFound,          // no file of that name
        PathNotFound,      // a folder on the way is missing or no folder, the name is too long,
                           // or links loop
        NoPermission,      // the user may not read the file
        NotWritable,       // the user may not write the file
        FolderNotWritable, // the user may not write in the folder `detail`
        ReadOnly,          // the file system is mounted read-only
        Folder,            // the name is a folder
        NotRegularFile,    // a pipe, socket or device
        ForeignLink,       // the name is a symbolic link that another user owns
        Empty,             // 0 bytes
        FileTooLarge,      // `bytes` long, more than `limit`
        PictureTooLarge,   // `width` x `height` pixels, more than `limit` each way
        PictureTooDeep,    // `width` x `height` pixels needing `bytes` decoded, more than `limit`
        CutShort,          // the file ends before the picture does
        Damaged,           // a length or field no reader accepts
        Unsupported,       // a well-formed variant that the readers do not decode
        UnknownFormat,     // not one of the formats read (BMP, PNG, GIF, JPEG)
        OutOfMemory,
        DeviceError,       // the device reported an I/O error
        SystemError,       // another error of the system, number `code`
        DiskFull,          // `bytes` needed to write it; `limit` free, where that is known
        QuotaExceeded,     // the user's disk quota is used up
        WriteFailed,       // `detail`: the writer's own words
        TooManyColours,    // a GIF frame of `count` colours, more than `limit`
        OutputTooLarge,    // the file would be more than `limit` bytes, which its format holds
    };

    explicit PictureError(Kind kind) : m_kind(kind) {}

    Kind kind() const { return m_kind; }

    qint64 width = -1;
    qint64 height = -1;
    qint64 bytes = -1;
    qint64 limit = -1;
    int code = 0;
    qint64 count = -1;
    QString detail;

    const char *what() const noexcept override { return "picture error"; }

private:
    Kind m_kind;
};

// The reason in words, for the end of a message: in English as written in pictureerror.cpp, or in
// the language of the translations installed (context "picture::PictureError"). `translations`,
// where given, is asked instead: the desktop program speaks Japanese whatever the locale.
QString reasonText(const PictureError &error, const QTranslator *translations = nullptr);

// The library's Japanese words for its errors (a resource of the library), to install or to hand
// to reasonText.
QString reasonTranslationsFolder();
inline constexpr char ReasonTranslationsName[] = "zomira-picture";

// Runs `work` with an allocation that fails turned into PictureError's OutOfMemory, for the
// library's functions that make large pictures: the programs then catch the one error type.
template<typename Work>
decltype(auto) guarded(Work &&work)
{
    try {
        return std::forward<Work>(work)();
    } catch (const std::bad_alloc &) {
        throw PictureError(PictureError::Kind::OutOfMemory);
    }
}

} // namespace picture
