// SPDX-License-Identifier: MIT

#include "exportdialog.h"

#include "toolwindowframe.h"

#include "picture/stereopictures.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {

ExportDialog::ExportDialog(const Settings &settings, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"ExportDialog"_s);
    setWindowTitle(caption());
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    m_scale = new QSpinBox(this);
    m_scale->setObjectName(u"ExportScale"_s);
    m_scale->setRange(1, picture::MaxPrintScale);
    m_scale->setPrefix(u"×"_s);
    m_scale->setValue(settings.scale);
    row->addWidget(new QLabel(u"拡大率:"_s, this));
    row->addWidget(m_scale);
    row->addStretch();
    layout->addLayout(row);
    m_guides = new QCheckBox(u"ガイドの点を付ける"_s, this);
    m_guides->setObjectName(u"ExportGuides"_s);
    m_guides->setChecked(settings.guides);
    layout->addWidget(m_guides);
    auto *dpiRow = new QHBoxLayout;
    m_dpi = new QSpinBox(this);
    m_dpi->setObjectName(u"ExportDpi"_s);
    m_dpi->setRange(picture::MinPrintDpi, picture::MaxPrintDpi);
    m_dpi->setSuffix(u" dpi"_s);
    m_dpi->setValue(settings.dpi);
    m_dpi->setAccessibleName(u"プリンターの解像度"_s);
    dpiRow->addWidget(new QLabel(u"プリンターの解像度:"_s, this));
    dpiRow->addWidget(m_dpi);
    dpiRow->addStretch();
    layout->addLayout(dpiRow);
    m_size = new QLabel(this);
    m_size->setObjectName(u"ExportSize"_s);
    layout->addWidget(m_size);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"保存先を選ぶ..."_s);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"キャンセル"_s);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto showSize = [this] { m_size->setText(sizeText(this->settings())); };
    connect(m_scale, &QSpinBox::valueChanged, this, showSize);
    connect(m_guides, &QCheckBox::toggled, this, showSize);
    connect(m_dpi, &QSpinBox::valueChanged, this, showSize);
    showSize();
}

QString ExportDialog::caption() { return u"拡大して保存"_s; }

QString ExportDialog::sizeText(const Settings &settings)
{
    const int width = picture::StereogramSize.width() * settings.scale;
    const int height = (picture::StereogramSize.height()
                        + (settings.guides ? picture::GuideBandHeight : 0))
                       * settings.scale;
    const double dotsPerMm = settings.dpi / 25.4;
    return u"%1 × %2 ピクセル、印刷すると %3 × %4 mm（%5 dpi）"_s.arg(width)
        .arg(height)
        .arg(width / dotsPerMm, 0, 'f', 1)
        .arg(height / dotsPerMm, 0, 'f', 1)
        .arg(settings.dpi);
}

ExportDialog::Settings ExportDialog::settings() const
{
    return {m_scale->value(), m_guides->isChecked(), m_dpi->value()};
}

} // namespace app
