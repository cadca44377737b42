// SPDX-License-Identifier: MIT

#include "form1.h"

#include "draftstore.h"

#include "depthmapfile.h"
#include "editingsession.h"
#include "importdialog.h"

#include "picture/colour.h"
#include "picture/levels.h"
#include "picture/mapkind.h"

#include "ui/backgroundjob.h"
#include "ui/colour.h"
#include "ui/dialogs.h"
#include "ui/picturebox.h"
#include "ui/pictureio.h"
#include "ui/runtimeerror.h"
#include "ui/shape.h"

#include <QAction>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace editor {

QString bitmapFilter()
{
    return u"ビットマップファイル(*.bmp)|*.bmp|すべてのファイル (*.*)|*.*"_s;
}

static constexpr float PreviewCentre = 26.0f;

Form1::Form1(ui::Dialogs &dialogs, ui::PictureBox &depthStore, EditingSession *session)
    : ui::Form(Form1Ui::caption(), Form1Ui::clientArea()), m_dialogs(dialogs),
      m_depthStore(depthStore),
      m_ownSession(session ? nullptr : std::make_unique<EditingSession>()),
      m_session(session ? *session : *m_ownSession)
{
    m_ui.setupUi(this);
    m_keyboard = std::make_unique<KeyboardPen>(
        *m_ui.Picture1, *m_ui.HScroll1, *m_ui.HScroll2,
        KeyboardPen::Button{[this](float x, float y) { Picture1_MouseDown(1, 0, x, y); },
                            [this](float x, float y) { Picture1_MouseMove(1, 0, x, y); },
                            [this](float x, float y) { Picture1_MouseUp(1, 0, x, y); }});
    m_text = std::make_unique<TextPlacement>(*m_ui.Picture1);
    m_session.attach(&m_ui.Picture1->surface());

    ui::connectGuarded(m_dialogs, m_ui.HScroll1, &QScrollBar::valueChanged, this,
                       [this] { HScroll1_Change(); });
    ui::connectGuarded(m_dialogs, m_ui.HScroll2, &QScrollBar::valueChanged, this,
                       [this] { HScroll2_Change(); });
    ui::connectGuarded(m_dialogs, m_ui.Picture1, &ui::PictureBox::MouseDown, this,
                       [this](int b, int s, float x, float y) { Picture1_MouseDown(b, s, x, y); });
    ui::connectGuarded(m_dialogs, m_ui.Picture1, &ui::PictureBox::MouseMove, this,
                       [this](int b, int s, float x, float y) { Picture1_MouseMove(b, s, x, y); });
    ui::connectGuarded(m_dialogs, m_ui.Picture1, &ui::PictureBox::MouseUp, this,
                       [this](int b, int s, float x, float y) { Picture1_MouseUp(b, s, x, y); });
    ui::connectGuarded(m_dialogs, m_ui.Command1, &QPushButton::clicked, this,
                       [this] { Command1_Click(); });
    for (int level = 0; level < 16; ++level) {
        ui::Shape *cell = m_ui.Shape1[std::size_t(level)];
        cell->setPressable(true);
        ui::connectGuarded(m_dialogs, cell, &ui::Shape::pressed, this,
                           [this, level] { m_ui.HScroll2->setValue(level); });
    }
    m_ui.Picture1->installEventFilter(this);
    installEventFilter(this);
    ui::connectGuarded(m_dialogs, m_ui.Command2, &QPushButton::clicked, this,
                       [this] { Command2_Click(); });
    setUpCommands();
}

Form1::~Form1()
{
    m_session.detach();
}

