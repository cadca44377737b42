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
    : ui::Form(ui::Form1Ui::caption(), ui::Form1Ui::clientArea()), m_dialogs(dialogs),
      m_depthStore(depthStore)
{
    m_ui.setupUi(this);

    auto guarded = [this](auto handler) {
        return [this, handler](auto... args) {
            ui::runHandler(m_dialogs, [&] { (this->*handler)(args...); });
        };
    };
    connect(m_ui.HScroll1, &QScrollBar::valueChanged, this,
            [run = guarded(&Form1::HScroll1_Change)](int) { run(); });
    connect(m_ui.HScroll2, &QScrollBar::valueChanged, this,
            [run = guarded(&Form1::HScroll2_Change)](int) { run(); });
    connect(m_ui.Picture1, &ui::PictureBox::MouseDown, this, guarded(&Form1::Picture1_MouseDown));
    connect(m_ui.Picture1, &ui::PictureBox::MouseMove, this, guarded(&Form1::Picture1_MouseMove));
    connect(m_ui.Command1, &QPushButton::clicked, this,
            [run = guarded(&Form1::Command1_Click)] { run(); });
    connect(m_ui.Command2, &QPushButton::clicked, this,
            [run = guarded(&Form1::Command2_Click)] { run(); });
}

void Form1::Form_Load()
{
    for (int n = 0; n < 16; ++n)
        m_ui.Shape1[std::size_t(n)]->setBackColor(ui::QBColor(n));
    m_ui.HScroll1->setValue(DefaultPenSize);
    m_ui.HScroll2->setValue(DefaultPenLevel);
    const int size = m_ui.HScroll1->value();
    const int level = m_ui.HScroll2->value();
    DrawPenPreview(size, level);
    m_ui.Label7->setText(QString::number(size));
    m_ui.Label8->setText(QString::number(level));
}

void Form1::HScroll1_Change()
{
    const int size = m_ui.HScroll1->value();
    const int level = m_ui.HScroll2->value();
    DrawPenPreview(size, level);
    m_ui.Label7->setText(QString::number(size));
}

void Form1::HScroll2_Change()
{
    const int size = m_ui.HScroll1->value();
    const int level = m_ui.HScroll2->value();
    DrawPenPreview(size, level);
    m_ui.Label8->setText(QString::number(level));
}

void Form1::DrawPenPreview(int size, int level)
{
    ui::PictureBox &preview = *m_ui.Picture2;
    preview.setAutoRedraw(true);
    preview.Cls();
    preview.setFillColor(ui::QBColor(level));
    preview.Circle(PreviewCentre, PreviewCentre, float(size), ui::QBColor(level));
    preview.setAutoRedraw(false);
    preview.setFillColor(ui::QBColor(level));
    preview.Circle(PreviewCentre, PreviewCentre, float(size), ui::QBColor(level));
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
    const int size = m_ui.HScroll1->value();
    const int level = m_ui.HScroll2->value();
    ui::PictureBox &canvas = *m_ui.Picture1;
    canvas.setAutoRedraw(true);
    canvas.setFillColor(ui::QBColor(level));
    canvas.Circle(x, y, float(size), ui::QBColor(level));
    canvas.setAutoRedraw(false);
    canvas.setFillColor(ui::QBColor(level));
    canvas.Circle(x, y, float(size), ui::QBColor(level));
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

void Form1::Command2_Click()
{
    const std::optional<QString> path = m_dialogs.showOpen(bitmapFilter(), 0);
    if (!path)
        return;
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
