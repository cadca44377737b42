// SPDX-License-Identifier: MIT

#include "renderdialog.h"

#include "picture/filename.h"
#include "picture/pictureerror.h"
#include "picture/pictureio.h"
#include "stereo/renderfile.h"

#include "ui/dialogs.h"
#include "ui/pictureio.h"
#include "ui/runtimeerror.h"
#include "ui/qtimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStorageInfo>
#include <QThread>

#include <memory>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::StringLiterals;

namespace app {

namespace {

namespace R = stereo::render;

template<typename T>
T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

constexpr QSize PreviewSize{480, 270};

} // namespace

RenderDialog::RenderDialog(ui::Dialogs &dialogs, const QImage &depthMap, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_depthMap(depthMap)
{
    setObjectName(u"RenderDialog"_s);
    setWindowTitle(caption());
    Source = named(new QComboBox(this), u"Source"_s);
    Source->addItems({u"メインウィンドウの奥行きマップ"_s, u"画像ファイル"_s});
    Picture = named(new QLineEdit(this), u"Picture"_s);
    ChoosePicture = named(new QPushButton(u"参照..."_s, this), u"ChoosePicture"_s);
    Width = named(new QSpinBox(this), u"Width"_s);
    Height = named(new QSpinBox(this), u"Height"_s);
    for (QSpinBox *box : {Width, Height}) {
        box->setRange(16, R::MaxSide);
        box->setSuffix(u" px"_s);
    }
    Width->setValue(1920);
    Height->setValue(1080);
    SizeBy = named(new QComboBox(this), u"SizeBy"_s);
    SizeBy->addItems({u"ピクセルで指定"_s, u"長さで指定"_s});
    LengthWidth = named(new QDoubleSpinBox(this), u"LengthWidth"_s);
    LengthHeight = named(new QDoubleSpinBox(this), u"LengthHeight"_s);
    Unit = named(new QComboBox(this), u"Unit"_s);
    Unit->addItems({u"mm"_s, u"in"_s});
    Dpi = named(new QSpinBox(this), u"Dpi"_s);
    Dpi->setRange(10, 4800);
    Dpi->setValue(96);
    Dpi->setSuffix(u" dpi"_s);
    Eye = named(new QDoubleSpinBox(this), u"Eye"_s);
    Eye->setRange(10, 100);
    Eye->setDecimals(1);
    Eye->setValue(63.5);
    Eye->setSuffix(u" mm"_s);
    GeometryBy = named(new QComboBox(this), u"GeometryBy"_s);
    GeometryBy->addItems({u"目の間隔と奥行きの深さ"_s, u"遠近の間隔をピクセルで"_s});
    FarPx = named(new QSpinBox(this), u"FarPx"_s);
    FarPx->setRange(2, R::MaxFarPixels);
    FarPx->setValue(120);
    FarPx->setSuffix(u" px"_s);
    NearPx = named(new QSpinBox(this), u"NearPx"_s);
    NearPx->setRange(1, R::MaxFarPixels - 1);
    NearPx->setValue(96);
    NearPx->setSuffix(u" px"_s);
    Depth = named(new QDoubleSpinBox(this), u"Depth"_s);
    Depth->setRange(0.05, 0.9);
    Depth->setDecimals(3);
    Depth->setSingleStep(0.01);
    Depth->setValue(0.333);
    Oversample = named(new QComboBox(this), u"Oversample"_s);
    Oversample->addItems({u"×1"_s, u"×2"_s, u"×3"_s, u"×4"_s, u"×6"_s, u"×8"_s});
    Placement = named(new QComboBox(this), u"Placement"_s);
    Placement->addItems({u"全体を収める"_s, u"全面を覆う"_s, u"引き伸ばす"_s});
    Pattern = named(new QComboBox(this), u"Pattern"_s);
    Pattern->addItems({u"白黒の点"_s, u"グレーの点"_s, u"カラーの点"_s, u"赤"_s, u"緑"_s, u"青"_s,
                       u"画像"_s});
    Pattern->setCurrentIndex(5);
    PatternPicture = named(new QLineEdit(this), u"PatternPicture"_s);
    ChoosePattern = named(new QPushButton(u"参照..."_s, this), u"ChoosePattern"_s);
    Density = named(new QSpinBox(this), u"Density"_s);
    Density->setRange(0, 100);
    Density->setValue(50);
    Density->setSuffix(u" %"_s);
    Dot = named(new QSpinBox(this), u"Dot"_s);
    Dot->setRange(1, 1000);
    Dot->setSuffix(u" px"_s);
    Guides = named(new QCheckBox(u"目印を付ける"_s, this), u"Guides"_s);
    Cross = named(new QCheckBox(u"交差法"_s, this), u"Cross"_s);
    Seed = named(new QSpinBox(this), u"Seed"_s);
    Seed->setRange(0, 2'000'000'000);
    Seed->setValue(1);
    PreviewBox = named(new QLabel(this), u"PreviewBox"_s);
    PreviewBox->setFixedSize(PreviewSize);
    PreviewBox->setAlignment(Qt::AlignCenter);
    Readout = named(new QLabel(this), u"Readout"_s);
    Readout->setWordWrap(true);
    CheckLine = named(new QLabel(this), u"CheckLine"_s);
    Progress = named(new QProgressBar(this), u"Progress"_s);
    Progress->setValue(0);
    Save = named(new QPushButton(u"保存..."_s, this), u"Save"_s);
    Cancel = named(new QPushButton(u"キャンセル"_s, this), u"Cancel"_s);

    auto *pictureRow = new QHBoxLayout;
    pictureRow->addWidget(Picture);
    pictureRow->addWidget(ChoosePicture);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(Width);
    sizeRow->addWidget(new QLabel(u"×"_s, this));
    sizeRow->addWidget(Height);
    sizeRow->addWidget(Dpi);
    auto *lengthRow = new QHBoxLayout;
    lengthRow->addWidget(SizeBy);
    lengthRow->addWidget(LengthWidth);
    lengthRow->addWidget(new QLabel(u"×"_s, this));
    lengthRow->addWidget(LengthHeight);
    lengthRow->addWidget(Unit);
    auto *separationRow = new QHBoxLayout;
    separationRow->addWidget(new QLabel(u"遠"_s, this));
    separationRow->addWidget(FarPx);
    separationRow->addWidget(new QLabel(u"近"_s, this));
    separationRow->addWidget(NearPx);
    auto *patternRow = new QHBoxLayout;
    patternRow->addWidget(PatternPicture);
    patternRow->addWidget(ChoosePattern);
    auto *form = new QFormLayout;
    form->addRow(u"奥行き"_s, Source);
    form->addRow(u"画像"_s, pictureRow);
    form->addRow(u"大きさ"_s, sizeRow);
    form->addRow(QString(), lengthRow);
    form->addRow(u"立体の指定"_s, GeometryBy);
    form->addRow(u"目の間隔"_s, Eye);
    form->addRow(u"奥行きの深さ"_s, Depth);
    form->addRow(u"間隔"_s, separationRow);
    form->addRow(u"オーバーサンプリング"_s, Oversample);
    form->addRow(u"配置"_s, Placement);
    form->addRow(u"模様"_s, Pattern);
    form->addRow(u"模様の画像"_s, patternRow);
    form->addRow(u"黒の割合"_s, Density);
    form->addRow(u"点の大きさ"_s, Dot);
    form->addRow(u"乱数の種"_s, Seed);
    form->addRow(QString(), Guides);
    form->addRow(QString(), Cross);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Save);
    buttons->addWidget(Cancel);
    auto *right = new QVBoxLayout;
    right->addWidget(PreviewBox);
    right->addWidget(Readout);
    right->addWidget(CheckLine);
    right->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(form);
    top->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Progress);
    layout->addLayout(buttons);

    m_previewDelay.setSingleShot(true);
    m_previewDelay.setInterval(30);
    connect(&m_previewDelay, &QTimer::timeout, this, [this] { startPreview(); });
    m_progressTimer.setInterval(100);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] {
        Progress->setValue(int(qint64(m_done.load()) * 100 / std::max(1, m_total.load())));
    });
    for (QSpinBox *box : {Width, Height, Dpi, Density, Dot, Seed, FarPx, NearPx})
        connect(box, &QSpinBox::valueChanged, this, [this] { schedulePreview(); });
    for (QDoubleSpinBox *box : {Eye, Depth})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { schedulePreview(); });
    for (QSpinBox *box : {Width, Height, Dpi})
        connect(box, &QSpinBox::valueChanged, this, [this] { pixelsChanged(); });
    for (QDoubleSpinBox *box : {LengthWidth, LengthHeight})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { lengthsChanged(); });
    connect(Unit, &QComboBox::currentIndexChanged, this, [this] { unitChanged(); });
    for (QComboBox *box : {SizeBy, GeometryBy, Pattern})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { enableFields(); });
    for (QComboBox *box : {Source, Oversample, Placement, Pattern, GeometryBy})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { schedulePreview(); });
    for (QCheckBox *box : {Guides, Cross})
        connect(box, &QCheckBox::toggled, this, [this] { schedulePreview(); });
    for (QLineEdit *line : {Picture, PatternPicture})
        connect(line, &QLineEdit::editingFinished, this, [this] { schedulePreview(); });
    connect(ChoosePicture, &QPushButton::clicked, this, [this] { choosePicture(); });
    connect(ChoosePattern, &QPushButton::clicked, this, [this] { choosePattern(); });
    for (QDoubleSpinBox *box : {LengthWidth, LengthHeight}) {
        box->setDecimals(2);
        box->setRange(0.01, 100'000);
    }
    unitChanged();
    enableFields();
    connect(Save, &QPushButton::clicked, this, [this] { chooseAndSave(); });
    connect(Cancel, &QPushButton::clicked, this, [this] { reject(); });
    schedulePreview();
}

