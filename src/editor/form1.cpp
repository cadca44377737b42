// SPDX-License-Identifier: MIT

#include "form1.h"

#include "ui/colour.h"
#include "ui/dialogs.h"
#include "ui/picturebox.h"
#include "ui/pictureio.h"
#include "ui/runtimeerror.h"
#include "ui/shape.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace editor {

QString bitmapFilter()
{
    return u"ビットマップファイル(*.bmp)|*.bmp|すべてのファイル (*.*)|*.*"_s;
}

static constexpr float PreviewCentre = 26.0f;

Form1::Form1(ui::Dialogs &dialogs, ui::PictureBox &depthStore)
    : ui::Form(Form1Ui::caption(), Form1Ui::clientArea()), m_dialogs(dialogs),
      m_depthStore(depthStore)
{
    m_ui.setupUi(this);

    ui::connectGuarded(m_dialogs, m_ui.HScroll1, &QScrollBar::valueChanged, this,
                       [this] { HScroll1_Change(); });
    ui::connectGuarded(m_dialogs, m_ui.HScroll2, &QScrollBar::valueChanged, this,
                       [this] { HScroll2_Change(); });
    ui::connectGuarded(m_dialogs, m_ui.Picture1, &ui::PictureBox::MouseDown, this,
                       [this](int b, int s, float x, float y) { Picture1_MouseDown(b, s, x, y); });
    ui::connectGuarded(m_dialogs, m_ui.Picture1, &ui::PictureBox::MouseMove, this,
                       [this](int b, int s, float x, float y) { Picture1_MouseMove(b, s, x, y); });
    ui::connectGuarded(m_dialogs, m_ui.Command1, &QPushButton::clicked, this,
                       [this] { Command1_Click(); });
    ui::connectGuarded(m_dialogs, m_ui.Command2, &QPushButton::clicked, this,
                       [this] { Command2_Click(); });
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
    if (Button == 1)
        StampPen(X, Y);
}

void Form1::Picture1_MouseMove(int Button, int Shift, float X, float Y)
{
    Q_UNUSED(Shift);
    if (Button == 1)
        StampPen(X, Y);
}

void Form1::StampPen(float x, float y)
{
    drawDisc(*m_ui.Picture1, x, y, m_ui.HScroll1->value(), m_ui.HScroll2->value());
}

void Form1::Command1_Click()
{
    m_depthStore.setPicture(m_ui.Picture1->Image());
    setVisible(false);
}

QString Form1::loadFailedText(const QString &path, const QString &reason)
{
    return u"「%1」はピクチャとして読み込めませんでした。\n\n%2"_s
        .arg(QDir::toNativeSeparators(path), reason);
}

void Form1::loadDepthImage(const QString &path)
{
    m_ui.Picture1->setPicture(ui::LoadPicture(path, m_ui.Picture1->surface().size()));
}

void Form1::blankPicture()
{
    m_ui.Picture1->setPicture({});
}

void Form1::Command2_Click()
{
    const std::optional<QString> path = m_dialogs.showOpen(bitmapFilter(), 0, m_fileName);
    if (!path)
        return;
    m_fileName = *path;
    try {
        loadDepthImage(*path);
    } catch (const ui::RuntimeError &e) {
        m_dialogs.msgBox(loadFailedText(*path, e.description()), ui::MsgBox::Exclamation,
                         u"ファイル読み込み"_s);
    }
}

void Form1::Form_Unload(int &Cancel)
{
    Q_UNUSED(Cancel);
    setVisible(false);
}

} // namespace editor
