// SPDX-License-Identifier: MIT

#include "viewingaidswindow.h"

#include "toolwindowframe.h"

#include "picture/pictureio.h"
#include "picture/stereopictures.h"
#include "picture/viewingaids.h"
#include "stereo/stereogramgenerator.h"

#include "ui/dialogs.h"
#include "ui/imageview.h"
#include "ui/pictureio.h"
#include "ui/qtimage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {

ViewingAids::ViewingAids(ui::Dialogs &dialogs, QWidget *owner) : QWidget(owner), m_dialogs(dialogs)
{
    makeToolWindow(this, u"ViewingAids"_s, caption());
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *row = new QHBoxLayout;
    m_choice = new QComboBox(this);
    m_choice->setObjectName(u"ViewingAidsChoice"_s);
    m_choice->addItems({u"平行法"_s, u"交差法"_s, u"アナグリフ"_s});
    m_scale = new QSpinBox(this);
    m_scale->setObjectName(u"ViewingAidsScale"_s);
    m_scale->setRange(1, 4);
    m_scale->setPrefix(u"×"_s);
    m_save = new QPushButton(u"PNG で保存..."_s, this);
    m_save->setObjectName(u"ViewingAidsSave"_s);
    m_save->setAutoDefault(false);
    row->addWidget(new QLabel(u"見方:"_s, this));
    row->addWidget(m_choice);
    row->addWidget(new QLabel(u"拡大:"_s, this));
    row->addWidget(m_scale);
    row->addStretch();
    row->addWidget(m_save);
    layout->addLayout(row);
    m_view = new ui::ImageView(this);
    m_view->setObjectName(u"ViewingAidsPicture"_s);
    m_scroll = scrollFor(m_view, u"ViewingAidsScroll"_s, this);
    layout->addWidget(m_scroll);
    QObject::connect(m_choice, &QComboBox::currentIndexChanged, this, [this] { showView(); });
    QObject::connect(m_scale, &QSpinBox::valueChanged, this, [this] { showView(); });
    QObject::connect(m_save, &QPushButton::clicked, this, [this] { save(); });
}

QString ViewingAids::caption() { return u"見やすく表示"_s; }

void ViewingAids::setStereogram(const QImage &stereogram, const QImage &depthMap, qint16 iroIndex)
{
    m_stereogram = ui::fromQImage(stereogram).convertToFormat(picture::Image::Format::Rgb32);
    m_crossEyed = stereogram.isNull() ? picture::Image()
                                      : stereo::standaloneStereogram(
                                            picture::crossEyedDepthMap(ui::fromQImage(depthMap)),
                                            iroIndex);
    showView();
}

void ViewingAids::showView()
{
    const int k = m_scale->value();
    picture::Image shown;
    if (!m_stereogram.isNull()) {
        switch (View(m_choice->currentIndex())) {
        case Parallel:
            shown = picture::printable(m_stereogram, k, true);
            break;
        case CrossEyed:
            shown = picture::printable(m_crossEyed, k, true);
            break;
        case Anaglyph:
            shown = picture::printable(picture::anaglyph(m_stereogram), k, false);
            break;
        }
    }
    m_save->setEnabled(!shown.isNull());
    const QSize before = m_view->size();
    m_view->setImage(ui::toQImage(shown));
    viewResized(m_scroll);
    if (isVisible() && m_view->size() != before && m_refit)
        m_refit();
}

QImage ViewingAids::shownImage() const { return m_view->image(); }

bool ViewingAids::saveView(const QString &path)
{
    try {
        picture::savePicture(ui::fromQImage(m_view->image()), path, picture::FileFormat::Png);
        return true;
    } catch (const picture::PictureError &e) {
        m_dialogs.msgBox(ui::writeFailedText(path, ui::runtimeErrorOf(e).description()),
                         ui::MsgBox::Exclamation, caption());
    }
    return false;
}

void ViewingAids::save()
{
    if (m_view->image().isNull())
        return;
    const std::optional<QString> path =
        m_dialogs.showSave(ui::saveFilter({picture::NamedFormat::Png}), 0, m_fileName);
    if (!path)
        return;
    m_fileName = *path;
    saveView(*path);
}

} // namespace app
