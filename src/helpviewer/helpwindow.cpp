// SPDX-License-Identifier: MIT

#include "helpwindow.h"

#include "picture/pictureio.h"
#include "ui/pictureio.h"

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
    if (path.isEmpty()) {
        m_browser->setPlainText(unreadableText(path, u"ファイル名が指定されていません。"_s));
        return false;
    }
    // Only a regular file of a help file's size: a pipe or a device in its place is refused, never
    // waited on or read without end.
    QByteArray bytes;
    try {
        bytes = picture::readRegularFile(path, MaxHelpFileBytes);
    } catch (const picture::PictureError &e) {
        const QString reason =
            e.kind() == picture::PictureError::Kind::FileTooLarge
                ? u"ファイルが大きすぎます（%1 バイト）。ヘルプファイルは %2 MB までです。"_s.arg(e.bytes).arg(
                      MaxHelpFileBytes >> 20)
                : ui::runtimeErrorOf(e).description();
        m_browser->setPlainText(unreadableText(path, reason));
        return false;
    }
    const QString text = QString::fromUtf8(bytes);
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