void Form1::setUpCommands()
{
    auto command = [this](const QString &name, const QString &text,
                          const QList<QKeySequence> &keys, auto handler) {
        auto *action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcuts(keys);
        addAction(action);
        ui::connectGuarded(m_dialogs, action, &QAction::triggered, this,
                           [this, handler] { (this->*handler)(); });
        return action;
    };
    m_undo = command(u"UndoAction"_s, u"元に戻す"_s, {QKeySequence(u"Ctrl+Z"_s)}, &Form1::undo);
    m_redo = command(u"RedoAction"_s, u"やり直し"_s,
                     {QKeySequence(u"Ctrl+Y"_s), QKeySequence(u"Ctrl+Shift+Z"_s)}, &Form1::redo);
    m_saveMap = command(u"SaveMapAction"_s, u"奥行きマップを保存..."_s,
                        {QKeySequence(u"Ctrl+S"_s)}, &Form1::saveMapAs);
    m_openMap = command(u"OpenMapAction"_s, u"ファイル読み込み..."_s,
                        {QKeySequence(u"Ctrl+O"_s)}, &Form1::Command2_Click);

    m_importMap = command(u"ImportMapAction"_s, u"画像から奥行きマップ..."_s,
                          {QKeySequence(u"Ctrl+I"_s)}, &Form1::importPictureAs);
    m_insertText = command(u"InsertTextAction"_s, u"文字を入れる..."_s,
                           {QKeySequence(u"Ctrl+T"_s)}, &Form1::insertText);
    // Escape ends the placing of a text, and only then: otherwise it stays the window's own.
    m_cancelText = command(u"CancelTextAction"_s, u"文字を入れるのをやめる"_s,
                           {QKeySequence(Qt::Key_Escape)}, &Form1::cancelText);
    m_cancelText->setEnabled(false);

    m_canvasMenu = new QMenu(this);
    m_canvasMenu->setObjectName(u"CanvasMenu"_s);
    m_canvasMenu->addAction(m_undo);
    m_canvasMenu->addAction(m_redo);
    m_canvasMenu->addSeparator();
    m_canvasMenu->addAction(m_saveMap);
    m_canvasMenu->addAction(m_openMap);
    m_canvasMenu->addSeparator();
    m_canvasMenu->addAction(m_importMap);
    m_canvasMenu->addAction(m_insertText);
    for (QAction *action : m_canvasMenu->actions())
        action->setShortcutVisibleInContextMenu(true);
    m_ui.Picture1->setToolTip(canvasTip());
    m_ui.Picture1->setContextMenuPolicy(Qt::CustomContextMenu);
    ui::connectGuarded(m_dialogs, m_ui.Picture1, &QWidget::customContextMenuRequested, this,
                       [this](const QPoint &at) {
                           endStroke();
                           m_canvasMenu->popup(m_ui.Picture1->mapToGlobal(at));
                       });
    updateActions();
}

QString Form1::canvasTip() const
{
    QStringList lines{u"左ボタン: 描く　右クリック: メニュー"_s};
    for (QAction *action : {m_undo, m_redo, m_saveMap, m_openMap, m_importMap, m_insertText}) {
        QStringList keys;
        for (const QKeySequence &key : action->shortcuts())
            keys << key.toString(QKeySequence::NativeText);
        QString name = action->text();
        if (name.endsWith(u"..."_s))
            name.chop(3);
        lines << keys.join(u" / "_s) + u"　"_s + name;
    }
    lines << u"矢印キー: 描く位置　スペース: 描く　＋ －: ペンの太さ　［ ］: 高さ"_s;
    return lines.join(u'\n');
}

QString Form1::closedEditNotice()
{
    return u"閉じた編集は Ctrl+Z で戻せます"_s;
}

void Form1::showClosedEditNotice()
{
    if (!m_closedLine) {
        // The window's own, over the canvas's lower edge: the canvas itself stays as it is.
        m_closedLine = new QLabel(closedEditNotice(), this);
        m_closedLine->setObjectName(u"ClosedEditNotice"_s);
        m_closedLine->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_closedLine->setStyleSheet(
            u"QLabel { background: #ffffe1; color: black; border: 1px solid #767676; padding: 3px; }"_s);
        m_closedLine->adjustSize();
    }
    const QRect area = m_ui.Picture1->geometry();
    m_closedLine->move(area.left() + 6, area.bottom() - m_closedLine->height() - 5);
    m_closedLine->show();
    m_closedLine->raise();
}

void Form1::hideClosedEditNotice()
{
    if (m_closedLine)
        m_closedLine->hide();
}

void Form1::updateActions()
{
    m_undo->setEnabled(m_session.history().canUndo());
    m_redo->setEnabled(m_session.history().canRedo());
}

void Form1::beginStroke()
{
    const ui::PictureSurface &canvas = m_ui.Picture1->surface();
    m_session.history().begin(canvas.persistentImage(), canvas.screenImage());
}

void Form1::endStroke()
{
    CanvasHistory &history = m_session.history();
    if (!history.inStep())
        return;
    const ui::PictureSurface &canvas = m_ui.Picture1->surface();
    history.commit(canvas.persistentImage(), canvas.screenImage());
    updateActions();
    reportDraftTrouble();
}

