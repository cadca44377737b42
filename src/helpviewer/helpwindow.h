#pragma once

#include <QMainWindow>

class QTextBrowser;

namespace helpviewer {

// A window that shows one help file: HTML, or plain text. A file that cannot be read is said so in
// the window itself.
class HelpWindow : public QMainWindow
{
public:
    HelpWindow();

    // Shows the file; false (and a message in the window) when it could not be read.
    bool showFile(const QString &path);

    QTextBrowser *browser() const { return m_browser; }

    static QString unreadableText(const QString &path, const QString &reason);

private:
    QTextBrowser *m_browser;
};

} // namespace helpviewer
