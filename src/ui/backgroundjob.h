// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>

class QWidget;

namespace ui {

// What a job running off the window's thread shares with the window: キャンセル's flag, which the
// job reads between its steps, and how far it has come.
class JobState
{
public:
    bool cancelled() const { return m_cancel.load(); }
    const std::atomic<bool> *cancelFlag() const { return &m_cancel; }
    void cancel() { m_cancel = true; }

    // Called by the job, from its thread: `done` steps of `total`.
    void progress(qint64 done, qint64 total);
    // The same, in the form the generators and writers take.
    std::function<void(int, int)> progressFunction();
    // How far the job is, 0 to 1000.
    int permille() const;

private:
    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
};

// Runs `work` on a thread of its own and returns what it returned once it has ended: false when it
// stopped for キャンセル. Meanwhile the window's thread keeps answering (it paints, windows move and are
// redrawn). A job that ends within `quiet` shows nothing, and the user's input waits until it has;
// a longer one shows a modal window of `parent` with `text`, a progress bar and キャンセル, which
// sets the job's flag (so do Escape and the title bar's close button). Whatever `work` throws is
// thrown again here, on the window's thread.
bool runWithProgress(QWidget *parent, const QString &caption, const QString &text,
                     const std::function<bool(JobState &)> &work,
                     std::chrono::milliseconds quiet = std::chrono::milliseconds(250));

} // namespace ui
