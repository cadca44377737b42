// SPDX-License-Identifier: MIT

#include "preview.h"

#include "toolwindowframe.h"

#include "picture/reveal.h"
#include "picture/stereopictures.h"
#include "stereo/stereogramgenerator.h"

#include "ui/imageview.h"
#include "ui/qtimage.h"

#include <QCheckBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {

Preview::Preview(std::function<QImage()> canvas, std::function<qint16()> iroIndex, QWidget *owner)
    : QWidget(owner), m_canvas(std::move(canvas)), m_iroIndex(std::move(iroIndex))
{
    makeToolWindow(this, u"Preview"_s, caption());
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_view = new ui::ImageView(this);
    m_view->setObjectName(u"PreviewPicture"_s);
    QImage blank(picture::StereogramSize, QImage::Format_RGB32);
    blank.fill(Qt::white);
    m_view->setImage(blank);
    m_levels = new QCheckBox(u"立体の確認の色で表示"_s, this);
    m_levels->setObjectName(u"PreviewLevels"_s);
    m_scroll = scrollFor(m_view, u"PreviewScroll"_s, this);
    layout->addWidget(m_scroll);
    layout->addWidget(m_levels);
    QObject::connect(m_levels, &QCheckBox::toggled, this, [this] { refresh(); });
}

QString Preview::caption() { return u"プレビュー"_s; }

void Preview::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void Preview::refresh()
{
    if (!isVisible())
        return;
    const picture::Image stereogram =
        stereo::standaloneStereogram(ui::fromQImage(m_canvas()), m_iroIndex());
    if (!m_levels->isChecked()) {
        m_view->setImage(ui::toQImage(stereogram));
        return;
    }
    m_view->setImage(ui::toQImage(picture::reveal(stereogram).depthMap));
}

QImage Preview::shownImage() const { return m_view->image(); }

} // namespace app
