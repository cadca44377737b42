// SPDX-License-Identifier: MIT

#include "helpwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

bool HelpWindow::showFile(const QString &path)
{
    m_shownFile.clear();
    QFile file(path);
    if (path.isEmpty() || QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        const QString reason = path.isEmpty() ? u"ファイル名が指定されていません。"_s
                                              : file.errorString();
        m_browser->setPlainText(unreadableText(path, reason));
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
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
