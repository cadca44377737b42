// SPDX-License-Identifier: MIT

#include "backgroundjob.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <memory>

using namespace Qt::StringLiterals;

namespace ui {

void JobState::progress(qint64 done, qint64 total)
{
    m_total = std::max<qint64>(0, total);
    m_done = std::clamp<qint64>(done, 0, std::max<qint64>(0, total));
}

std::function<void(int, int)> JobState::progressFunction()
{
    return [this](int done, int total) { progress(done, total); };
}

int JobState::permille() const
{
    const qint64 total = m_total.load();
    return total > 0 ? int(std::min<qint64>(1000, m_done.load() * 1000 / total)) : 0;
}

namespace {

// The window of a job that takes long: its text, the bar and キャンセル.
class ProgressWindow : public QDialog
{
public:
    ProgressWindow(QWidget *parent, const QString &caption, const QString &text, JobState &job)
        : QDialog(parent), m_job(job)
    {
        setObjectName(u"JobProgress"_s);
        setWindowTitle(caption);
        setWindowModality(Qt::ApplicationModal);
        m_text = new QLabel(text, this);
        m_bar = new QProgressBar(this);
        m_bar->setObjectName(u"Progress"_s);
        m_bar->setRange(0, 1000);
        m_bar->setMinimumWidth(320);
        m_cancel = new QPushButton(u"キャンセル"_s, this);
        m_cancel->setObjectName(u"Cancel"_s);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(m_cancel);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_text);
        layout->addWidget(m_bar);
        layout->addLayout(buttons);
        connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    }

    void update() { m_bar->setValue(m_job.permille()); }

    // Escape, the close button and キャンセル stop the job; the window goes when the job has.
    void reject() override
    {
        m_job.cancel();
        m_cancel->setEnabled(false);
        m_text->setText(u"キャンセルしています..."_s);
    }

private:
    JobState &m_job;
    QLabel *m_text = nullptr;
    QProgressBar *m_bar = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace

bool runWithProgress(QWidget *parent, const QString &caption, const QString &text,
                     const std::function<bool(JobState &)> &work, std::chrono::milliseconds quiet)
{
    JobState job;
    std::exception_ptr failure;
    bool finished = false;
    std::atomic<bool> ended{false};
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            finished = work(job);
        } catch (...) {
            failure = std::current_exception();
        }
        ended = true;
    }));
    thread->start();

    // The loop looks at the job every few milliseconds: no signal from the job's thread can be
    // missed between one loop and the next.
    QEventLoop loop;
    QTimer watch;
    watch.setInterval(10);
    QElapsedTimer since;
    since.start();
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (ended || since.elapsed() >= quiet.count())
            loop.quit();
    });
    watch.start();
    // Most jobs end in this while: no window comes and goes, and no input is taken that the job's
    // end would make stale.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!ended) {
        // Over the window the user sees: the one asked for may not be shown yet.
        if (!parent || !parent->isVisible())
            parent = QApplication::activeWindow();
        ProgressWindow window(parent, caption, text, job);
        QObject::disconnect(&watch, nullptr, &loop, nullptr);
        QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
            window.update();
            if (ended)
                loop.quit();
        });
        window.update();
        window.show();
        loop.exec();
        window.hide();
    }
    watch.stop();
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
    return finished;
}

} // namespace ui
