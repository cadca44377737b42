// SPDX-License-Identifier: MIT

#include "filewriter.h"

#include "filename.h"
#include "pictureerror.h"

#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace picture {

void (*FileWriter::afterCheck)() = nullptr;

namespace {

using Kind = PictureError::Kind;

// How many links of the user's own are followed before the name counts as a loop.
constexpr int MaxOwnLinks = 8;

[[noreturn]] void refuse(Kind kind)
{
    throw PictureError(kind);
}

[[noreturn]] void refuseWriting(int error, const QByteArray &folder = {}, qint64 bytes = -1)
{
    throw writeErrorOf(error, folder.isEmpty() ? QString() : fileNameFromBytes(folder), bytes);
}

struct Split
{
    QByteArray folder;
    QByteArray name;
};

Split split(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {".", path};
    return {slash == 0 ? QByteArray("/") : path.first(slash), path.sliced(slash + 1)};
}

int openFolder(int at, const QByteArray &folder)
{
    const int fd = ::openat(at, folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        refuseWriting(errno == EACCES ? EACCES : errno, folder);
    return fd;
}

// Where a file named `path` is to be written: its folder, opened, and the last part of its name,
// with the user's own links resolved (each once) and everything else refused. When the name holds
// a file now, `exists` is set and `st` describes it.
struct Target
{
    int folder = -1;
    QByteArray folderName;
    QByteArray name;
    bool exists = false;
    struct stat st{};
};

Target resolve(const QString &path)
{
    if (path.isEmpty())
        refuse(Kind::NoFileName);
    Split at = split(fileNameBytes(path));
    Target target;
    target.folder = openFolder(AT_FDCWD, at.folder);
    target.folderName = at.folder;
    auto closeOnThrow = [&](auto step) {
        try {
            step();
        } catch (...) {
            ::close(target.folder);
            throw;
        }
    };
    closeOnThrow([&] {
        for (int links = 0;; ++links) {
            if (at.name.isEmpty() || at.name == "." || at.name == "..")
                refuse(Kind::Folder);
            target.name = at.name;
            if (::fstatat(target.folder, at.name.constData(), &target.st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT)
                    return; // a new file
                refuseWriting(errno);
            }
            if (S_ISLNK(target.st.st_mode)) {
                if (target.st.st_uid != ::geteuid())
                    refuse(Kind::ForeignLink);
                if (links == MaxOwnLinks)
                    refuse(Kind::PathNotFound);
                QByteArray to(4096, Qt::Uninitialized);
                const ssize_t n = ::readlinkat(target.folder, at.name.constData(), to.data(),
                                               size_t(to.size()));
                if (n < 0 || n == to.size())
                    refuseWriting(n < 0 ? errno : ENAMETOOLONG);
                to.truncate(n);
                const Split next = split(to);
                const int folder = openFolder(to.startsWith('/') ? AT_FDCWD : target.folder,
                                              next.folder);
                ::close(target.folder);
                target.folder = folder;
                target.folderName = to.startsWith('/') ? next.folder
                                                       : target.folderName + '/' + next.folder;
                at = next;
                continue;
            }
            if (S_ISDIR(target.st.st_mode))
                refuse(Kind::Folder);
            if (!S_ISREG(target.st.st_mode))
                refuse(Kind::NotRegularFile);
            // Replacing a file is writing it: one the user may not write stays.
            if (::faccessat(target.folder, at.name.constData(), W_OK, AT_EACCESS) != 0)
                refuseWriting(errno == EROFS ? EROFS : EACCES);
            target.exists = true;
            return;
        }
    });
    return target;
}

} // namespace

PictureError writeErrorOf(int error, const QString &folder, qint64 bytes)
{
    switch (error) {
    case ENOSPC:
    case EFBIG: { // or the largest file the process may write
        PictureError e(Kind::DiskFull);
        e.bytes = bytes;
        return e;
    }
    case EDQUOT:
        return PictureError(Kind::QuotaExceeded);
    case EROFS:
        return PictureError(Kind::ReadOnly);
    case EACCES:
    case EPERM: {
        if (folder.isEmpty())
            return PictureError(Kind::NotWritable);
        PictureError e(Kind::FolderNotWritable);
        e.detail = shownFileName(folder);
        return e;
    }
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return PictureError(Kind::PathNotFound);
    case ENOMEM:
        return PictureError(Kind::OutOfMemory);
    case EIO:
        return PictureError(Kind::DeviceError);
    default: {
        PictureError e(Kind::SystemError);
        e.code = error;
        return e;
    }
    }
}

FileWriter::FileWriter(const QString &path, Options options) : m_path(path), m_options(options)
{
    Target target = resolve(path);
    m_folder = target.folder;
    m_folderName = target.folderName;
    m_name = target.name;
    m_replaces = target.exists;
    if (afterCheck)
        afterCheck();

    // A file without a name until it is complete: nothing is left behind, whatever stops us.
    m_fd = ::openat(m_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, options.newFileMode);
    if (m_fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int tries = 0; m_fd < 0 && tries < 100; ++tries) {
            m_tempName = ".zomvorn-" + QByteArray::number(QRandomGenerator::global()->generate(), 36)
                         + ".tmp";
            m_fd = ::openat(m_folder, m_tempName.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            options.newFileMode);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
    }
    if (m_fd < 0) {
        m_tempName.clear();
        const int error = errno;
        ::close(m_folder);
        m_folder = -1;
        refuseWriting(error, m_folderName, m_options.expectedBytes);
    }
    if (m_replaces) {
        // The old file's permissions, and its owner and group where the user may give them.
        if (::fchmod(m_fd, target.st.st_mode & 07777) != 0)
            fail(errno);
        if (::geteuid() == 0)
            (void)::fchown(m_fd, target.st.st_uid, target.st.st_gid);
        else if (target.st.st_gid != ::getegid())
            (void)::fchown(m_fd, uid_t(-1), target.st.st_gid);
    }
}

FileWriter::~FileWriter()
{
    cancel();
}

void FileWriter::cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.isEmpty()) {
        ::unlinkat(m_folder, m_tempName.constData(), 0);
        m_tempName.clear();
    }
    if (m_folder >= 0) {
        ::close(m_folder);
        m_folder = -1;
    }
}

