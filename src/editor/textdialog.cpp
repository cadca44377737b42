// SPDX-License-Identifier: MIT

#include "textdialog.h"

#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace editor {

QFont defaultTextFont()
{
    for (const QString &family : {u"IPAPGothic"_s, u"IPAGothic"_s, u"Noto Sans CJK JP"_s}) {
        if (QFontDatabase::hasFamily(family))
            return QFont(family);
    }
    return QFont();
}

QImage textMask(const CanvasText &text, QSize limit)
{
    if (text.text.size() > MaxTextLength || limit.isEmpty())
        return {};
    QFont font = text.font;
    font.setPixelSize(std::max(1, text.pixelSize));
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    const QFontMetrics metrics(font);
    const QRect extent = metrics.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop,
                                              text.text);
    if (extent.isEmpty())
        return {};
    QImage mask(extent.size().boundedTo(limit), QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setClipRect(mask.rect());
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRect(QPoint(0, 0), extent.size()), Qt::AlignLeft | Qt::AlignTop,
                         text.text);
    }
    // Whatever the font engine did, each pixel is in or out.
    for (int y = 0; y < mask.height(); ++y) {
        uchar *line = mask.scanLine(y);
        for (int x = 0; x < mask.width(); ++x)
            line[x] = line[x] >= 128 ? 255 : 0;
    }
    return mask;
}

TextDialog::TextDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"TextDialog"_s);
    setWindowTitle(u"文字を入れる"_s);
    text = new QPlainTextEdit(this);
    text->setObjectName(u"text"_s);
    font = new QFontComboBox(this);
    font->setObjectName(u"font"_s);
    font->setWritingSystem(QFontDatabase::Japanese);
    font->setCurrentFont(defaultTextFont());
    size = new QSpinBox(this);
    size->setObjectName(u"size"_s);
    size->setRange(6, 300);
    size->setValue(48);
    size->setSuffix(u" ピクセル"_s);
    level = new QSpinBox(this);
    level->setObjectName(u"level"_s);
    level->setRange(0, 15);
    level->setValue(15);

    lengthNote = new QLabel(this);
    lengthNote->setObjectName(u"lengthNote"_s);
    lengthNote->setWordWrap(true);
    lengthNote->hide();

    auto *form = new QFormLayout;
    form->addRow(u"文字"_s, text);
    form->addRow(QString(), lengthNote);
    form->addRow(u"フォント"_s, font);
    form->addRow(u"大きさ"_s, size);
    form->addRow(u"高さ"_s, level);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    connect(text, &QPlainTextEdit::textChanged, this, &TextDialog::checkLength);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(buttons);
}

void TextDialog::checkLength()
{
    const qsizetype length = text->document()->characterCount() - 1;
    const bool tooLong = length > MaxTextLength;
    ok->setEnabled(!tooLong);
    lengthNote->setVisible(tooLong);
    if (tooLong)
        lengthNote->setText(u"文字は %1 字までです（いまは %2 字）。"_s.arg(MaxTextLength).arg(length));
}

CanvasText TextDialog::canvasText() const
{
    return {text->toPlainText(), font->currentFont(), size->value(), level->value()};
}

} // namespace editor