void Form1::reportDraftTrouble()
{
    DraftStore *drafts = m_session.drafts();
    const QString error = drafts ? drafts->lastError() : QString();
    if (error.isEmpty() || m_draftTroubleShown) {
        m_draftTroubleShown = !error.isEmpty() && m_draftTroubleShown;
        return;
    }
    m_draftTroubleShown = true;
    m_dialogs.msgBox(u"編集中の奥行きマップの下書きを書き込めません。このままプログラムが終了すると、"
                     u"保存していない編集は失われます。「奥行きマップを保存」（Ctrl+S）で保存してください。\n\n"_s
                         + error,
                     ui::MsgBox::Exclamation, Form1Ui::caption());
}

void Form1::changeCanvas(const std::function<void()> &change)
{
    hideClosedEditNotice();
    endStroke();
    beginStroke();
    try {
        change();
    } catch (...) {
        endStroke();
        throw;
    }
    endStroke();
    m_session.canvasChanged();
}

void Form1::canvasMoved()
{
    hideClosedEditNotice();
    m_session.canvasChanged();
    updateActions();
}

void Form1::undo()
{
    endStroke();
    m_ui.Picture1->drawLayers(
        [this](QImage &persistent, QImage &screen) { return m_session.history().undo(persistent, screen); });
    canvasMoved();
}

void Form1::redo()
{
    endStroke();
    m_ui.Picture1->drawLayers(
        [this](QImage &persistent, QImage &screen) { return m_session.history().redo(persistent, screen); });
    canvasMoved();
}

void Form1::restoreDraft(const QImage &draft)
{
    changeCanvas([&] { m_ui.Picture1->setPicture(draft); });
    // A draft holds what the canvas held: a depth picture kept as it was loaded is offered the
    // conversion again, as when it was loaded.
    const picture::MapVerdict verdict = picture::recogniseMap(ui::fromQImage(draft));
    if (!verdict.isDepthPicture()
        || m_dialogs.msgBox(notLevelColoursPrompt(verdict), ui::MsgBox::YesNo | ui::MsgBox::Question,
                            u"編集の復元"_s)
               != ui::MsgBox::Yes)
        return;
    endStroke();
    ImportDialog dialog(ui::fromQImage(draft), this);
    if (m_dialogs.runModal(dialog) == QDialog::Accepted)
        putMap(ui::toQImage(dialog.levels().map));
}

bool Form1::saveMap(const QString &path)
{
    endStroke();
    const QImage image = m_ui.Picture1->Image();
    try {
        saveDepthMap(image, path);
    } catch (const ui::RuntimeError &e) {
        m_dialogs.msgBox(ui::writeFailedText(path, e.description()), ui::MsgBox::Exclamation,
                         u"奥行きマップを保存"_s);
        return false;
    }
    m_session.saved(image);
    return true;
}

void Form1::saveMapAs()
{
    endStroke();
    const std::optional<QString> path = m_dialogs.showSave(depthMapFilter(), 0, m_session.mapFileName());
    if (!path)
        return;
    m_session.setMapFileName(*path);
    saveMap(*path);
}

void Form1::Form_Load()
{
    for (int n = 0; n < 16; ++n)
        m_ui.Shape1[std::size_t(n)]->setBackColor(ui::QBColor(n));
    m_ui.HScroll1->setValue(DefaultPenSize);
    m_ui.HScroll2->setValue(DefaultPenLevel);
    showPen();
}

void Form1::HScroll1_Change()
{
    showPen();
}

void Form1::HScroll2_Change()
{
    showPen();
}

void Form1::showPen()
{
    const int size = m_ui.HScroll1->value();
    const int level = m_ui.HScroll2->value();
    if (m_ui.Picture1->markShown())
        m_keyboard->showMark();
    showLevelMarks();
    DrawPenPreview(size, level);
    m_ui.Label7->setText(QString::number(size));
    m_ui.Label8->setText(QString::number(level));
}

// A disc of the level's colour, drawn twice: once kept in the persistent image, once on screen
// only, so the box ends with AutoRedraw off as every drawing of this window leaves it.
static void drawDisc(ui::PictureBox &box, float x, float y, int radius, int level)
{
    for (bool kept : {true, false}) {
        box.setAutoRedraw(kept);
        box.setFillColor(ui::QBColor(level));
        box.Circle(x, y, float(radius), ui::QBColor(level));
    }
}

void Form1::DrawPenPreview(int size, int level)
{
    ui::PictureBox &preview = *m_ui.Picture2;
    preview.setAutoRedraw(true);
    preview.Cls();
    drawDisc(preview, PreviewCentre, PreviewCentre, size, level);
}

