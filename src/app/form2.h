// SPDX-License-Identifier: MIT

#pragma once

#include "form2ui.h"

#include "draftchoice.h"
#include "editor/draftstore.h"
#include "editor/editingsession.h"
#include "editor/form1.h"
#include "stereo/form3.h"
#include "stereo/stereogramgenerator.h"

#include "ui/formslot.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace ui {
class Dialogs;
}

namespace app {

class Tools;

// The main window, and with it the application: its menus lead to every command, it holds the
// depth map and the application-wide state, and closing it ends the application.
class Form2 : public QMainWindow
{
public:
    // `helpDirectory` is the folder the help file is looked for in: the executable's.
    Form2(ui::Dialogs &dialogs, QString helpDirectory);
    ~Form2() override;

    Form2Ui &controls() { return m_ui; }
    ui::FormSlot<editor::Form1> &Form1() { return m_form1; }
    ui::FormSlot<stereo::Form3> &Form3() { return m_form3; }
    qint16 IroIndex() const { return m_iroIndex; }

    void Form_Load();
    void Form_Unload(int &Cancel);
    void MenuFile_Click(int Index);
    void MenuMake_Click(int Index);
    void MenuIro_Click(int Index);
    void MenuHelp_Click(int Index);
    Tools &tools() { return *m_tools; }
    // ツール → アニメーションを作成...: its own generator, never the application's sequence.
    void makeAnimation();
    // "画像から奥行きマップ...": the editor's import, then the editor with the map.
    void MenuToolImport_Click();

    // What ends the application; quitting the event loop unless a test says otherwise.
    void setEndApplication(std::function<void()> end) { m_endApplication = std::move(end); }

    // The "do" half of both save commands: writes the stereogram to `path`, or shows why it could
    // not, titled with the command's caption. Returns whether the file was written.
    bool saveStereogram(const QString &path, const QString &caption);

    QString helpFilePath() const;

    // At start: the drafts that instances which are gone left behind are offered back, each with
    // its date, size and picture. The one restored goes onto the editor's canvas and the editor
    // opens; those discarded are deleted; the others stay for a later start. Damaged ones are
    // refused with their reasons and moved aside.
    void offerDraft();
    // Who answers the offer; the draft question by default.
    using DraftChooser = std::function<DraftAnswer(const QList<editor::DraftOffer> &)>;
    void setDraftChooser(DraftChooser choose) { m_chooseDraft = std::move(choose); }
    editor::EditingSession &editingSession() { return m_session; }
    editor::DraftStore &drafts() { return m_drafts; }
    static QString restorePrompt();

    // The About box's one line.
    static QString aboutText();
    static QString newPrompt();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void newData();
    void saveAs();
    // The menus' check marks and enabled states, from the state they show.
    void updateActions();
    void setUpTools();

    ui::Dialogs &m_dialogs;
    QString m_helpDirectory;
    Form2Ui m_ui;
    qint16 m_iroIndex = 0;
    // CommonDialog1's FileName: the name the last save dialog returned, never cleared.
    QString m_fileName;
    // "同名保存" is offered from the first successful "名前を付けて保存" until "新規作成".
    bool m_saveAgainOffered = false;

    // Before the editor's slot: the editor works on them until it is destroyed.
    editor::DraftStore m_drafts;
    editor::EditingSession m_session{&m_drafts};
    DraftChooser m_chooseDraft;

    stereo::Rnd m_rnd;
    stereo::StereogramGenerator m_generator{m_rnd};
    ui::FormSlot<editor::Form1> m_form1;
    ui::FormSlot<stereo::Form3> m_form3;

    std::function<void()> m_endApplication;
    std::unique_ptr<Tools> m_tools;
};

} // namespace app