RenderDialog::~RenderDialog()
{
    m_cancel = true;
    for (QThread *t : {m_previewer, m_saver})
        if (t) {
            t->wait();
            delete t;
        }
}

QString RenderDialog::caption()
{
    return u"大きなステレオグラムを作成"_s;
}

R::Settings RenderDialog::settings() const
{
    R::Settings s;
    s.size = QSize(Width->value(), Height->value());
    s.geometry.dpi = Dpi->value();
    // As the command line reads "2.5in": tenths of a millimetre first.
    s.geometry.eyeMicrons = Unit->currentIndex() == 1
                                ? int(std::lround(Eye->value() * 254)) * 100
                                : int(std::lround(Eye->value() * 1000));
    s.geometry.depthPermille = int(std::lround(Depth->value() * 1000));
    if (GeometryBy->currentIndex() == 1) {
        s.geometry.farPixels = FarPx->value();
        s.geometry.nearPixels = std::min(NearPx->value(), FarPx->value() - 1);
    }
    static constexpr int Factors[] = {1, 2, 3, 4, 6, 8};
    s.geometry.oversampling = Factors[std::clamp(Oversample->currentIndex(), 0, 5)];
    s.placement = R::Placement(std::clamp(Placement->currentIndex(), 0, 2));
    s.pattern = R::Pattern(std::clamp(Pattern->currentIndex(), 0, 6));
    s.density = Density->value();
    s.dotSize = Dot->value();
    s.guides = Guides->isChecked();
    s.cross = Cross->isChecked();
    s.seed = quint32(Seed->value());
    if (s.pattern == R::Pattern::Picture) {
        try {
            s.patternPicture = picture::loadPicture(PatternPicture->text());
        } catch (const picture::PictureError &) {
            s.patternPicture = picture::Image();
        }
    }
    return s;
}

