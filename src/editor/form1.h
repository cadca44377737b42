// SPDX-License-Identifier: MIT

#pragma once

#include "form1ui.h"

#include "ui/form.h"

namespace ui {
class Dialogs;
class PictureBox;
} // namespace ui

namespace editor {

// The depth-map editor: paint discs of 16 height levels on the canvas, or load a picture into it,
// then hand the canvas to the main window's depth store with "編集終了".
class Form1 : public ui::Form
{
public:
    // `depthStore` is the main window's depth map, which "編集終了" replaces.
    Form1(ui::Dialogs &dialogs, ui::PictureBox &depthStore);

    Form1Ui &controls() { return m_ui; }

    void Form_Load() override;
    void Form_Unload(int &Cancel) override;
    void HScroll1_Change();
    void HScroll2_Change();
    void DrawPenPreview(int size, int level);
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void Picture1_MouseMove(int Button, int Shift, float X, float Y);
    void StampPen(float x, float y);
    void Command1_Click();
    void Command2_Click();

    // The "do" half of "ファイル読み込み": puts the picture of that file into the canvas, or
    // raises the reader's error and leaves the canvas as it was.
    void loadDepthImage(const QString &path);

    // Empties the canvas, as "新規作成" does.
    void blankPicture();

    // The message shown when a chosen file cannot be read as a picture.
    static QString loadFailedText(const QString &path, const QString &reason);

private:
    // The pen's read-outs and preview, from the sliders.
    void showPen();

    ui::Dialogs &m_dialogs;
    ui::PictureBox &m_depthStore;
    Form1Ui m_ui;
    // CommonDialog1's FileName: the last file chosen, for as long as the editor stays loaded.
    QString m_fileName;
};

// The file dialogs' filter list: bitmaps first, then every file.
QString bitmapFilter();

// The pen's defaults at every load: radius 14, level 8.
inline constexpr int DefaultPenSize = 14;
inline constexpr int DefaultPenLevel = 8;

} // namespace editor
