#include "dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace ui {

QList<FileFilter> parseFileFilter(const QString &filter)
{
    QList<FileFilter> entries;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts[i], parts[i + 1].split(u';', Qt::SkipEmptyParts)});
    return entries;
}

// "*.bmp" also matches "PICTURE.BMP"; "*.*" matches every file, with or without an extension.
static QString qtPattern(const QString &pattern)
{
    if (pattern == "*.*"_L1)
        return u"*"_s;
    QString out;
    for (QChar ch : pattern) {
        if (ch.isLetter() && ch.toLower() != ch.toUpper())
            out += u'[' + ch.toLower() + ch.toUpper() + u']';
        else
            out += ch;
    }
    return out;
}

QStringList qtNameFilters(const QList<FileFilter> &filters)
{
    QStringList out;
    for (const FileFilter &f : filters) {
        QStringList patterns;
        for (const QString &p : f.patterns)
            patterns.append(qtPattern(p));
        // The dialog is told to hide this part, so the user sees the label exactly as given.
        out.append(f.label + u" ("_s + patterns.join(u' ') + u')');
    }
    return out;
}

QtDialogs::QtDialogs(QString helpViewer) : m_helpViewer(std::move(helpViewer)) {}

static QWidget *dialogParent()
{
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

int QtDialogs::msgBox(const QString &prompt, int style, const QString &title)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(title);
    box.setText(prompt);
    switch (style & MsgBox::IconMask) {
    case MsgBox::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgBox::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgBox::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if ((style & MsgBox::ButtonsMask) == MsgBox::YesNo) {
        QPushButton *yes = box.addButton(QMessageBox::Yes);
        box.addButton(QMessageBox::No);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes ? MsgBox::Yes : MsgBox::No;
    }
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
    box.exec();
    return MsgBox::OK;
}

std::optional<QString> QtDialogs::showFileDialog(bool save, const QString &filter, int filterIndex)
{
    QFileDialog dialog(dialogParent());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = qtNameFilters(parseFileFilter(filter));
    dialog.setNameFilters(filters);
    const qsizetype index = qMax(0, filterIndex - 1);
    if (index < filters.size())
        dialog.selectNameFilter(filters[index]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::showOpen(const QString &filter, int filterIndex)
{
    return showFileDialog(false, filter, filterIndex);
}

std::optional<QString> QtDialogs::showSave(const QString &filter, int filterIndex)
{
    return showFileDialog(true, filter, filterIndex);
}

bool QtDialogs::showHelp(const QString &helpFile)
{
    return QProcess::startDetached(m_helpViewer, {helpFile});
}

} // namespace ui
