// SPDX-License-Identifier: MIT

#include "toolwindowframe.h"

#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace app {

void makeToolWindow(QWidget *window, const QString &objectName, const QString &title)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
}

FittedScroll::FittedScroll(QWidget *view, const QString &objectName, QWidget *parent)
    : QScrollArea(parent)
{
    setObjectName(objectName);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setWidget(view);
}

void FittedScroll::setLimit(QSize limit)
{
    m_limit = limit;
    updateGeometry();
}

QSize FittedScroll::sizeHint() const
{
    const QSize full = widget() ? widget()->size() : QSize(1, 1);
    if (!m_limit.isValid())
        return full;
    const int barHigh = horizontalScrollBar()->sizeHint().height();
    const int barWide = verticalScrollBar()->sizeHint().width();
    bool wide = full.width() > m_limit.width();
    const bool tall = full.height() + (wide ? barHigh : 0) > m_limit.height();
    wide = wide || (tall && full.width() + barWide > m_limit.width());
    return {wide ? m_limit.width() : full.width() + (tall ? barWide : 0),
            tall ? m_limit.height() : full.height() + (wide ? barHigh : 0)};
}

QScrollArea *scrollFor(QWidget *view, const QString &objectName, QWidget *parent)
{
    return new FittedScroll(view, objectName, parent);
}

void viewResized(QScrollArea *scroll)
{
    scroll->widget()->adjustSize();
    scroll->updateGeometry();
}

} // namespace app