R::DepthPlane RenderDialog::depthPlane() const
{
    picture::Image source = ui::fromQImage(m_depthMap);
    if (Source->currentIndex() == 1) {
        try {
            source = picture::loadPicture(Picture->text());
        } catch (const picture::PictureError &) {
            source = picture::Image();
        }
    }
    return R::depthPlaneOf(source, {});
}

void RenderDialog::schedulePreview()
{
    m_previewDelay.start();
}

void RenderDialog::startPreview()
{
    if (m_previewer) {
        m_previewAgain = true;
        return;
    }
    // The same picture at the preview's size: the dpi scaled with it, so that it shows the
    // same separations relative to the picture.
    R::Settings s = settings();
    const QSize full = s.size;
    const QSize shown = full.scaled(PreviewSize, Qt::KeepAspectRatio).expandedTo({16, 16});
    const double scale = double(shown.width()) / full.width();
    s.geometry.dpi = std::max(1, int(std::lround(double(s.geometry.dpi) * scale)));
    if (s.geometry.bySeparations()) {
        s.geometry.farPixels = std::max(2, int(std::lround(s.geometry.farPixels * scale)));
        s.geometry.nearPixels = std::clamp(int(std::lround(s.geometry.nearPixels * scale)), 1,
                                           s.geometry.farPixels - 1);
    }
    s.size = shown;
    s.guides = false;
    const R::DepthPlane depth = depthPlane();
    Readout->setText(readoutText(settings()));
    // Shared by the thread and the window: whichever ends last frees them, also when the window
    // is closed while the thread still runs.
    const auto result = std::make_shared<picture::Image>();
    const auto line = std::make_shared<QString>();
    m_previewer = QThread::create([s, depth, result, line] {
        *result = R::renderImage(depth, s);
        R::Settings plain = s;
        if (plain.geometry.oversampling == 1) {
            const R::CheckResult c = R::check(*result, plain, &depth);
            *line = u"確認: 意図した奥行きに読める点 %1 %、誤り %2、エコー %3 か所"_s
                        .arg(c.linked ? 100.0 * double(c.exact) / double(c.linked) : 0.0, 0, 'f', 2)
                        .arg(c.wrong)
                        .arg(c.echoRegions);
        }
    });
    connect(m_previewer, &QThread::finished, this, [this, result, line] {
        m_preview = ui::toQImage(*result);
        PreviewBox->setPixmap(QPixmap::fromImage(m_preview));
        CheckLine->setText(*line);
        m_previewer->deleteLater();
        m_previewer = nullptr;
        if (m_previewAgain) {
            m_previewAgain = false;
            startPreview();
        }
    });
    m_previewer->start();
}

