// SPDX-License-Identifier: MIT

#pragma once

#include "colour.h"
#include "picturesurface.h"

#include <QKeySequence>
#include <QRect>
#include <QString>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QWidget;

namespace ui {

class PictureBox;

// Builders for the controls of the program's windows, placed by twips geometry. Each window's own
// layout (its FormNUi) lives beside the window and is made of these.

enum class Align { Left, Centre };
enum FontStyle { Regular = 0, Bold = 1, Italic = 2 };

QLabel *label(QWidget *parent, const QString &objectName, QRect twips, const QString &caption,
              qreal points, int fontStyle, Align align);
QPushButton *button(QWidget *parent, const QString &objectName, QRect twips,
                    const QString &caption);
QScrollBar *hscroll(QWidget *parent, const QString &objectName, QRect twips, int max);
PictureBox *picture(QWidget *parent, const QString &objectName, QRect twips, Colour back,
                    PictureSurface::FillStyle fill);
QAction *menuItem(QMenu *menu, const QString &objectName, const QString &caption,
                  const QKeySequence &shortcut = {});
QAction *separator(QMenu *menu, const QString &objectName);

// The font the labels name, mapped to an installed Japanese Gothic at start-up.
QString labelFontFamily();

} // namespace ui
