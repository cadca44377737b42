// SPDX-License-Identifier: MIT

#include "progressline.h"

#include <QTextStream>

namespace cli {

ProgressLine::ProgressLine(QTextStream &err, bool enabled) : m_err(err), m_enabled(enabled) {}

ProgressLine::~ProgressLine()
{
    end();
}

void ProgressLine::update(const QString &text)
{
    if (!m_enabled || (m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < 100))
        return;
    draw(text);
}

void ProgressLine::finish(const QString &text)
{
    if (!m_enabled)
        return;
    draw(text);
    end();
}

void ProgressLine::end()
{
    if (!m_open)
        return;
    m_err << '\n';
    m_err.flush();
    m_open = false;
    m_width = 0;
}

void ProgressLine::draw(const QString &text)
{
    // Spaces wipe what a longer line before left behind.
    m_err << '\r' << text << QString(std::max<qsizetype>(0, m_width - text.size()), u' ');
    m_err.flush();
    m_width = text.size();
    m_open = true;
    m_sinceDrawn.start();
}

} // namespace cli
