// SPDX-License-Identifier: MIT

#include "helpwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QTextBrowser>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace helpviewer {

HelpWindow::HelpWindow() : m_browser(new QTextBrowser(this))
{
    setWindowTitle(u"ZOMIRA -VORNA- ヘルプ"_s);
    setWindowIcon(QIcon(u":/zomvorn/zomvorn.xpm"_s));
    m_browser->setOpenExternalLinks(false);
    setCentralWidget(m_browser);
    resize(640, 560);

    auto *closeAction = new QAction(this);
    closeAction->setObjectName(u"closeHelp"_s);
    closeAction->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);
}

void HelpWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

QString HelpWindow::unreadableText(const QString &path, const QString &reason)
{
    return u"ヘルプファイル「%1」を開けませんでした。\n%2"_s.arg(QDir::toNativeSeparators(path),
                                                              reason);
}

namespace {

// The help file's bytes, or why there are none. Only a regular file of at most MaxHelpFileBytes
// is read, opened without blocking: a pipe or a device in its place is refused, never waited on.
std::optional<QByteArray> readHelpFile(const QString &path, QString &reason)
{
    if (path.isEmpty()) {
        reason = u"ファイル名が指定されていません。"_s;
        return std::nullopt;
    }
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    struct stat st{};
    if (::fstat(fd, &st) != 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = u"通常のファイルではありません。"_s;
        return std::nullopt;
    }
    if (st.st_size > HelpWindow::MaxHelpFileBytes) {
        reason = u"ファイルが大きすぎます（%1 バイト）。ヘルプファイルは %2 MB までです。"_s
                     .arg(st.st_size)
                     .arg(HelpWindow::MaxHelpFileBytes >> 20);
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reason = QString::fromLocal8Bit(std::strerror(errno));
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

} // namespace

bool HelpWindow::showFile(const QString &path)
{
    m_shownFile.clear();
    QString reason;
    const std::optional<QByteArray> bytes = readHelpFile(path, reason);
    if (!bytes) {
        m_browser->setPlainText(unreadableText(path, reason));
        return false;
    }
    const QString text = QString::fromUtf8(*bytes);
    m_browser->setSearchPaths({QFileInfo(path).absolutePath()});
    if (Qt::mightBeRichText(text))
        m_browser->setHtml(text);
    else
        m_browser->setPlainText(text);
    if (const QString title = m_browser->documentTitle(); !title.isEmpty())
        setWindowTitle(title);
    m_shownFile = path;
    return true;
}

} // namespace helpviewer
