// SPDX-License-Identifier: MIT

#include "importdialog.h"

#include "histogrambars.h"

#include "picture/colour.h"
#include "picture/stereopictures.h"

#include "ui/qtimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace editor {

QString pictureKindText(const picture::MapVerdict &verdict)
{
    switch (verdict.kind) {
    case picture::MapKind::LevelColours:
        return u"高さの色で描かれた奥行きマップ"_s;
    case picture::MapKind::Grey:
        return u"灰色の奥行きマップ"_s;
    case picture::MapKind::SixteenBit:
        return u"16 ビットの奥行きマップ"_s;
    case picture::MapKind::ColourScale:
        return u"%1 の色の尺度で描かれた奥行きマップ"_s.arg(
            picture::colourScaleName(verdict.scale.value_or(picture::ColourScale::Jet)));
    case picture::MapKind::Colour:
        return u"カラーの画像"_s;
    }
    return {};
}

// How the picture is read, for the line above the settings.
static QString readingText(const picture::MapVerdict &verdict)
{
    switch (verdict.kind) {
    case picture::MapKind::ColourScale:
        return u"色の尺度に沿って読みます（暖色の側が手前）。"_s;
    case picture::MapKind::Colour:
        return u"知られた色の尺度ではないため、明るさで読みます。"_s;
    default:
        return u"明るさで読みます。"_s;
    }
}

namespace {

// How the dialog first places a picture: fitted into the frame, no value taken as no data.
constexpr picture::Fit FirstFit = picture::Fit::Fit;

} // namespace

std::optional<ImportPicture> prepareImport(picture::Image original, const std::atomic<bool> *cancel)
{
    auto stopped = [cancel] { return cancel && cancel->load(); };
    ImportPicture made;
    made.verdict = picture::recogniseMap(original);
    if (stopped())
        return std::nullopt;
    made.picture = picture::depthPictureOf(std::move(original), made.verdict);
    if (stopped())
        return std::nullopt;
    made.placed = picture::placePicture(made.picture, FirstFit, std::nullopt);
    if (stopped())
        return std::nullopt;
    return made;
}

ImportDialog::ImportDialog(picture::Image picture, QWidget *parent)
    : ImportDialog(*prepareImport(std::move(picture)), parent)
{
}

ImportDialog::ImportDialog(ImportPicture prepared, QWidget *parent)
    : QDialog(parent), m_verdict(prepared.verdict), m_picture(std::move(prepared.picture))
{
    keep({int(FirstFit), -1}, std::move(prepared.placed));
    setObjectName(u"ImportDialog"_s);
    setWindowTitle(u"画像から奥行きマップ"_s);
    const int greyMax = picture::greyMaxOf(m_picture);

    auto named = [](auto *widget, const QString &name) {
        widget->setObjectName(name);
        return widget;
    };
    preview = named(new QLabel(this), u"preview"_s);
    preview->setFixedSize(picture::DepthMapSize);
    histogram = named(new QLabel(this), u"histogram"_s);
    histogram->setFixedSize(16 * 12, 64);
    kind = named(new QLabel(pictureKindText(m_verdict) + u"。"_s + readingText(m_verdict), this),
                 u"kind"_s);
    kind->setWordWrap(true);
    nearEnd = named(new QLabel(this), u"nearEnd"_s);
    nearEnd->setFixedSize(16 * 12, 34);
    nearMarker = named(new QLabel(u"手前"_s, preview), u"nearMarker"_s);
    nearMarker->setStyleSheet(u"background: white; color: black; border: 1px solid black; "
                              u"padding: 0px 2px;"_s);
    nearMarker->adjustSize();
    nearMarker->hide();

    invert = named(new QCheckBox(u"反転（黒が手前）"_s, this), u"invert"_s);
    automatic = named(new QCheckBox(u"自動"_s, this), u"automatic"_s);
    automatic->setChecked(true);
    nearGrey = named(new QSpinBox(this), u"nearGrey"_s);
    farGrey = named(new QSpinBox(this), u"farGrey"_s);
    noDataOn = named(new QCheckBox(u"データなし"_s, this), u"noDataOn"_s);
    noData = named(new QSpinBox(this), u"noData"_s);
    for (QSpinBox *box : {nearGrey, farGrey, noData})
        box->setRange(0, greyMax);
    nearGrey->setValue(greyMax);
    noData->setEnabled(false);
    gamma = named(new QDoubleSpinBox(this), u"gamma"_s);
    gamma->setRange(picture::MinGamma, picture::MaxGamma);
    gamma->setSingleStep(0.1);
    gamma->setValue(1.0);
    fit = named(new QComboBox(this), u"fit"_s);
    fit->addItem(u"枠に収める"_s, int(picture::Fit::Fit));
    fit->addItem(u"枠を埋める（切り取り）"_s, int(picture::Fit::Fill));
    fit->addItem(u"引き伸ばす"_s, int(picture::Fit::Stretch));
    fit->addItem(u"等倍（左上）"_s, int(picture::Fit::None));
    smooth = named(new QSpinBox(this), u"smooth"_s);
    smooth->setRange(0, picture::MaxSmooth);
    greyPreview = named(new QCheckBox(u"灰色で表示"_s, this), u"greyPreview"_s);

    auto *noDataRow = new QHBoxLayout;
    noDataRow->addWidget(noDataOn);
    noDataRow->addWidget(noData);
    auto *form = new QFormLayout;
    form->addRow(kind);
    form->addRow(u"奥 → 手前"_s, nearEnd);
    form->addRow(invert);
    form->addRow(automatic);
    form->addRow(u"手前"_s, nearGrey);
    form->addRow(u"奥"_s, farGrey);
    form->addRow(noDataRow);
    form->addRow(u"ガンマ"_s, gamma);
    form->addRow(u"配置"_s, fit);
    form->addRow(u"滑らかに"_s, smooth);
    form->addRow(greyPreview);
    form->addRow(u"高さの分布"_s, histogram);
    form->addRow(new QLabel(u"(0〜%1)"_s.arg(greyMax), this));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *columns = new QHBoxLayout;
    columns->addWidget(preview, 0, Qt::AlignTop);
    columns->addLayout(form);
    auto *all = new QVBoxLayout(this);
    all->addLayout(columns);
    all->addWidget(buttons);

    auto changed = [this] { refresh(); };
    for (QCheckBox *box : {invert, automatic, noDataOn, greyPreview})
        connect(box, &QCheckBox::toggled, this, changed);
    for (QSpinBox *box : {nearGrey, farGrey, noData, smooth})
        connect(box, &QSpinBox::valueChanged, this, changed);
    connect(gamma, &QDoubleSpinBox::valueChanged, this, changed);
    connect(fit, &QComboBox::currentIndexChanged, this, changed);
    refresh();
}