void FileWriter::fail(int error)
{
    cancel();
    refuseWriting(error, m_folderName,
                  m_options.expectedBytes >= 0 ? m_options.expectedBytes : m_written);
}

void FileWriter::write(const char *data, qint64 size)
{
    if (m_fd < 0)
        fail(EBADF); // given up already: nothing more is written
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(errno);
        if (n == 0)
            fail(ENOSPC);
        data += n;
        size -= n;
        m_written += n;
    }
}

qint64 FileWriter::freeBytes() const
{
    struct statvfs fs{};
    if (m_folder < 0 || ::fstatvfs(m_folder, &fs) != 0)
        return -1;
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

void FileWriter::writeAt(qint64 offset, const char *data, qint64 size)
{
    Q_ASSERT(offset + size <= m_written);
    if (m_fd < 0)
        fail(EBADF);
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, data, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
        data += n;
        size -= n;
        offset += n;
    }
}

void FileWriter::commit()
{
    if (m_fd < 0)
        fail(EBADF);
    // The data is on the disk before it takes the old file's name: a crash leaves one or the other.
    if (::fsync(m_fd) != 0)
        fail(errno);
    if (m_tempName.isEmpty()) {
        // Give the unnamed file a name of its own in the folder, then move it onto the target.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        for (int tries = 0; tries < 100; ++tries) {
            const QByteArray name = ".zomvorn-"
                                    + QByteArray::number(QRandomGenerator::global()->generate(), 36)
                                    + ".tmp";
            if (::linkat(AT_FDCWD, self.constData(), m_folder, name.constData(), AT_SYMLINK_FOLLOW)
                == 0) {
                m_tempName = name;
                break;
            }
            if (errno != EEXIST)
                fail(errno);
        }
        if (m_tempName.isEmpty())
            fail(EEXIST);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        fail(error);
    }
    // rename(2) replaces whatever the name holds now without following it: a link planted since
    // the check is replaced, never written through.
    if (::renameat(m_folder, m_tempName.constData(), m_folder, m_name.constData()) != 0)
        fail(errno == EISDIR ? EISDIR : errno);
    m_tempName.clear();
    // The new name is on the disk too. A file system that cannot sync a folder has nothing to sync.
    if (::fsync(m_folder) != 0 && errno != EINVAL && errno != EROFS) {
        const int error = errno;
        ::close(m_folder);
        m_folder = -1;
        refuseWriting(error, m_folderName);
    }
    ::close(m_folder);
    m_folder = -1;
}

void checkWriteTarget(const QString &path)
{
    const Target target = resolve(path);
    const bool folderWritable = ::faccessat(target.folder, ".", W_OK, AT_EACCESS) == 0;
    const int error = errno;
    struct statvfs fs{};
    const bool readOnly = ::fstatvfs(target.folder, &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0;
    ::close(target.folder);
    if (readOnly)
        refuse(Kind::ReadOnly);
    if (!folderWritable)
        refuseWriting(error == EROFS ? EROFS : EACCES, target.folderName);
}

void writeFile(const QByteArray &bytes, const QString &path, FileWriter::Options options)
{
    options.expectedBytes = bytes.size();
    FileWriter file(path, options);
    file.write(bytes);
    file.commit();
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa{};
    struct stat sb{};
    return ::stat(fileNameBytes(a).constData(), &sa) == 0
           && ::stat(fileNameBytes(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
           && sa.st_ino == sb.st_ino;
}

} // namespace picture
