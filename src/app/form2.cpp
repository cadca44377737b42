// SPDX-License-Identifier: MIT

#include "form2.h"

#include "animationdialog.h"
#include "renderdialog.h"
#include "randomdots.h"
#include "picture/stereopictures.h"
#include "toolwindows.h"

#include "stereo/stereogramgenerator.h"

#include "ui/dialogs.h"
#include "ui/picturebox.h"
#include "ui/pictureio.h"
#include "ui/progressbar.h"
#include "ui/runtimeerror.h"
#include "ui/qtimage.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace app {

Form2::Form2(ui::Dialogs &dialogs, QString helpDirectory)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                               | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                               | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_helpDirectory(std::move(helpDirectory)),
      m_form1(
          [this] {
              auto editor = std::make_unique<editor::Form1>(m_dialogs, *m_ui.Picture1, &m_session);
              editor->setLevelNumbersShown(m_ui.MenuToolsLevelNumbers->isChecked());
              m_tools->followEditor(*editor);
              return editor;
          },
          this),
      m_form3([this] { return std::make_unique<stereo::Form3>(m_dialogs); }, this),
      m_endApplication([] { QCoreApplication::quit(); })
{
    m_ui.setupUi(this);
    setWindowIcon(QIcon(u":/zomvorn/zomvorn.xpm"_s));
    // The client area below the menu bar; the frame stays sizable, the controls stay put.
    const QSize client = Form2Ui::clientArea();
    resize(client.width(), client.height() + menuBar()->sizeHint().height());

    auto connectArray = [this](const auto &items, void (Form2::*handler)(int)) {
        for (int i = 0; i < int(items.size()); ++i) {
            ui::connectGuarded(m_dialogs, items[std::size_t(i)], &QAction::triggered, this,
                               [this, handler, i] { (this->*handler)(i); });
        }
    };
    connectArray(m_ui.MenuFile, &Form2::MenuFile_Click);
    connectArray(m_ui.MenuMake, &Form2::MenuMake_Click);
    connectArray(m_ui.MenuIro, &Form2::MenuIro_Click);
    connectArray(m_ui.MenuHelp, &Form2::MenuHelp_Click);
    setUpTools();
    ui::connectGuarded(m_dialogs, m_ui.MenuToolAnimate, &QAction::triggered, this,
                       [this] { makeAnimation(); });
    ui::connectGuarded(m_dialogs, m_ui.MenuToolRender, &QAction::triggered, this, [this] {
        RenderDialog dialog(m_dialogs, m_ui.Picture1->Image(), this);
        m_dialogs.runModal(dialog);
    });
    ui::connectGuarded(m_dialogs, m_ui.MenuToolsLevelNumbers, &QAction::toggled, this,
                       [this](bool on) {
                           if (m_form1.isLoaded())
                               m_form1->setLevelNumbersShown(on);
                       });
    ui::connectGuarded(m_dialogs, m_ui.MenuToolImport, &QAction::triggered, this,
                       [this] { MenuToolImport_Click(); });

    // The menu bar from the keyboard: F10 opens the first menu, and the arrow keys go on from
    // there. The captions carry no access keys.
    auto *openMenuBar = new QAction(this);
    openMenuBar->setObjectName(u"openMenuBar"_s);
    openMenuBar->setShortcut(QKeySequence(Qt::Key_F10));
    connect(openMenuBar, &QAction::triggered, this,
            [this] { menuBar()->setActiveAction(m_ui.mn1->menuAction()); });
    addAction(openMenuBar);

    Form_Load();
    updateActions();
}

Form2::~Form2()
{
    m_session.setChangeListener({});
}

void Form2::setUpTools()
{
    m_tools = std::make_unique<Tools>(
        m_dialogs, *this,
        // An editor not loaded opens with a blank canvas.
        [this] {
            return m_form1.isLoaded() ? m_form1->controls().Picture1->surface().persistentImage()
                                      : ui::toQImage(picture::depthMapOf({}));
        },
        [this] { return m_iroIndex; });
    const std::pair<QAction *, void (Tools::*)()> commands[] = {
        {m_ui.MenuToolsCheck, &Tools::showCheckView},
        {m_ui.MenuToolsView, &Tools::showViewingAids},
        {m_ui.MenuToolsExport, &Tools::exportStereogram},
        {m_ui.MenuToolsPreview, &Tools::showPreview},
    };
    for (const auto &[action, command] : commands)
        ui::connectGuarded(m_dialogs, action, &QAction::triggered, this,
                           [this, command] { (m_tools.get()->*command)(); });
    m_session.setChangeListener([this] { m_tools->canvasChanged(); });
}

void Form2::Form_Load()
{
    m_iroIndex = stereo::DefaultIroIndex;
}

void Form2::Form_Unload(int &Cancel)
{
    Q_UNUSED(Cancel);
    // Ends the application at once: nothing is asked, no other window's unload handling runs.
    m_endApplication();
}

void Form2::closeEvent(QCloseEvent *event)
{
    int cancel = 0;
    ui::runHandler(m_dialogs, [&] { Form_Unload(cancel); });
    event->accept();
}

QString Form2::newPrompt()
{
    return u"編集中のデータは消去されます。よろしいですか？"_s;
}

QString Form2::aboutText()
{
    return u"ZOMIRA -VORNA-  Version 1.02  ランダムドット・ステレオグラム作成ソフト"_s;
}

