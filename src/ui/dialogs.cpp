// SPDX-License-Identifier: MIT

#include "dialogs.h"

#include "picture/filename.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>

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

// "*.*" matches every file, with or without an extension. (Qt's file dialog matches without
// regard to letter case, so "*.bmp" also lists "PICTURE.BMP".)
static QString qtPattern(const QString &pattern)
{
    return pattern == "*.*"_L1 ? u"*"_s : pattern;
}

QString defaultSuffix(const FileFilter &filter)
{
    static const QRegularExpression extension(u"^\\*\\.([^*?\\[\\].]+)$"_s);
    for (const QString &pattern : filter.patterns) {
        if (const auto match = extension.match(pattern); match.hasMatch())
            return match.captured(1);
    }
    return {};
}

namespace {

QString labelOf(picture::NamedFormat format)
{
    switch (format) {
    case picture::NamedFormat::Bmp:
        return u"ビットマップファイル"_s;
    case picture::NamedFormat::Png:
        return u"PNG ファイル"_s;
    case picture::NamedFormat::Gif:
        return u"GIF ファイル"_s;
    case picture::NamedFormat::Jpeg:
        return u"JPEG ファイル"_s;
    case picture::NamedFormat::WebP:
        return u"WebP ファイル"_s;
    }
    return {};
}

QString patternsOf(std::initializer_list<picture::NamedFormat> formats)
{
    QStringList patterns;
    for (const picture::NamedFormat format : formats) {
        for (const QString &suffix : picture::suffixesOf(format))
            patterns.append(u"*."_s + suffix);
    }
    return patterns.join(u';');
}

} // namespace

QString saveFilter(std::initializer_list<picture::NamedFormat> formats)
{
    QStringList entries;
    for (const picture::NamedFormat format : formats) {
        const QString patterns = patternsOf({format});
        entries << u"%1 (%2)"_s.arg(labelOf(format), patterns) << patterns;
    }
    return entries.join(u'|');
}

QString openPictureFilter()
{
    using F = picture::NamedFormat;
    const QString patterns = patternsOf({F::Png, F::Bmp, F::Gif, F::Jpeg});
    return u"画像ファイル (%1)|%1|すべてのファイル (*.*)|*.*"_s.arg(patterns);
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

QtDialogs::QtDialogs(QString helpViewer, QString helpServer, PeerUid uidOf)
    : m_helpViewer(std::move(helpViewer)), m_helpServer(std::move(helpServer)),
      m_uidOf(std::move(uidOf))
{
}

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

namespace {

// Qt's file list writes sizes and dates in the system's locale, which need not be the program's;
// this shows them in the program's own (Japanese) locale.
class LocaleFileColumns final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
        case SizeColumn:
            // "KB" and "MB", as Japanese desktops write them, rather than "KiB".
            if (!files->isDir(source))
                return QLocale().formattedDataSize(files->size(source), 1,
                                                   QLocale::DataSizeTraditionalFormat);
            break;
        case TypeColumn:
            if (!files->isDir(source)) {
                const QString suffix = files->fileInfo(source).suffix().toLower();
                for (const auto &[ext, text] : PictureTypes)
                    if (suffix == ext)
                        return text.toString();
            }
            break;
        case DateColumn:
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    // QFileSystemModel's columns: name, size, type, date modified.
    static constexpr int SizeColumn = 1;
    static constexpr int TypeColumn = 2;
    static constexpr int DateColumn = 3;
    // The picture files the program reads and writes, named in Japanese, where the system's
    // file types would say "Windows BMP 画像" and the like.
    static constexpr std::pair<QLatin1StringView, QStringView> PictureTypes[] = {
        {QLatin1StringView("bmp"), u"ビットマップ画像"},
        {QLatin1StringView("png"), u"PNG 画像"},
        {QLatin1StringView("gif"), u"GIF 画像"},
        {QLatin1StringView("jpg"), u"JPEG 画像"},
        {QLatin1StringView("jpeg"), u"JPEG 画像"},
        {QLatin1StringView("webp"), u"WebP 画像"},
    };
};

} // namespace

void setUpFileDialog(QFileDialog &dialog, bool save, const QString &filter, int filterIndex,
                     const QString &fileName)
{
    // Qt's own dialog on every desktop, so that its texts, dates and behaviour are the same.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new LocaleFileColumns(&dialog));
    // Columns as wide as their texts, the name taking what is left.
    if (auto *list = dialog.findChild<QTreeView *>(u"treeView"_s)) {
        QHeaderView *header = list->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QList<FileFilter> entries = parseFileFilter(filter);
    const QStringList filters = qtNameFilters(entries);
    dialog.setNameFilters(filters);
    const qsizetype index = qMax(0, filterIndex - 1);
    if (index < filters.size()) {
        dialog.selectNameFilter(filters[index]);
        dialog.setDefaultSuffix(defaultSuffix(entries[index]));
    }
    // A name typed without an extension gets the chosen entry's, if it names one.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, entries, filters](const QString &chosen) {
                         for (qsizetype i = 0; i < entries.size(); ++i) {
                             if (chosen == entries[i].label || chosen == filters[i])
                                 dialog.setDefaultSuffix(defaultSuffix(entries[i]));
                         }
                     });
    // The dialog's FileName: it opens in that file's folder, with the name filled in. The filter
    // is chosen first, so that it does not rewrite the name's extension.
    if (!fileName.isEmpty()) {
        const QFileInfo file(fileName);
        if (file.absoluteDir().exists())
            dialog.setDirectory(file.absolutePath());
        dialog.selectFile(file.fileName());
    }
}

std::optional<QString> QtDialogs::showFileDialog(bool save, const QString &filter, int filterIndex,
                                                 const QString &fileName)
{
    QFileDialog dialog(dialogParent());
    setUpFileDialog(dialog, save, filter, filterIndex, fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    // The dialog gives names as text: bytes that are not UTF-8 are lost on the way, and the name
    // it gives is another file's. Nothing is opened or written under it.
    if (picture::hasUnreadableBytes(chosen)) {
        msgBox(u"「%1」は、名前に文字として読めないバイトがあるため、%2ことができません。"
               u"ファイルの名前を変えてからもう一度選んでください。"_s
                   .arg(QDir::toNativeSeparators(picture::shownFileName(chosen)),
                        save ? u"保存する"_s : u"開く"_s),
               MsgBox::Exclamation, QString());
        return std::nullopt;
    }
    return chosen;
}

std::optional<QString> QtDialogs::showOpen(const QString &filter, int filterIndex,
                                           const QString &fileName)
{
    return showFileDialog(false, filter, filterIndex, fileName);
}

std::optional<QString> QtDialogs::showSave(const QString &filter, int filterIndex,
                                           const QString &fileName)
{
    return showFileDialog(true, filter, filterIndex, fileName);
}

int QtDialogs::runModal(QDialog &dialog)
{
    return dialog.exec();
}

bool QtDialogs::showHelp(const QString &helpFile)
{
    switch (sendToHelpViewer(m_helpServer, helpFile, m_uidOf)) {
    case HelpDelivery::Sent:
        return true;
    case HelpDelivery::Refused:
        // Someone else holds the name: a viewer of our own shows the file without listening.
        return QProcess::startDetached(m_helpViewer, {helpViewerAloneOption(), helpFile});
    case HelpDelivery::NoViewer:
        break;
    }
    return QProcess::startDetached(m_helpViewer, {helpFile});
}

} // namespace ui
