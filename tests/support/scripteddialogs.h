// SPDX-License-Identifier: MIT

#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

class QDialog;

// Answers the program's questions from a script and records what was asked.
class ScriptedDialogs final : public ui::Dialogs
{
public:
    struct Asked
    {
        enum Kind { MsgBox, Open, Save, Help } kind;
        QString text; // prompt, or the help file
        int style = 0;
        QString title;
        QString filter;
        int filterIndex = -1;
        QString fileName; // what a file dialog opened with
    };

    // Answers, taken in order; a question with no answer left gets OK / No / cancel / success.
    std::deque<int> msgBoxAnswers;
    std::deque<std::optional<QString>> fileAnswers;
    bool helpStarts = true;
    // Works a modal dialog and answers for it; without it, the dialog runs as the program runs it
    // (exec), for a timer of the test to work.
    std::function<int(QDialog &)> modal;
    // The object names of the modal dialogs shown, in order.
    QStringList modalsShown;

    QList<Asked> asked;

    int msgBox(const QString &prompt, int style, const QString &title) override;
    std::optional<QString> showOpen(const QString &filter, int filterIndex,
                                    const QString &fileName) override;
    std::optional<QString> showSave(const QString &filter, int filterIndex,
                                    const QString &fileName) override;
    bool showHelp(const QString &helpFile) override;
    int runModal(QDialog &dialog) override;

    QList<Asked> messages() const;
    // The file dialogs asked for, in order.
    QList<Asked> fileDialogs() const;

private:
    std::optional<QString> fileAnswer(Asked a);
};

// Closes every modal window that is open, innermost first. A timer that works a modal dialog calls
// it on the way out when an assertion failed, so that the dialog's exec() returns and the test
// fails instead of hanging:
//     auto putAway = qScopeGuard(&closeModalWindows);
//     ...assertions and the dialog's work...
//     putAway.dismiss();
void closeModalWindows();