QString Form2::helpFilePath() const
{
    return QDir::toNativeSeparators(m_helpDirectory + u"/zomvorn.hlp"_s);
}

void Form2::MenuFile_Click(int Index)
{
    switch (Index) {
    case 0:
        newData();
        break;
    case 1:
        saveStereogram(m_fileName, m_ui.MenuFile[1]->text());
        break;
    case 2:
        saveAs();
        break;
    case 4:
        close();
        break;
    default:
        break;
    }
}

void Form2::newData()
{
    if (m_dialogs.msgBox(newPrompt(), ui::MsgBox::YesNo | ui::MsgBox::Question, u"新規作成"_s)
        != ui::MsgBox::Yes)
        return;
    m_form1->blankPicture();
    m_ui.Picture1->setPicture(ui::LoadPicture());
    m_form3->blankPicture();
    m_ui.Label4->setText(QString());
    m_ui.ProgressBar1->setValue(0);
    m_saveAgainOffered = false;
    m_tools->cleared();
    updateActions();
}

void Form2::updateActions()
{
    m_ui.MenuFile[1]->setEnabled(m_saveAgainOffered);
    m_ui.MenuIro[std::size_t(m_iroIndex)]->setChecked(true);
    for (QAction *a : {m_ui.MenuToolsCheck, m_ui.MenuToolsView, m_ui.MenuToolsExport})
        a->setEnabled(m_tools->hasStereogram());
}

bool Form2::saveStereogram(const QString &path, const QString &caption)
{
    const QImage image = m_form3->Picture1().Image();
    try {
        ui::SavePicture(image, path);
        return true;
    } catch (const ui::RuntimeError &e) {
        m_dialogs.msgBox(ui::writeFailedText(path, e.description()), ui::MsgBox::Exclamation, caption);
        return false;
    }
}

void Form2::saveAs()
{
    const std::optional<QString> chosen = m_dialogs.showSave(editor::bitmapFilter(), 0, m_fileName);
    if (!chosen)
        return;
    m_fileName = *chosen;
    if (saveStereogram(m_fileName, m_ui.MenuFile[2]->text())) {
        m_saveAgainOffered = true;
        updateActions();
    }
}

QString Form2::restorePrompt()
{
    return DraftChoice::prompt(1);
}

void Form2::offerDraft()
{
    QList<editor::DraftOffer> offers =
        editor::takeDraftOffers(m_drafts, m_ui.Picture1->surface().size());
    if (offers.isEmpty())
        return;
    const QString title = u"編集の復元"_s;
    QList<editor::DraftOffer> readable;
    for (editor::DraftOffer &offer : offers) {
        if (!offer.canvas.isNull()) {
            readable.append(offer);
            continue;
        }
        const QString aside = editor::DraftStore::moveAside(offer.orphan);
        m_dialogs.msgBox(u"保存されていない奥行きマップの編集が残っていましたが、復元できません。\n\n%1\n\n"
                         u"そのファイルは「%2」に移しました。"_s
                             .arg(offer.damage, QDir::toNativeSeparators(aside)),
                         ui::MsgBox::Exclamation, title);
    }
    offers.clear();
    if (readable.isEmpty())
        return;
    const DraftAnswer answer = m_chooseDraft ? m_chooseDraft(readable) : [&] {
        DraftChoice question(readable, this);
        m_dialogs.runModal(question);
        return question.answer();
    }();
    for (int i : answer.discard)
        if (i >= 0 && i < readable.size() && i != answer.restore)
            editor::DraftStore::discard(readable[i].orphan);
    if (answer.restore < 0 || answer.restore >= readable.size())
        return; // the others' locks go with the offers: they wait for a later start
    editor::DraftOffer &chosen = readable[answer.restore];
    m_drafts.adopt(chosen.orphan);
    m_form1->restoreDraft(chosen.canvas);
    // The editor opens as "データ編集" opens it, once start-up is over.
    QTimer::singleShot(0, this, [this] { ui::runHandler(m_dialogs, [this] { MenuMake_Click(0); }); });
}

void Form2::MenuMake_Click(int Index)
{
    switch (Index) {
    case 0:
        m_form1.showModal();
        break;
    case 2:
        makeRandomDots(m_generator, *m_ui.Picture1, m_form3, m_iroIndex,
                       {*this, *m_ui.Label4,
                        [this](int y) { m_ui.ProgressBar1->setValue(float(y)); },
                        [this] {
                            m_tools->stereogramMade(m_form3->Picture1().Image(),
                                                    m_ui.Picture1->Image(), m_iroIndex);
                            updateActions();
                        }});
        break;
    default:
        break;
    }
}

void Form2::MenuIro_Click(int Index)
{
    m_iroIndex = qint16(Index);
    updateActions();
    m_tools->tintChanged();
}

void Form2::MenuHelp_Click(int Index)
{
    switch (Index) {
    case 0:
        // A viewer that does not start is not reported: the application carries on.
        m_dialogs.showHelp(helpFilePath());
        break;
    case 2:
        m_dialogs.msgBox(aboutText(), ui::MsgBox::OKOnly, u"ABOUT"_s);
        break;
    default:
        break;
    }
}

void Form2::makeAnimation()
{
    AnimationDialog dialog(m_dialogs, m_iroIndex, this);
    dialog.offerCurrentMap(m_ui.Picture1->Image());
    m_dialogs.runModal(dialog);
}

void Form2::MenuToolImport_Click()
{
    if (m_form1->importPictureAs())
        m_form1.showModal();
}

} // namespace app
