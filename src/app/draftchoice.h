// SPDX-License-Identifier: MIT

#pragma once

#include "editor/draftlist.h"

#include <QDialog>
#include <QList>

class QListWidget;
class QPushButton;

namespace app {

// What the user made of the drafts offered at start: the one restored (an index into the offers,
// or -1 for none) and the ones discarded. Every other draft stays for a later start.
struct DraftAnswer
{
    int restore = -1;
    QList<int> discard;
};

// "編集の復元": the drafts that programs which have ended left, newest first, each with when it
// was written, its size and a small picture. 復元 restores the one chosen, 削除 deletes the one
// chosen (and only it), あとで keeps them all.
class DraftChoice : public QDialog
{
public:
    DraftChoice(const QList<editor::DraftOffer> &offers, QWidget *parent = nullptr);

    static QString caption();
    static QString prompt(qsizetype count);

    DraftAnswer answer() const { return m_answer; }
    QListWidget &list() { return *m_list; }
    QPushButton &restoreButton() { return *m_restore; }
    QPushButton &discardButton() { return *m_discard; }
    QPushButton &laterButton() { return *m_later; }

private:
    void discardChosen();

    DraftAnswer m_answer;
    QListWidget *m_list = nullptr;
    QPushButton *m_restore = nullptr;
    QPushButton *m_discard = nullptr;
    QPushButton *m_later = nullptr;
};

} // namespace app
