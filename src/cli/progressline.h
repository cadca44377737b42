// SPDX-License-Identifier: MIT

#pragma once

#include <QElapsedTimer>
#include <QString>

class QTextStream;

namespace cli {

// One line on a terminal, redrawn in place as work goes on: at most ten times a second, and not
// at all when disabled (stderr is no terminal, or --quiet).
class ProgressLine
{
public:
    ProgressLine(QTextStream &err, bool enabled);
    ~ProgressLine();

    void update(const QString &text);
    // Draws `text` whatever the time, and ends the line.
    void finish(const QString &text);
    // Ends the line, so that a message starts on a line of its own.
    void end();

private:
    void draw(const QString &text);

    QTextStream &m_err;
    bool m_enabled;
    bool m_open = false;
    qsizetype m_width = 0;
    QElapsedTimer m_sinceDrawn;
};

} // namespace cli