QString RenderDialog::readoutText(const R::Settings &s) const
{
    const R::Readout r = R::readoutOf(s);
    QString text = u"遠 %1 px (%2 mm)、近 %3 px (%4 mm)、奥行き %5 段"_s.arg(r.farPixels, 0, 'f', 2)
                       .arg(r.farMm, 0, 'f', 1)
                       .arg(r.nearPixels, 0, 'f', 2)
                       .arg(r.nearMm, 0, 'f', 1)
                       .arg(r.depthSteps);
    if (s.geometry.bySeparations())
        text += u"（目の間隔 %1 mm、奥行きの深さ %2 に当たります）"_s.arg(r.eyeMm, 0, 'f', 1)
                    .arg(r.depth, 0, 'f', 3);
    for (const R::Readout::Warning w : r.warnings) {
        text += u"\n注意: "_s;
        switch (w) {
        case R::Readout::Warning::NearTooClose:
            text += u"近い面の間隔が遠い面の 0.55 倍より狭く、目で合わせにくくなります。"_s;
            break;
        case R::Readout::Warning::FarTooWide:
            text += u"遠い面の間隔が 40 mm を超え、多くの人の目では合わせられません。"_s;
            break;
        case R::Readout::Warning::TooNarrow:
            text += u"画像の幅が遠い面の間隔の 2 倍より狭くなっています。"_s;
            break;
        case R::Readout::Warning::FewSteps:
            text += s.geometry.bySeparations()
                        ? u"奥行きの段が 8 段より少なくなります。遠い面と近い面の間隔の差を広げるか、"
                          u"オーバーサンプリングを上げてください。"_s
                        : u"奥行きの段が 8 段より少なくなります。dpi かオーバーサンプリングを上げてください。"_s;
            break;
        }
    }
    if (s.geometry.bySeparations() && NearPx->value() >= FarPx->value())
        text += u"\n注意: 近い面の間隔は遠い面より狭くしてください（%1 px で作ります）。"_s.arg(
            s.geometry.nearPixels);
    if (s.pattern == R::Pattern::Picture && s.patternPicture.isNull())
        text += u"\n注意: 模様の画像を読めません。"_s;
    return text;
}

