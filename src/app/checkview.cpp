// SPDX-License-Identifier: MIT

#include "checkview.h"

#include "toolwindowframe.h"

#include "picture/stereogramformat.h"
#include "picture/viewingaids.h"

#include "ui/imageview.h"
#include "ui/qtimage.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {

CheckView::CheckView(QWidget *owner) : QWidget(owner)
{
    makeToolWindow(this, u"CheckView"_s, caption());
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_view = new ui::ImageView(this);
    m_view->setObjectName(u"CheckViewPicture"_s);
    m_line = new QLabel(this);
    m_line->setObjectName(u"CheckViewAmbiguity"_s);
    m_mark = new QCheckBox(u"あいまいな点に印を付ける"_s, this);
    m_mark->setObjectName(u"CheckViewMark"_s);
    m_grey = new QCheckBox(u"灰色で表示"_s, this);
    m_grey->setObjectName(u"CheckViewGrey"_s);
    m_scroll = scrollFor(m_view, u"CheckViewScroll"_s, this);
    layout->addWidget(m_scroll);
    layout->addWidget(m_line);
    layout->addWidget(m_mark);
    layout->addWidget(m_grey);
    QObject::connect(m_mark, &QCheckBox::toggled, this, [this] { showRevealed(); });
    QObject::connect(m_grey, &QCheckBox::toggled, this, [this] { showRevealed(); });
    showRevealed();
}

QString CheckView::caption() { return u"立体の確認"_s; }

QString CheckView::ambiguityText(qint64 ambiguous)
{
    return u"あいまいな点（複数の高さが当てはまる点）: %1 / %2"_s.arg(ambiguous).arg(
        picture::DepthMapSize.width() * picture::DepthMapSize.height());
}

void CheckView::setStereogram(const QImage &stereogram)
{
    m_revealed = picture::reveal(ui::fromQImage(stereogram));
    showRevealed();
}

void CheckView::showRevealed()
{
    if (m_revealed.fault != picture::Revealed::Fault::None || m_revealed.depthMap.isNull()) {
        QImage blank(picture::DepthMapSize, QImage::Format_RGB32);
        blank.fill(Qt::black);
        m_view->setImage(blank);
        m_line->setText(m_revealed.depthMap.isNull() && m_revealed.fault == picture::Revealed::Fault::None
                            ? QString()
                            : u"この絵からは奥行きマップを読み取れません。"_s);
        return;
    }
    const picture::Image map = m_grey->isChecked() ? picture::greyLevels(m_revealed.depthMap)
                                                   : m_revealed.depthMap;
    m_view->setImage(ui::toQImage(
        m_mark->isChecked() ? picture::markAmbiguous(map, m_revealed.ambiguousAt) : map));
    m_line->setText(ambiguityText(m_revealed.ambiguous));
}

QImage CheckView::shownImage() const { return m_view->image(); }

} // namespace app
