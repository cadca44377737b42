// SPDX-License-Identifier: MIT

#include "toolwindows.h"

#include "picture/pictureio.h"
#include "picture/stereopictures.h"
#include "picture/viewingaids.h"
#include "stereo/stereogramgenerator.h"

#include "ui/backgroundjob.h"
#include "ui/dialogs.h"
#include "ui/imageview.h"
#include "ui/placement.h"
#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

using namespace Qt::StringLiterals;

namespace app {

namespace {

// A window of its own that stays above the main window and goes with it.
void makeToolWindow(QWidget *window, const QString &objectName, const QString &title)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
}

// The smallest a picture's scroll area is made, each way.
constexpr int MinimumView = 80;
// Between a tool window and the windows it keeps clear of.
constexpr int Gap = 8;

// A picture's scroll area as large as the picture, or as a limit allows, with scroll bars then.
class FittedScroll final : public QScrollArea
{
public:
    FittedScroll(QWidget *view, const QString &objectName, QWidget *parent) : QScrollArea(parent)
    {
        setObjectName(objectName);
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(false);
        setWidget(view);
    }

    void setLimit(QSize limit)
    {
        m_limit = limit;
        updateGeometry();
    }

    QSize sizeHint() const override
    {
        const QSize full = widget() ? widget()->size() : QSize(1, 1);
        if (!m_limit.isValid())
            return full;
        const int barHigh = horizontalScrollBar()->sizeHint().height();
        const int barWide = verticalScrollBar()->sizeHint().width();
        bool wide = full.width() > m_limit.width();
        const bool tall = full.height() + (wide ? barHigh : 0) > m_limit.height();
        wide = wide || (tall && full.width() + barWide > m_limit.width());
        return {wide ? m_limit.width() : full.width() + (tall ? barWide : 0),
                tall ? m_limit.height() : full.height() + (wide ? barHigh : 0)};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    QSize m_limit;
};

QScrollArea *scrollFor(QWidget *view, const QString &objectName, QWidget *parent)
{
    return new FittedScroll(view, objectName, parent);
}

// The picture changed its size: the scroll area follows it.
void viewResized(QScrollArea *scroll)
{
    scroll->widget()->adjustSize();
    scroll->updateGeometry();
}

} // namespace

QString writeFailedText(const QString &path, const QString &reason)
{
    return u"「%1」に保存できませんでした。\n\n%2"_s.arg(QDir::toNativeSeparators(path), reason);
}

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
    m_revealed = picture::reveal(stereogram);
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
    const QImage map = m_grey->isChecked() ? picture::greyLevels(m_revealed.depthMap)
                                           : m_revealed.depthMap;
    m_view->setImage(m_mark->isChecked() ? picture::markAmbiguous(map, m_revealed.ambiguousAt)
                                         : map);
    m_line->setText(ambiguityText(m_revealed.ambiguous));
}

QImage CheckView::shownImage() const { return m_view->image(); }

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
    m_stereogram = stereogram.convertToFormat(QImage::Format_RGB32);
    m_crossEyed = stereogram.isNull()
                      ? QImage()
                      : stereo::standaloneStereogram(picture::crossEyedDepthMap(depthMap), iroIndex);
    showView();
}

void ViewingAids::showView()
{
    const int k = m_scale->value();
    QImage shown;
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
    m_view->setImage(shown);
    viewResized(m_scroll);
    if (isVisible() && m_view->size() != before && m_refit)
        m_refit();
}

QImage ViewingAids::shownImage() const { return m_view->image(); }

bool ViewingAids::saveView(const QString &path)
{
    try {
        picture::savePicture(m_view->image(), path, picture::FileFormat::Png);
        return true;
    } catch (const picture::PictureError &e) {
        m_dialogs.msgBox(writeFailedText(path, ui::runtimeErrorOf(e).description()),
                         ui::MsgBox::Exclamation, caption());
    }
    return false;
}

