// SPDX-License-Identifier: MIT

#include "draftchoice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {

namespace {
// The offer's index, kept on its row as rows are deleted.
constexpr int OfferRole = Qt::UserRole + 1;
} // namespace

DraftChoice::DraftChoice(const QList<editor::DraftOffer> &offers, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"DraftChoice"_s);
    setWindowTitle(caption());
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(prompt(offers.size()), this);
    text->setWordWrap(true);
    layout->addWidget(text);
    m_list = new QListWidget(this);
    m_list->setObjectName(u"DraftList"_s);
    m_list->setAccessibleName(u"下書き"_s);
    m_list->setIconSize(editor::draftThumbnail(QImage(389, 333, QImage::Format_RGB32)).size());
    for (int i = 0; i < offers.size(); ++i) {
        auto *row = new QListWidgetItem(
            QIcon(QPixmap::fromImage(editor::draftThumbnail(offers[i].canvas))),
            editor::draftDescription(offers[i].written, offers[i].bytes), m_list);
        row->setData(OfferRole, i);
    }
    m_list->setCurrentRow(0);
    m_list->setMinimumWidth(420);
    layout->addWidget(m_list);

    auto *buttons = new QHBoxLayout;
    m_restore = new QPushButton(u"復元"_s, this);
    m_restore->setObjectName(u"DraftRestore"_s);
    m_restore->setDefault(true);
    m_discard = new QPushButton(u"削除"_s, this);
    m_discard->setObjectName(u"DraftDiscard"_s);
    m_discard->setAutoDefault(false);
    m_later = new QPushButton(u"あとで"_s, this);
    m_later->setObjectName(u"DraftLater"_s);
    m_later->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(m_restore);
    buttons->addWidget(m_discard);
    buttons->addWidget(m_later);
    layout->addLayout(buttons);

    connect(m_restore, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *row = m_list->currentItem()) {
            m_answer.restore = row->data(OfferRole).toInt();
            accept();
        }
    });
    connect(m_discard, &QPushButton::clicked, this, [this] { discardChosen(); });
    connect(m_later, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, m_restore, &QPushButton::click);
}

QString DraftChoice::caption() { return u"編集の復元"_s; }

QString DraftChoice::prompt(qsizetype count)
{
    const QString which = count == 1
        ? u"保存されていない奥行きマップの編集が残っています。復元しますか？"_s
        : u"保存されていない奥行きマップの編集が %1 つ残っています。復元するものを選んでください。"_s.arg(count);
    return which + u"\n「あとで」を選ぶと、次に起動したときにもう一度たずねます。「削除」した下書きは元に戻せません。"_s;
}

void DraftChoice::discardChosen()
{
    QListWidgetItem *row = m_list->currentItem();
    if (!row)
        return;
    m_answer.discard.append(row->data(OfferRole).toInt());
    delete row;
    if (m_list->count() == 0)
        reject();
}

} // namespace app
