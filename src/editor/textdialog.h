// SPDX-License-Identifier: MIT

#pragma once

#include <QDialog>
#include <QFont>
#include <QImage>

class QFontComboBox;
class QLabel;
class QPushButton;
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

// The most characters one text may have: enough for a caption, few enough to draw at once.
inline constexpr int MaxTextLength = 200;

// The text's pixels, drawn without anti-aliasing: a Format_Alpha8 picture in which every pixel is
// 0 (left as it is) or 255 (becomes the level's colour), cut to the text's extent and to `limit`
// (the canvas): what lies beyond is never drawn. A text longer than MaxTextLength gives nothing.
QImage textMask(const CanvasText &text, QSize limit);

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
    // Says why OK is off while the text is too long.
    QLabel *lengthNote = nullptr;
    QPushButton *ok = nullptr;

private:
    void checkLength();
};

} // namespace editor
