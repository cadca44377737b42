// SPDX-License-Identifier: MIT

#pragma once

#include <QMainWindow>

class QTextBrowser;

namespace helpviewer {

// A window that shows one help file: HTML, or plain text. A file that cannot be read is said so in
// the window itself. It carries the program's icon and closes with Escape or Ctrl+W.
class HelpWindow : public QMainWindow
{
public:
    // The largest help file shown: the program's own is a few kilobytes.
    static constexpr qint64 MaxHelpFileBytes = 4 << 20;
    HelpWindow();

    // Shows the file; false (and a message in the window) when it could not be read.
    bool showFile(const QString &path);

    // The file shown now; empty when the last one could not be read.
    QString shownFile() const { return m_shownFile; }

    // Shows the window, restored if it was minimised, in front and active.
    void bringToFront();

    QTextBrowser *browser() const { return m_browser; }

    static QString unreadableText(const QString &path, const QString &reason);

private:
    QTextBrowser *m_browser;
    QString m_shownFile;
};

} // namespace helpviewer
