// SPDX-License-Identifier: MIT

#include "controls.h"

#include "picturebox.h"
#include "twips.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace ui {

QString labelFontFamily()
{
    return u"ＭＳ Ｐゴシック"_s;
}

namespace {

// A label that stays bold at every screen scale. The labels' font has no bold face, so its bold is
// made by thickening the glyphs by an amount fixed by the font's own size. At a screen scale other
// than 1 Qt draws text from glyphs made at the device's size, thickened by that same amount, so
// the bold grows thin (at scale 2 it is hard to tell from regular). A bold label is drawn there
// from the outline of its text at the font's own size, enlarged with the rest of the window.
class ScaledBoldLabel final : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (!font().bold() || devicePixelRatioF() == 1.0) {
            QLabel::paintEvent(event);
            return;
        }
        // One line, placed as QLabel places it: at the top, left or centred.
        const QFontMetricsF metrics(font());
        const QRectF area(contentsRect());
        qreal x = area.left();
        if (alignment() & Qt::AlignHCenter)
            x += (area.width() - metrics.horizontalAdvance(text())) / 2;
        QPainterPath outline;
        outline.addText(QPointF(x, area.top() + metrics.ascent()), font(), text());
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(outline, palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                            foregroundRole()));
    }
};

} // namespace

QLabel *label(QWidget *parent, const QString &objectName, QRect twips, const QString &caption,
              qreal points, int fontStyle, Align align)
{
    auto *l = new ScaledBoldLabel(caption, parent);
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
    // No default button: Enter presses only the button that has the focus (ui::Form does that).
    b->setAutoDefault(false);
    return b;
}

namespace {

// A scroll bar that shows when it has the keyboard focus, which Qt's styles do not draw for one.
class FocusShowingScrollBar final : public QScrollBar
{
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QScrollBar::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Highlight), FocusLineWidth));
        p.setBrush(Qt::NoBrush);
        const qreal inset = FocusLineWidth / 2.0;
        p.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }

private:
    static constexpr int FocusLineWidth = 2;
};

} // namespace

QScrollBar *hscroll(QWidget *parent, const QString &objectName, QRect twips, int max)
{
    auto *s = new FocusShowingScrollBar(Qt::Horizontal, parent);
    s->setObjectName(objectName);
    s->setGeometry(twipsRect(twips));
    s->setRange(0, max);
    s->setSingleStep(1);
    s->setPageStep(2);
    // Tab and a click give it the focus.
    s->setFocusPolicy(Qt::StrongFocus);
    // The keys follow the value, as the scale beside it reads: right, up and Page Up raise it,
    // left, down and Page Down lower it (a scroll bar's default runs the other way).
    s->setInvertedControls(false);
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
