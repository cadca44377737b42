// SPDX-License-Identifier: MIT

#pragma once

#include <QScrollArea>
#include <QSize>
#include <QString>

namespace app {

// What the tool windows have in common: how they are made windows and how their pictures scroll.

// A window of its own that stays above the main window and goes with it.
void makeToolWindow(QWidget *window, const QString &objectName, const QString &title);

// The smallest a picture's scroll area is made, each way.
inline constexpr int MinimumView = 80;
// Between a tool window and the windows it keeps clear of.
inline constexpr int Gap = 8;

// A picture's scroll area as large as the picture, or as a limit allows, with scroll bars then.
class FittedScroll final : public QScrollArea
{
public:
    FittedScroll(QWidget *view, const QString &objectName, QWidget *parent);

    void setLimit(QSize limit);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    QSize m_limit;
};

QScrollArea *scrollFor(QWidget *view, const QString &objectName, QWidget *parent);

// The picture changed its size: the scroll area follows it.
void viewResized(QScrollArea *scroll);

} // namespace app
