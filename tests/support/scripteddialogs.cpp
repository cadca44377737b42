// SPDX-License-Identifier: MIT

#include "scripteddialogs.h"

#include <QApplication>
#include <QDialog>

int ScriptedDialogs::msgBox(const QString &prompt, int style, const QString &title)
{
    Asked a{Asked::MsgBox, prompt, style, title, {}, -1, {}};
    asked.append(a);
    if (msgBoxAnswers.empty())
        return (style & 0x7) == ui::MsgBox::YesNo ? ui::MsgBox::No : ui::MsgBox::OK;
    const int answer = msgBoxAnswers.front();
    msgBoxAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::fileAnswer(Asked a)
{
    asked.append(a);
    if (fileAnswers.empty())
        return std::nullopt;
    const bool cancelled = !fileAnswers.front().has_value();
    const QString path = fileAnswers.front().value_or(QString());
    fileAnswers.pop_front();
    if (cancelled)
        return std::nullopt;
    return path;
}

std::optional<QString> ScriptedDialogs::showOpen(const QString &filter, int filterIndex,
                                                 const QString &fileName)
{
    return fileAnswer({Asked::Open, {}, 0, {}, filter, filterIndex, fileName});
}

std::optional<QString> ScriptedDialogs::showSave(const QString &filter, int filterIndex,
                                                 const QString &fileName)
{
    return fileAnswer({Asked::Save, {}, 0, {}, filter, filterIndex, fileName});
}

bool ScriptedDialogs::showHelp(const QString &helpFile)
{
    Asked a{Asked::Help, helpFile, 0, {}, {}, -1, {}};
    asked.append(a);
    return helpStarts;
}

int ScriptedDialogs::runModal(QDialog &dialog)
{
    modalsShown.append(dialog.objectName());
    return modal ? modal(dialog) : dialog.exec();
}

QList<ScriptedDialogs::Asked> ScriptedDialogs::fileDialogs() const
{
    QList<Asked> out;
    for (const Asked &a : asked)
        if (a.kind == Asked::Open || a.kind == Asked::Save)
            out.append(a);
    return out;
}

QList<ScriptedDialogs::Asked> ScriptedDialogs::messages() const
{
    QList<Asked> out;
    for (const Asked &a : asked)
        if (a.kind == Asked::MsgBox)
            out.append(a);
    return out;
}

void closeModalWindows()
{
    // Bounded: a window that will not close must not keep the test here.
    for (int i = 0; i < 8; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
}