void ViewingAids::save()
{
    if (m_view->image().isNull())
        return;
    const std::optional<QString> path =
        m_dialogs.showSave(u"PNG ファイル (*.png)|*.png"_s, 0, m_fileName);
    if (!path)
        return;
    m_fileName = *path;
    saveView(*path);
}

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
    const QImage stereogram = stereo::standaloneStereogram(m_canvas(), m_iroIndex());
    if (!m_levels->isChecked()) {
        m_view->setImage(stereogram);
        return;
    }
    const picture::Revealed revealed = picture::reveal(stereogram);
    m_view->setImage(revealed.depthMap);
}

QImage Preview::shownImage() const { return m_view->image(); }

Tools::Tools(ui::Dialogs &dialogs, QWidget &owner, std::function<QImage()> canvas,
             std::function<qint16()> iroIndex)
    : m_dialogs(dialogs), m_owner(owner), m_canvas(std::move(canvas)),
      m_iroIndex(std::move(iroIndex))
{
}

Tools::~Tools() = default;

void Tools::stereogramMade(const QImage &stereogram, const QImage &depthMap, qint16 iroIndex)
{
    m_stereogram = stereogram;
    m_depthMap = depthMap;
    m_madeIro = iroIndex;
    if (m_check)
        m_check->setStereogram(m_stereogram);
    if (m_aids)
        m_aids->setStereogram(m_stereogram, m_depthMap, m_madeIro);
}

void Tools::cleared()
{
    m_stereogram = {};
    m_depthMap = {};
    if (m_check) {
        m_check->hide();
        m_check->setStereogram({});
    }
    if (m_aids) {
        m_aids->hide();
        m_aids->setStereogram({}, {}, m_madeIro);
    }
    canvasChanged();
}

void Tools::canvasChanged()
{
    if (m_preview)
        m_preview->refresh();
}

void Tools::tintChanged() { canvasChanged(); }