double RenderDialog::pixelsPerUnit() const
{
    return Unit->currentIndex() == 1 ? double(Dpi->value()) : Dpi->value() / 25.4;
}

// The eye separation and the lengths are shown in the unit chosen; the pixels stay as they are.
void RenderDialog::unitChanged()
{
    const int unit = Unit->currentIndex();
    const QString suffix = unit == 1 ? u" in"_s : u" mm"_s;
    m_converting = true;
    const double factor = unit == m_unit ? 1.0 : (unit == 1 ? 1 / 25.4 : 25.4);
    const double eye = Eye->value() * factor;
    Eye->setDecimals(unit == 1 ? 3 : 1);
    Eye->setRange(unit == 1 ? 0.394 : 10, unit == 1 ? 3.937 : 100);
    Eye->setSingleStep(unit == 1 ? 0.05 : 1);
    Eye->setValue(eye);
    Eye->setSuffix(suffix);
    for (QDoubleSpinBox *box : {LengthWidth, LengthHeight})
        box->setSuffix(suffix);
    m_unit = unit;
    m_converting = false;
    pixelsChanged();
    if (SizeBy->currentIndex() == 1)
        lengthsChanged();
}

// Lengths given: the pixels follow, as the command line turns "210x297mm" into pixels.
void RenderDialog::lengthsChanged()
{
    if (m_converting || SizeBy->currentIndex() != 1)
        return;
    m_converting = true;
    Width->setValue(int(std::lround(LengthWidth->value() * pixelsPerUnit())));
    Height->setValue(int(std::lround(LengthHeight->value() * pixelsPerUnit())));
    m_converting = false;
}

// Pixels given (or the dpi changed): the lengths show what they come to; with lengths given, the
// pixels follow the new dpi.
void RenderDialog::pixelsChanged()
{
    if (m_converting)
        return;
    if (SizeBy->currentIndex() == 1) {
        lengthsChanged();
        return;
    }
    m_converting = true;
    LengthWidth->setValue(Width->value() / pixelsPerUnit());
    LengthHeight->setValue(Height->value() / pixelsPerUnit());
    m_converting = false;
}

void RenderDialog::enableFields()
{
    const bool byLength = SizeBy->currentIndex() == 1;
    Width->setEnabled(!byLength);
    Height->setEnabled(!byLength);
    LengthWidth->setEnabled(byLength);
    LengthHeight->setEnabled(byLength);
    const bool byPixels = GeometryBy->currentIndex() == 1;
    Eye->setEnabled(!byPixels);
    Depth->setEnabled(!byPixels);
    FarPx->setEnabled(byPixels);
    NearPx->setEnabled(byPixels);
    Density->setEnabled(Pattern->currentIndex() == 0);
}

void RenderDialog::choosePattern()
{
    const auto chosen =
        m_dialogs.showOpen(ui::openPictureFilter(), 1, PatternPicture->text());
    if (!chosen)
        return;
    PatternPicture->setText(*chosen);
    Pattern->setCurrentIndex(6);
    schedulePreview();
}

void RenderDialog::choosePicture()
{
    const auto chosen = m_dialogs.showOpen(ui::openPictureFilter(), 1, Picture->text());
    if (!chosen)
        return;
    Picture->setText(*chosen);
    Source->setCurrentIndex(1);
    schedulePreview();
}

