#include "controls.h"

#include "picturebox.h"
#include "twips.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace ui {

QString labelFontFamily()
{
    return u"ＭＳ Ｐゴシック"_s;
}

QLabel *label(QWidget *parent, const QString &objectName, QRect twips, const QString &caption,
              qreal points, int fontStyle, Align align)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(objectName);
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(twipsRect(twips));
    QFont font(labelFontFamily());
    font.setPointSizeF(points);
    font.setBold(fontStyle & Bold);
    font.setItalic(fontStyle & Italic);
    l->setFont(font);
    l->setAlignment(Qt::AlignTop | (align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft));
    return l;
}

QPushButton *button(QWidget *parent, const QString &objectName, QRect twips,
                    const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setGeometry(twipsRect(twips));
    // No default button: Enter does not press these.
    b->setAutoDefault(false);
    return b;
}

QScrollBar *hscroll(QWidget *parent, const QString &objectName, QRect twips, int max)
{
    auto *s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(objectName);
    s->setGeometry(twipsRect(twips));
    s->setRange(0, max);
    s->setSingleStep(1);
    s->setPageStep(2);
    s->setFocusPolicy(Qt::StrongFocus);
    return s;
}

PictureBox *picture(QWidget *parent, const QString &objectName, QRect twips, Colour back,
                    PictureSurface::FillStyle fill)
{
    auto *p = new PictureBox(parent, twipsRect(twips), back, fill);
    p->setObjectName(objectName);
    return p;
}

QAction *menuItem(QMenu *menu, const QString &objectName, const QString &caption,
                  const QKeySequence &shortcut)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(objectName);
    a->setShortcut(shortcut);
    return a;
}

QAction *separator(QMenu *menu, const QString &objectName)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(objectName);
    return a;
}

} // namespace ui
