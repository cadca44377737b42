// SPDX-License-Identifier: MIT

#pragma once

#include "form1ui.h"

#include "picture/mapkind.h"
#include "ui/form.h"

#include "keyboardpen.h"
#include "textdialog.h"
#include "textplacement.h"

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;

namespace ui {
class Dialogs;
class PictureBox;
} // namespace ui

namespace editor {

class EditingSession;

// The depth-map editor: paint discs of 16 height levels on the canvas, or load a picture into it,
// then hand the canvas to the main window's depth store with "編集終了".
class Form1 : public ui::Form
{
public:
    // `depthStore` is the main window's depth map, which "編集終了" replaces. `session` keeps the
    // history, the draft and the depth map's file name beyond this window's life; without one the
    // window keeps its own.
    Form1(ui::Dialogs &dialogs, ui::PictureBox &depthStore, EditingSession *session = nullptr);
    ~Form1() override;

    Form1Ui &controls() { return m_ui; }

    void Form_Load() override;
    void Form_Unload(int &Cancel) override;
    void HScroll1_Change();
    void HScroll2_Change();
    void DrawPenPreview(int size, int level);
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void Picture1_MouseMove(int Button, int Shift, float X, float Y);
    void Picture1_MouseUp(int Button, int Shift, float X, float Y);
    void StampPen(float x, float y);
    void Command1_Click();
    void Command2_Click();

    // The "do" half of "ファイル読み込み": puts the picture of that file into the canvas, or
    // raises the reader's error and leaves the canvas as it was. Returns the picture put there.
    QImage loadDepthImage(const QString &path);

    // Empties the canvas, as "新規作成" does, and with it the history and the draft.
    void blankPicture();

    // Undo (Ctrl+Z) and redo (Ctrl+Y, Ctrl+Shift+Z) of the canvas's steps: a stroke from a left
    // press to its release, a load, a restored draft.
    void undo();
    void redo();
    // "奥行きマップを保存..." (Ctrl+S): asks for a file, then saves the canvas there.
    void saveMapAs();
    // The "do" half: writes the canvas to `path`, or shows why it could not. Returns whether the
    // file was written.
    bool saveMap(const QString &path);
    // Puts a draft found at start on the canvas, as one step.
    void restoreDraft(const QImage &draft);

    // "画像から奥行きマップ..." (Ctrl+I): asks for a picture, then converts it. Returns whether
    // the canvas took a map.
    bool importPictureAs();
    // Reads the whole picture (with the load path's bounds and refusals), asks for the settings in
    // the import dialog, and puts the map into the canvas as one step. Shows why a file cannot be
    // read. Returns whether the canvas took a map.
    bool importPicture(const QString &path);
    // Puts a depth map into the canvas as one step.
    void putMap(const QImage &map);
    // The question after loading a picture that is not drawn in the level colours.
    static QString notLevelColoursPrompt(const picture::MapVerdict &verdict);
    // What a loaded file is, from the whole picture (or, when it cannot be read whole, from the
    // part the canvas took).
    static picture::MapVerdict verdictOfFile(const QString &path, const QImage &loaded);

    // "文字を入れる..." (Ctrl+T): asks for the text, then the next left click places it.
    void insertText();
    // The text that the next left click places, with an outline following the mouse.
    void beginPlacingText(const CanvasText &text);
    bool placingText() const { return m_text->active(); }
    // Puts the text with its top left at (x, y) as one step, in exactly the level's colour.
    void placeText(int x, int y);
    void cancelText();

    // The right-click menu of the canvas.
    QMenu *canvasMenu() const { return m_canvasMenu; }

    // A key on the canvas, for painting from the keyboard (KeyboardPen); a stroke by keyboard is
    // one step, as a drag is. Returns whether the key was the canvas's.
    bool Picture1_KeyDown(int KeyCode, int Shift, bool repeated);
    bool Picture1_KeyUp(int KeyCode, int Shift, bool repeated);
    QPoint keyboardPosition() const { return m_keyboard->position(); }

    // The levels as numbers on the palette, and the canvas shown as a grey ramp (dark far, light
    // near) instead of the level colours; a view only.
    void setLevelNumbersShown(bool shown);
    bool levelNumbersShown() const { return m_levelNumbers; }

    // The tooltip of the canvas: what the mouse does there and the editor's shortcuts, from the
    // commands themselves.
    QString canvasTip() const;
    // The line shown over the canvas when the window opens after a close from its title bar
    // threw a painting away; it goes at the canvas's next change.
    static QString closedEditNotice();
    QLabel *closedEditLine() const { return m_closedLine; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The pen's read-outs and preview, from the sliders.
    void showPen();
    void setUpCommands();
    // A stroke: begun by the first stamp, ended by the left button's release or by any command.
    void beginStroke();
    void endStroke();
    // Runs a change of the canvas as one step; a change that raises leaves no step behind.
    void changeCanvas(const std::function<void()> &change);
    // The canvas moved to another state of its history.
    void canvasMoved();
    void updateActions();
    void showLevelMarks();
    // Says once, at the end of a step, that the draft cannot be written.
    void reportDraftTrouble();
    void showClosedEditNotice();
    void hideClosedEditNotice();

    ui::Dialogs &m_dialogs;
    ui::PictureBox &m_depthStore;
    std::unique_ptr<EditingSession> m_ownSession;
    EditingSession &m_session;
    // The draft trouble was said, and no draft was written since.
    bool m_draftTroubleShown = false;
    bool m_shownFocus = false;
    bool m_levelNumbers = false;
    Form1Ui m_ui;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_saveMap = nullptr;
    QAction *m_openMap = nullptr;
    QAction *m_importMap = nullptr;
    QAction *m_insertText = nullptr;
    QAction *m_cancelText = nullptr;
    QMenu *m_canvasMenu = nullptr;
    QLabel *m_closedLine = nullptr;
    std::unique_ptr<KeyboardPen> m_keyboard;
    std::unique_ptr<TextPlacement> m_text;
    // CommonDialog1's FileName: the last file chosen, for as long as the editor stays loaded.
    QString m_fileName;
};

// The file dialogs' filter list: bitmaps first, then every file.
QString bitmapFilter();

// The pen's defaults at every load: radius 14, level 8.
inline constexpr int DefaultPenSize = 14;
inline constexpr int DefaultPenLevel = 8;

} // namespace editor
