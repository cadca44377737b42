// SPDX-License-Identifier: MIT

#pragma once

#include <QDialog>
#include <QFont>
#include <QImage>

class QFontComboBox;
class QPlainTextEdit;
class QSpinBox;

namespace editor {

// What "文字を入れる" puts on the canvas.
struct CanvasText
{
    QString text;
    QFont font;
    int pixelSize = 48;
    int level = 15;
};

// The text's pixels, drawn without anti-aliasing: a Format_Alpha8 picture in which every pixel is
// 0 (left as it is) or 255 (becomes the level's colour), cut to the text's extent.
QImage textMask(const CanvasText &text);

// The font the dialog offers first: a Japanese Gothic that Debian installs with the program.
QFont defaultTextFont();

// Asks for the text, its font, size and level.
class TextDialog : public QDialog
{
public:
    explicit TextDialog(QWidget *parent = nullptr);

    CanvasText canvasText() const;

    QPlainTextEdit *text = nullptr;
    QFontComboBox *font = nullptr;
    QSpinBox *size = nullptr;
    QSpinBox *level = nullptr;
};

} // namespace editor