ImportDialog::~ImportDialog()
{
    // A placement under way holds copies of all it uses: it ends on its own, and frees itself.
    if (m_placer)
        m_placer->disconnect(this);
}

picture::LevelsSettings ImportDialog::settings() const
{
    picture::LevelsSettings s;
    s.invert = invert->isChecked();
    if (automatic->isChecked()) {
        s.nearGrey = {picture::Bound::Kind::Auto, 0};
        s.farGrey = {picture::Bound::Kind::Auto, 0};
    } else {
        s.nearGrey = {picture::Bound::Kind::Value, nearGrey->value()};
        s.farGrey = {picture::Bound::Kind::Value, farGrey->value()};
    }
    if (noDataOn->isChecked())
        s.noData = noData->value();
    s.gamma = gamma->value();
    s.fit = picture::Fit(fit->currentData().toInt());
    s.smooth = smooth->value();
    return s;
}

void ImportDialog::setGreyPreview(bool grey)
{
    greyPreview->setChecked(grey);
}

const picture::PlacedPicture *ImportDialog::placed(PlacementKey key)
{
    const auto found = std::find_if(m_placed.begin(), m_placed.end(),
                                    [&](const auto &kept) { return kept.first == key; });
    if (found == m_placed.end())
        return nullptr;
    m_placed.splice(m_placed.begin(), m_placed, found);
    return &m_placed.front().second;
}

void ImportDialog::keep(PlacementKey key, picture::PlacedPicture placed)
{
    m_placed.emplace_front(key, std::move(placed));
    while (m_placed.size() > std::size_t(PlacementsKept))
        m_placed.pop_back();
}

// Places the picture off the window's thread; the window shows the last levels meanwhile, and
// refreshes once the placement is made. One placement at a time: a change made meanwhile is
// placed after it.
void ImportDialog::place(PlacementKey key)
{
    if (m_placer)
        return;
    m_ok->setEnabled(false);
    // Shared by the thread and the window, whichever ends last frees them.
    const auto result = std::make_shared<std::optional<picture::PlacedPicture>>();
    const picture::Image picture = m_picture;
    m_placer = QThread::create([picture, key, result] {
        try {
            *result = picture::placePicture(picture, picture::Fit(key.first),
                                            key.second < 0 ? std::nullopt
                                                           : std::optional<int>(key.second));
        } catch (const picture::PictureError &) {
            result->reset();
        }
    });
    connect(m_placer, &QThread::finished, m_placer, &QObject::deleteLater);
    connect(m_placer, &QThread::finished, this, [this, key, result] {
        m_placer = nullptr;
        m_ok->setEnabled(true);
        if (!*result)
            return; // no memory for it: the levels before it stay
        keep(key, std::move(**result));
        refresh();
        if (m_acceptWhenPlaced && !m_placer) {
            m_acceptWhenPlaced = false;
            QDialog::accept();
        }
    });
    m_placer->start();
}