static void bringUp(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void Tools::place(QWidget *window, QScrollArea *scroller)
{
    auto *scroll = static_cast<FittedScroll *>(scroller);
    const bool beside = m_editor && m_editor->isVisible();
    const QWidget *anchorWindow = beside ? m_editor.data() : &m_owner;
    const QScreen *screen = anchorWindow->screen() ? anchorWindow->screen()
                                                   : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame the window manager puts round a window, as it put it round the anchor.
    const QRect anchorFrame = anchorWindow->frameGeometry();
    const QRect anchorInside = anchorWindow->geometry();
    const QSize frameExtra = anchorFrame.size() - anchorInside.size();

    scroll->setLimit({});
    window->adjustSize();
    const QSize inside = window->sizeHint().expandedTo(window->minimumSizeHint());
    const QRect other = beside ? m_owner.frameGeometry() : QRect();
    const QRect available = screen->availableGeometry();
    // The other tool windows shown are kept clear of too, where there is room.
    QList<QRect> tools;
    for (QWidget *shown : std::initializer_list<QWidget *>{m_check, m_aids, m_preview})
        if (shown && shown != window && shown->isVisible())
            tools << shown->frameGeometry();
    ui::Placement placed =
        ui::placeBeside(inside + frameExtra, anchorFrame, other, available, Gap, tools);
    const QSize excess = inside + frameExtra - placed.frame.size();
    if (excess.width() > 0 || excess.height() > 0) {
        const QSize full = scroll->sizeHint();
        // Only the way that lacks room is limited: the other keeps room for a scroll bar.
        auto limit = [](int size, int over) {
            return over > 0 ? std::max(MinimumView, size - over) : QWIDGETSIZE_MAX;
        };
        scroll->setLimit(QSize(limit(full.width(), excess.width()),
                               limit(full.height(), excess.height())));
        window->adjustSize();
        // The controls may keep the window wider than the room: placed again at its true size.
        const QSize shrunk = window->sizeHint() + frameExtra;
        if (shrunk != placed.frame.size())
            placed = ui::placeBeside(shrunk, anchorFrame, other, available, Gap, tools);
    }
    window->move(placed.frame.topLeft());
}

// Opens a tool window where it belongs; one already shown stays where the user left it.
static void openBeside(Tools &tools, QWidget *window, QScrollArea *scroller)
{
    if (!window->isVisible())
        tools.place(window, scroller);
    bringUp(window);
}

void Tools::showCheckView()
{
    if (!hasStereogram())
        return;
    if (!m_check) {
        m_check = new CheckView(&m_owner);
        m_check->setStereogram(m_stereogram);
    }
    openBeside(*this, m_check, m_check->scroller());
}

void Tools::showViewingAids()
{
    if (!hasStereogram())
        return;
    if (!m_aids) {
        m_aids = new ViewingAids(m_dialogs, &m_owner);
        m_aids->setStereogram(m_stereogram, m_depthMap, m_madeIro);
        m_aids->setRefit([this] { place(m_aids, m_aids->scroller()); });
    }
    openBeside(*this, m_aids, m_aids->scroller());
}

void Tools::showPreview()
{
    if (!m_preview)
        m_preview = new Preview(m_canvas, m_iroIndex, &m_owner);
    openBeside(*this, m_preview, m_preview->scroller());
}

namespace {

// Moves a window to another owner where it stands, as shown or hidden as it was.
void moveToOwner(QWidget *window, QWidget *owner)
{
    const QRect at = window->geometry();
    const bool shown = window->isVisible();
    window->setParent(owner, window->windowFlags());
    window->setGeometry(at);
    if (shown)
        window->show();
}

class EditorWatch final : public QObject
{
public:
    EditorWatch(QWidget &editor, QWidget &owner, Preview *const &preview,
                std::function<void(Preview *)> place)
        : m_editor(editor), m_owner(owner), m_preview(preview), m_place(std::move(place))
    {
        editor.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_editor && m_preview) {
            // Back to the main window before the editor goes: closed from its title bar, it
            // is destroyed with its child windows.
            if (event->type() == QEvent::Show && m_preview->isVisible()) {
                moveToOwner(m_preview, &m_editor);
                // Once the editor stands where it opens, the preview goes beside it.
                QTimer::singleShot(0, m_preview, [this] {
                    if (m_preview && m_preview->isVisible() && m_editor.isVisible())
                        m_place(m_preview);
                });
            }
            else if ((event->type() == QEvent::Hide || event->type() == QEvent::Close)
                     && m_preview->parentWidget() == &m_editor)
                moveToOwner(m_preview, &m_owner);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget &m_editor;
    QWidget &m_owner;
    Preview *const &m_preview;
    std::function<void(Preview *)> m_place;
};

} // namespace

void Tools::followEditor(QWidget &editor)
{
    m_editor = &editor;
    m_editorWatch = std::make_unique<EditorWatch>(
        editor, m_owner, m_preview, [this](Preview *preview) { place(preview, preview->scroller()); });
}

QString Tools::exportFilter()
{
    return u"PNG ファイル (*.png)|*.png|ビットマップファイル (*.bmp)|*.bmp"_s;
}

void Tools::exportStereogram()
{
    if (!hasStereogram())
        return;
    ExportDialog dialog(m_exportSettings, &m_owner);
    if (m_dialogs.runModal(dialog) != QDialog::Accepted)
        return;
    m_exportSettings = dialog.settings();
    const std::optional<QString> path = m_dialogs.showSave(exportFilter(), 0, m_exportName);
    if (!path)
        return;
    m_exportName = *path;
    writeExport(*path, m_exportSettings);
}

bool Tools::writeExport(const QString &path, const ExportDialog::Settings &settings)
{
    QString reason;
    try {
        // Off the window's thread, with a progress bar and キャンセル: a large scale takes seconds.
        const QImage stereogram = m_stereogram;
        return ui::runWithProgress(
            &m_owner, ExportDialog::caption(), u"拡大したステレオグラムを保存しています..."_s,
            [&](ui::JobState &job) {
                return picture::writeStereogram(
                    stereogram, settings.scale, settings.guides, path,
                    picture::formatOfName(path).value_or(picture::FileFormat::Png),
                    picture::dotsPerMeterOfDpi(settings.dpi), job.cancelFlag(),
                    job.progressFunction());
            });
    } catch (const picture::PictureError &e) {
        reason = ui::runtimeErrorOf(e).description();
    } catch (const std::bad_alloc &) {
        reason = ui::runtimeErrorDescription(ui::RuntimeError::OutOfMemory);
    }
    m_dialogs.msgBox(writeFailedText(path, reason), ui::MsgBox::Exclamation,
                     ExportDialog::caption());
    return false;
}

} // namespace app