void Form1::Picture1_MouseDown(int Button, int Shift, float X, float Y)
{
    Q_UNUSED(Shift);
    m_keyboard->pointedAt(X, Y);
    if (Button == 1 && placingText()) {
        placeText(qRound(X), qRound(Y));
        return;
    }
    if (Button == 1) {
        hideClosedEditNotice();
        beginStroke();
        StampPen(X, Y);
        m_session.canvasChanged();
    }
}

void Form1::Picture1_MouseMove(int Button, int Shift, float X, float Y)
{
    Q_UNUSED(Shift);
    if (placingText()) {
        m_text->follow(qRound(X), qRound(Y));
        return;
    }
    if (Button == 1) {
        beginStroke();
        StampPen(X, Y);
        m_session.canvasChanged();
    }
}

void Form1::Picture1_MouseUp(int Button, int Shift, float X, float Y)
{
    Q_UNUSED(Shift);
    Q_UNUSED(X);
    Q_UNUSED(Y);
    if (Button == 1)
        endStroke();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this && event->type() == QEvent::Show) {
        m_shownFocus = true;
        if (m_session.takeClosedEdit())
            showClosedEditNotice();
    }
    if (watched == m_ui.Picture1) {
        if (event->type() == QEvent::FocusIn) {
            // The focus the window gives as it opens shows no mark; a Tab from another control
            // does, as does any key of the canvas.
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (!std::exchange(m_shownFocus, false)
                && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason))
                m_keyboard->showMark();
        } else if (event->type() == QEvent::FocusOut) {
            // A stroke by keyboard ends where the keyboard leaves the canvas.
            if (m_keyboard->leave())
                ui::runHandler(m_dialogs, [this] { endStroke(); });
        } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool press = event->type() == QEvent::KeyPress;
            bool taken = false;
            ui::runHandler(m_dialogs, [&] {
                const int shift = ui::shiftCode(key->modifiers());
                taken = press ? Picture1_KeyDown(key->key(), shift, key->isAutoRepeat())
                              : Picture1_KeyUp(key->key(), shift, key->isAutoRepeat());
            });
            if (taken)
                return true;
        }
    }
    return ui::Form::eventFilter(watched, event);
}

bool Form1::Picture1_KeyDown(int KeyCode, int Shift, bool repeated)
{
    return m_keyboard->keyDown(KeyCode, Shift, repeated);
}

bool Form1::Picture1_KeyUp(int KeyCode, int Shift, bool repeated)
{
    return m_keyboard->keyUp(KeyCode, Shift, repeated);
}

void Form1::showLevelMarks()
{
    const int level = m_ui.HScroll2->value();
    for (int n = 0; n < 16; ++n) {
        ui::Shape *cell = m_ui.Shape1[std::size_t(n)];
        cell->setMarked(n == level);
        cell->setText(m_levelNumbers ? QString::number(n) : QString());
    }
}

void Form1::setLevelNumbersShown(bool shown)
{
    m_levelNumbers = shown;
    showLevelMarks();
    if (!shown) {
        m_ui.Picture1->setShownColours({});
        return;
    }
    m_ui.Picture1->setShownColours([](QRgb rgb) {
        for (int n = 0; n < 16; ++n)
            if ((rgb & 0xffffffu) == (ui::toQRgb(ui::QBColor(n)) & 0xffffffu))
                return qRgb(n * 17, n * 17, n * 17);
        const int grey = qGray(rgb);
        return qRgb(grey, grey, grey);
    });
}

void Form1::StampPen(float x, float y)
{
    drawDisc(*m_ui.Picture1, x, y, m_ui.HScroll1->value(), m_ui.HScroll2->value());
}

void Form1::Command1_Click()
{
    endStroke();
    m_depthStore.setPicture(m_ui.Picture1->Image());
    setVisible(false);
}

QImage Form1::loadDepthImage(const QString &path)
{
    QImage loaded = ui::LoadPicture(path, m_ui.Picture1->surface().size());
    m_ui.Picture1->setPicture(loaded);
    return loaded;
}

void Form1::blankPicture()
{
    m_ui.Picture1->setPicture({});
    m_session.emptied();
    updateActions();
}

