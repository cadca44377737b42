// SPDX-License-Identifier: MIT

#pragma once

#include <QLabel>
#include <QRect>
#include <QStringList>
#include <QWidget>

// The controls of a laid-out window that cover one another, as "a / b". A control that was never
// put into the window's layout stays in its top left corner, over whatever is there. Qt's own
// parts of a control (named qt_...) and controls inside one another are not compared.
inline QStringList overlappingControls(const QWidget &window)
{
    auto own = [&window](const QWidget *w) {
        for (; w && w != &window; w = w->parentWidget())
            if (w->objectName().startsWith(u"qt_"))
                return false;
        return true;
    };
    auto name = [](const QWidget *w) {
        if (!w->objectName().isEmpty())
            return w->objectName();
        const auto *label = qobject_cast<const QLabel *>(w);
        return QString::fromLatin1(w->metaObject()->className())
               + (label ? QStringLiteral(" ") + label->text() : QString());
    };
    QList<const QWidget *> shown;
    for (const QWidget *w : window.findChildren<QWidget *>())
        if (w->isVisibleTo(&window) && own(w))
            shown << w;
    QStringList found;
    for (qsizetype i = 0; i < shown.size(); ++i)
        for (qsizetype j = i + 1; j < shown.size(); ++j) {
            const QWidget *a = shown[i];
            const QWidget *b = shown[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a))
                continue;
            if (QRect(a->mapTo(&window, QPoint()), a->size())
                    .intersects(QRect(b->mapTo(&window, QPoint()), b->size())))
                found << name(a) + QStringLiteral(" / ") + name(b);
        }
    return found;
}
