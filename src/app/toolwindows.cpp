// SPDX-License-Identifier: MIT

#include "toolwindows.h"

#include "toolwindowframe.h"

#include "picture/pictureio.h"
#include "picture/stereopictures.h"

#include "ui/backgroundjob.h"
#include "ui/dialogs.h"
#include "ui/placement.h"
#include "ui/pictureio.h"
#include "ui/qtimage.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace app {

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
    return ui::saveFilter({picture::NamedFormat::Png, picture::NamedFormat::Bmp});
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
        const picture::Image stereogram = ui::fromQImage(m_stereogram);
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
    }
    m_dialogs.msgBox(ui::writeFailedText(path, reason), ui::MsgBox::Exclamation,
                     ExportDialog::caption());
    return false;
}

} // namespace app