void ImportDialog::accept()
{
    if (m_placer) {
        m_acceptWhenPlaced = true;
        return;
    }
    QDialog::accept();
}

void ImportDialog::refresh()
{
    const picture::LevelsSettings s = settings();
    noData->setEnabled(noDataOn->isChecked());
    nearGrey->setEnabled(!automatic->isChecked());
    farGrey->setEnabled(!automatic->isChecked());
    const PlacementKey key{int(s.fit), s.noData.value_or(-1)};
    const picture::PlacedPicture *made = placed(key);
    if (!made)
        return place(key);
    m_levels = picture::quantise(*made, s);
    if (automatic->isChecked()) {
        // The values Auto found, shown where the user would set them.
        const QSignalBlocker nearBlocked(nearGrey);
        const QSignalBlocker farBlocked(farGrey);
        nearGrey->setValue(m_levels.nearGrey);
        farGrey->setValue(m_levels.farGrey);
    }

    QImage shown = ui::toQImage(m_levels.map);
    if (greyPreview->isChecked()) {
        std::array<QRgb, 16> greyOf{};
        for (int n = 0; n < 16; ++n)
            greyOf[std::size_t(n)] = qRgb(n * 17, n * 17, n * 17);
        for (int y = 0; y < shown.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x) {
                const auto at = std::find(picture::QBColorTable.begin(), picture::QBColorTable.end(),
                                          picture::fromQRgb(line[x]));
                line[x] = greyOf[std::size_t(at - picture::QBColorTable.begin())];
            }
        }
    }
    preview->setPixmap(QPixmap::fromImage(shown));
    showNearEnd();

    QPixmap bars(histogram->size());
    bars.fill(Qt::white);
    {
        QPainter painter(&bars);
        const HistogramBars heights = histogramBars(m_levels.histogram, bars.height() - 2);
        const int barWidth = bars.width() / 16;
        for (int n = 0; n < 16; ++n) {
            const int h = heights.heights[std::size_t(n)];
            const QRect bar(n * barWidth, bars.height() - h, barWidth - 1, h);
            painter.fillRect(bar, QColor(picture::toQRgb(picture::QBColor(n))));
            painter.setPen(Qt::darkGray);
            if (h > 0)
                painter.drawRect(bar.adjusted(0, 0, -1, -1));
            // A bar cut short: a white gap across it near the top.
            if (n == heights.cut)
                painter.fillRect(QRect(bar.left(), bar.top() + 6, bar.width(), 3), Qt::white);
        }
    }
    histogram->setPixmap(bars);
}

void ImportDialog::showNearEnd()
{
    // The picture's own colours from the far end to the near one.
    const bool inverted = invert->isChecked();
    QPixmap strip(nearEnd->size());
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        const int rampHeight = 14;
        for (int x = 0; x < strip.width(); ++x) {
            double t = x / double(strip.width() - 1);
            if (inverted)
                t = 1 - t;
            QColor c;
            if (m_verdict.kind == picture::MapKind::ColourScale && m_verdict.scale)
                c = QColor(picture::colourOnScale(*m_verdict.scale, t));
            else
                c = QColor::fromRgbF(float(t), float(t), float(t));
            painter.setPen(c);
            painter.drawLine(x, 0, x, rampHeight - 1);
        }
        painter.setPen(Qt::black);
        painter.drawRect(0, 0, strip.width() - 1, rampHeight - 1);
        const QRect captions(0, rampHeight, strip.width(), strip.height() - rampHeight);
        painter.drawText(captions, Qt::AlignLeft | Qt::AlignVCenter, u"奥"_s);
        painter.drawText(captions, Qt::AlignRight | Qt::AlignVCenter, u"手前"_s);
    }
    nearEnd->setPixmap(strip);

    // "手前" over the middle of the nearest level the map holds.
    int nearest = 15;
    while (nearest > 0 && m_levels.histogram[std::size_t(nearest)] == 0)
        --nearest;
    if (nearest == 0) {
        nearMarker->hide();
        return;
    }
    const QRgb colour = picture::toQRgb(picture::QBColor(nearest)) & 0xffffffu;
    qint64 sx = 0;
    qint64 sy = 0;
    qint64 n = 0;
    for (int y = 0; y < m_levels.map.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(m_levels.map.constScanLine(y));
        for (int x = 0; x < m_levels.map.width(); ++x)
            if ((line[x] & 0xffffffu) == colour) {
                sx += x;
                sy += y;
                ++n;
            }
    }
    if (n == 0) {
        nearMarker->hide();
        return;
    }
    const QSize size = nearMarker->size();
    const int x = std::clamp(int(sx / n) - size.width() / 2, 0, preview->width() - size.width());
    const int y = std::clamp(int(sy / n) - size.height() / 2, 0, preview->height() - size.height());
    nearMarker->move(x, y);
    nearMarker->show();
    nearMarker->raise();
}

} // namespace editor
