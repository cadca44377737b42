// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QImage>
#include <QLockFile>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <unistd.h>

namespace editor {

// The canvas kept on disk while it holds painting that was not saved, so that no ending of the
// program loses it. Each running instance owns one draft file in the drafts folder, beside a lock
// file it holds for its life; a draft whose lock nobody holds any more is an orphan, found at the
// next start. Files are written whole through a temporary file, on a worker thread, one operation
// after the other in the order asked; painting never waits for the disk.
//
// A draft file: the magic "ZVDRAFT1", width, height and payload length (32-bit big-endian), the
// payload's SHA-256, then the payload, the canvas as PNG.
class DraftStore
{
public:
    // How long after a change the draft is written, at the latest.
    static constexpr int WriteDelayMs = 1000;
    static constexpr qint64 MaxDraftBytes = 16 * 1024 * 1024;

    // `folder` holds the drafts; it is made (for the user alone) when first needed.
    explicit DraftStore(QString folder = defaultFolder());
    // Writes a change still waiting, then waits for the writes asked.
    ~DraftStore();
    DraftStore(const DraftStore &) = delete;
    DraftStore &operator=(const DraftStore &) = delete;

    // The user's state folder: $XDG_STATE_HOME, or ~/.local/state, then "zomvorn/drafts".
    static QString defaultFolder();
    QString folder() const { return m_folder; }
    // This instance's draft file, whether it exists or not.
    QString draftPath() const;

    // What to keep when the write comes due: the canvas, or a null image for "nothing unsaved",
    // which removes the draft.
    void setSource(std::function<QImage()> source) { m_source = std::move(source); }
    // The canvas changed: the draft is written within WriteDelayMs.
    void changed();
    // Removes the draft (after a change still waiting is dropped).
    void remove();
    // Writes a change still waiting now, and waits until every write asked is done.
    void flush();
    void waitForIdle() { m_worker.waitForDone(); }
    // Why the last write failed; empty once one succeeds.
    QString lastError() const;

    // A draft left by an instance that is gone: its path, and its lock, now held here.
    struct Orphan
    {
        QString path;
        std::shared_ptr<QLockFile> lock;
    };
    // The newest orphan in the folder, if any; stale lock files without a draft are tidied away.
    std::optional<Orphan> takeOrphan();
    // Makes the orphan this instance's draft.
    void adopt(Orphan &orphan);
    // Deletes the orphan (the user declined it).
    static void discard(Orphan &orphan);
    // Moves a damaged orphan aside, out of the way of later starts; returns where it now is.
    static QString moveAside(Orphan &orphan);

    static QByteArray encode(const QImage &image);
    // The canvas a draft file holds. Raises ui::RuntimeError naming the true reason when the file
    // is not a whole, undamaged draft of `expected` size; nothing of a damaged draft is returned.
    static QImage read(const QString &path, QSize expected);
    static QImage decode(const QByteArray &bytes, QSize expected);

    // Why `folder` is no place for drafts, empty when it is: it must be a folder (no link) of the
    // user's own that no one else may enter. One of the user's own is made so.
    static QString privacyProblem(const QString &folder);
    // The user the folder must belong to. A seam for tests.
    static inline uid_t (*currentUser)() = ::geteuid;

private:
    bool ensureFolderAndLock();
    void writeNow();
    void enqueue(std::function<void()> job);
    void setError(const QString &error);

    QString m_folder;
    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    std::function<QImage()> m_source;
    QTimer m_timer;
    QThreadPool m_worker;
    mutable std::mutex m_errorMutex;
    QString m_lastError;
};

} // namespace editor
