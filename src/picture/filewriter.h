// SPDX-License-Identifier: MIT

#pragma once

#include "pictureerror.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace picture {

// Writes one file under one name, the only way either program writes a file.
//
// The target's folder is opened once, and everything after happens relative to it, so a link
// planted or flipped after the check is never followed. The last part of the name may be a
// symbolic link only when it belongs to the user running the program; it is resolved once, and
// the file is then written in the folder of the link's target (the link stays a link). A link of
// another user, a folder, a pipe, socket or device is refused.
//
// The bytes go to a temporary file in that folder; every write is checked; commit() syncs the data
// to the disk, gives the file its name in one step and syncs the folder. Only then is the file
// written. The new file keeps the mode (and, where permitted, the group) of the file it replaces.
// Any failure throws PictureError with the true reason and leaves the old file exactly as it was;
// a writer destroyed without commit() leaves nothing behind.
class FileWriter
{
public:
    struct Options
    {
        // The mode of a new file, before the user's umask. Drafts are private: 0600.
        mode_t newFileMode = 0666;
        // How many bytes the whole file will take, when known: a full disk then says how many.
        qint64 expectedBytes = -1;
    };

    explicit FileWriter(const QString &path) : FileWriter(path, Options{}) {}
    FileWriter(const QString &path, Options options);
    ~FileWriter();
    FileWriter(const FileWriter &) = delete;
    FileWriter &operator=(const FileWriter &) = delete;

    void write(const char *data, qint64 size);
    void write(const QByteArray &bytes) { write(bytes.constData(), bytes.size()); }
    // Overwrites bytes already written, at `offset` (a header that is only known at the end).
    void writeAt(qint64 offset, const char *data, qint64 size);
    qint64 written() const { return m_written; }
    // The room left on the file's disk for this user, -1 where the disk does not say.
    qint64 freeBytes() const;

    void commit();
    // Gives the file up: nothing is left behind.
    void cancel();

    // A seam for tests: called after the target is checked and before the temporary file is made,
    // the moment where another user might replace what the name holds.
    static void (*afterCheck)();

private:
    [[noreturn]] void fail(int error);

    QString m_path;
    Options m_options;
    int m_folder = -1;
    QByteArray m_folderName; // as given, for messages
    QByteArray m_name;       // the last part, in m_folder
    QByteArray m_tempName;   // empty while the temporary file has no name (O_TMPFILE)
    int m_fd = -1;
    bool m_replaces = false;
    qint64 m_written = 0;
};

// Refuses a name that is no place to write a file, before anything is written, by the rules of
// FileWriter: a folder, a pipe, socket or device, a link of another user, a missing folder, a
// file or folder the user may not write.
void checkWriteTarget(const QString &path);

// The whole of `bytes` under exactly that name, through FileWriter.
void writeFile(const QByteArray &bytes, const QString &path,
               FileWriter::Options options = FileWriter::Options{});

// The error a failed write with errno `error` means; `folder` is named where the folder itself may
// not be written, `bytes` where a full disk should say how much was needed.
PictureError writeErrorOf(int error, const QString &folder = {}, qint64 bytes = -1);

// Whether two names are the same file, links resolved (a name that does not exist is no file).
bool sameFile(const QString &a, const QString &b);

} // namespace picture