void Form1::Command2_Click()
{
    endStroke();
    const std::optional<QString> path = m_dialogs.showOpen(bitmapFilter(), 0, m_fileName);
    if (!path)
        return;
    m_fileName = *path;
    QImage loaded;
    try {
        changeCanvas([&] { loaded = loadDepthImage(*path); });
    } catch (const ui::RuntimeError &e) {
        m_dialogs.msgBox(ui::readFailedText(*path, e.description()), ui::MsgBox::Exclamation,
                         u"ファイル読み込み"_s);
        return;
    }
    // A depth picture (grey, 16-bit, in colour) loads as flat or garbled levels: say what it is,
    // and offer the conversion. はい opens the import dialog; its キャンセル keeps the picture as
    // loaded.
    const picture::MapVerdict verdict = verdictOfFile(*path, loaded);
    if (verdict.isDepthPicture()
        && m_dialogs.msgBox(notLevelColoursPrompt(verdict), ui::MsgBox::YesNo | ui::MsgBox::Question,
                            u"ファイル読み込み"_s)
               == ui::MsgBox::Yes)
        importPicture(*path);
}

picture::MapVerdict Form1::verdictOfFile(const QString &path, const QImage &loaded)
{
    // The canvas holds only the top left of a large picture; what the picture is shows in the
    // whole of it.
    try {
        return picture::recogniseMap(ui::loadPictureData(path));
    } catch (const ui::RuntimeError &) {
        return picture::recogniseMap(ui::fromQImage(loaded));
    }
}

QString Form1::notLevelColoursPrompt(const picture::MapVerdict &verdict)
{
    return u"この画像は%1で、高さの色では描かれていません。\n"
           u"「画像から奥行きマップ」で変換しますか？"_s.arg(pictureKindText(verdict));
}

bool Form1::importPictureAs()
{
    endStroke();
    const std::optional<QString> path = m_dialogs.showOpen(ui::openPictureFilter(), 0, m_fileName);
    if (!path)
        return false;
    m_fileName = *path;
    return importPicture(*path);
}

bool Form1::importPicture(const QString &path)
{
    endStroke();
    // Reading, recognising and placing a large picture takes a second or more: off the window's
    // thread, with a progress bar and キャンセル.
    std::optional<ImportPicture> prepared;
    try {
        const bool done = ui::runWithProgress(
            this, u"画像から奥行きマップ"_s, u"画像を読み込んでいます..."_s, [&](ui::JobState &job) {
                job.progress(0, 2);
                picture::Image source = ui::loadPictureData(path);
                if (job.cancelled())
                    return false;
                job.progress(1, 2);
                prepared = prepareImport(std::move(source), job.cancelFlag());
                return prepared.has_value();
            });
        if (!done)
            return false;
    } catch (const ui::RuntimeError &e) {
        m_dialogs.msgBox(ui::readFailedText(path, e.description()), ui::MsgBox::Exclamation,
                         u"画像から奥行きマップ"_s);
        return false;
    }
    ImportDialog dialog(std::move(*prepared), this);
    if (m_dialogs.runModal(dialog) != QDialog::Accepted)
        return false;
    putMap(ui::toQImage(dialog.levels().map));
    return true;
}

void Form1::putMap(const QImage &map)
{
    changeCanvas([&] { m_ui.Picture1->setPicture(map); });
}

void Form1::insertText()
{
    endStroke();
    cancelText();
    TextDialog dialog(this);
    if (m_dialogs.runModal(dialog) != QDialog::Accepted)
        return;
    const CanvasText text = dialog.canvasText();
    if (!text.text.trimmed().isEmpty())
        beginPlacingText(text);
}

void Form1::beginPlacingText(const CanvasText &text)
{
    if (m_text->begin(text))
        m_cancelText->setEnabled(true);
}

void Form1::cancelText()
{
    m_text->cancel();
    m_cancelText->setEnabled(false);
}

void Form1::placeText(int x, int y)
{
    const std::function<void()> draw = m_text->placedAt(x, y);
    if (!draw)
        return;
    cancelText();
    changeCanvas(draw);
}

void Form1::Form_Unload(int &Cancel)
{
    Q_UNUSED(Cancel);
    setVisible(false);
    // The canvas is discarded, and the next window opens blank; the history keeps the discarded
    // canvas as the step that blanked it, so one undo brings it back.
    endStroke();
    beginStroke();
    const ui::PictureSurface &canvas = m_ui.Picture1->surface();
    const ui::PictureSurface blank(canvas.size(), canvas.backColor(),
                                   ui::PictureSurface::FillStyle::Solid);
    if (m_session.history().commit(blank.persistentImage(), blank.screenImage()))
        m_session.noteClosedEdit();
}

} // namespace editor