void RenderDialog::chooseAndSave()
{
    using F = picture::NamedFormat;
    const auto chosen = m_dialogs.showSave(ui::saveFilter({F::Png, F::Bmp, F::WebP}), 1, QString());
    if (chosen)
        save(*chosen);
}

bool RenderDialog::save(const QString &path)
{
    if (m_saver)
        return false;
    const auto format = R::fileFormatOfName(path);
    auto refuse = [&](const QString &text) {
        m_dialogs.msgBox(text, ui::MsgBox::OKOnly | ui::MsgBox::Exclamation, caption());
        return false;
    };
    if (!format)
        return refuse(u"保存先は .png、.bmp または .webp にしてください。"_s);
    const QString target = picture::fileKey(path);
    if (Source->currentIndex() == 1 && picture::fileKey(Picture->text()) == target)
        return refuse(u"保存先が奥行きの画像と同じファイルです。"_s);
    if (R::Pattern(Pattern->currentIndex()) == R::Pattern::Picture
        && picture::fileKey(PatternPicture->text()) == target)
        return refuse(u"保存先が模様の画像と同じファイルです。"_s);
    if (GeometryBy->currentIndex() == 1 && NearPx->value() >= FarPx->value())
        return refuse(u"近い面の間隔は遠い面の間隔より狭くしてください。"_s);
    const R::Settings s = settings();
    if (s.pattern == R::Pattern::Picture && s.patternPicture.isNull())
        return refuse(u"模様の画像を読めません。"_s);
    const QSize out = R::outputSize(s);
    if (out.height() > R::MaxSide)
        return refuse(u"目印を付けると高さが %1 を超えます。"_s.arg(R::MaxSide));
    if (*format == R::FileFormat::WebP
        && (out.width() > R::MaxWebPSide || out.height() > R::MaxWebPSide
            || qint64(out.width()) * out.height() > R::MaxWebPPixels))
        return refuse(u"この大きさは WebP では保存できません。PNG か BMP にしてください。"_s);
    // The free space: a BMP's size is known; a PNG of dots takes at most about as much.
    const qint64 estimate = 54 + (qint64(out.width()) * 3 + 3) / 4 * 4 * out.height();
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < estimate
        && *format == R::FileFormat::Bmp)
        return refuse(u"空き容量が足りません（%1 MB 必要）。"_s.arg((estimate + (1 << 20) - 1) >> 20));
    const R::DepthPlane depth = depthPlane();
    m_cancel = false;
    m_done = 0;
    m_total = out.height();
    const auto error = std::make_shared<QString>();
    const auto written = std::make_shared<bool>(false);
    m_saver = QThread::create([this, depth, s, path, format, error, written] {
        try {
            *written = R::writeRender(depth, s, path, *format, &m_cancel, [this](int done, int total) {
                m_done = done;
                m_total = total;
            });
        } catch (const picture::PictureError &e) {
            *error = ui::writeFailedText(path, ui::runtimeErrorOf(e).description());
        }
    });
    connect(m_saver, &QThread::finished, this, [this, error, written] {
        const bool ok = *written;
        const QString text = *error;
        m_saver->deleteLater();
        m_saver = nullptr;
        savingDone(ok, text);
    });
    Save->setEnabled(false);
    m_progressTimer.start();
    m_saver->start();
    return true;
}

void RenderDialog::savingDone(bool written, const QString &error)
{
    m_progressTimer.stop();
    Save->setEnabled(true);
    Progress->setValue(written ? 100 : 0);
    if (!error.isEmpty())
        m_dialogs.msgBox(error, ui::MsgBox::OKOnly | ui::MsgBox::Exclamation, caption());
}

void RenderDialog::cancel()
{
    m_cancel = true;
}

void RenderDialog::reject()
{
    if (m_saver) {
        cancel();
        return;
    }
    QDialog::reject();
}

} // namespace app
