// SPDX-License-Identifier: MIT

#pragma once

#include "helpchannel.h"

#include "picture/filename.h"

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>

class QDialog;
class QFileDialog;
class QWidget;

namespace ui {

// Message box styles and answers, as the program's commands pass and test them.
namespace MsgBox {
inline constexpr int OKOnly = 0;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;

// The parts of a style: which buttons, which icon.
inline constexpr int ButtonsMask = 0x7;
inline constexpr int IconMask = 0x70;

inline constexpr int OK = 1;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MsgBox

// The one way the program asks the user something or hands a file to another program. The Qt
// implementation shows real dialogs; tests script the answers and check what was asked.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Shows a modal message box; returns the answer (MsgBox::OK, Yes or No).
    virtual int msgBox(const QString &prompt, int style, const QString &title) = 0;

    // The modal open and save dialogs. `filter` is the list "label|patterns|label|patterns...";
    // `filterIndex` 0 and 1 both select the first entry. `fileName` is the dialog's FileName as it
    // opens: the dialog shows that file's folder with the name filled in. Returns the chosen path,
    // or nothing when the user cancelled. The save dialog adds the chosen entry's extension
    // ("*.bmp": ".bmp") to a name typed without one, and asks before replacing a file.
    virtual std::optional<QString> showOpen(const QString &filter, int filterIndex,
                                            const QString &fileName) = 0;
    virtual std::optional<QString> showSave(const QString &filter, int filterIndex,
                                            const QString &fileName) = 0;

    // Shows a file in the help viewer: the user's viewer already open shows it in place of its file
    // and comes to the front; otherwise one is started, detached. False when none could be started.
    virtual bool showHelp(const QString &helpFile) = 0;

    // Shows one of the program's own dialogs modally; returns its result (QDialog::Accepted or
    // Rejected). Tests work the dialog and answer for it.
    virtual int runModal(QDialog &dialog) = 0;
};

// One entry of a file dialog's filter list.
struct FileFilter
{
    QString label;
    QStringList patterns;
};

// Splits "label|patterns|label|patterns..." into its entries; patterns are separated by ';'.
QList<FileFilter> parseFileFilter(const QString &filter);

// The same list as Qt's file dialogs take it, patterns adapted to this platform: "*.*" stands for
// every file, as it does where the filter texts come from, and extensions match in any letter case.
QStringList qtNameFilters(const QList<FileFilter> &filters);

// The extension a filter entry names, for a name typed without one: "bmp" for "*.bmp", nothing
// for "*.*".
QString defaultSuffix(const FileFilter &filter);

// The filter texts of the added dialogs, from the one rule that gives a file name its format:
// to save, an entry for each format ("PNG ファイル (*.png)|*.png|…"); to open a picture, one
// entry of every format the programs read and one of every file.
QString saveFilter(std::initializer_list<picture::NamedFormat> formats);
QString openPictureFilter();

// Sets up Qt's file dialog as the open (`save` false) or save dialog of the commands, as
// Dialogs::showOpen and showSave describe; sizes and dates are written in the program's locale.
void setUpFileDialog(QFileDialog &dialog, bool save, const QString &filter, int filterIndex,
                     const QString &fileName);

// The real dialogs, parented to the window that is active when they are asked for.
class QtDialogs final : public Dialogs
{
public:
    // `helpViewer` is the program that showHelp starts when no viewer of this user is listening
    // under `helpServer`; a viewer of this user that is listening is handed the file instead.
    // `uidOf` tells whose the listener is.
    explicit QtDialogs(QString helpViewer, QString helpServer = helpViewerServerName(),
                       PeerUid uidOf = peerUid);

    int msgBox(const QString &prompt, int style, const QString &title) override;
    std::optional<QString> showOpen(const QString &filter, int filterIndex,
                                    const QString &fileName) override;
    std::optional<QString> showSave(const QString &filter, int filterIndex,
                                    const QString &fileName) override;
    bool showHelp(const QString &helpFile) override;
    int runModal(QDialog &dialog) override;

private:
    std::optional<QString> showFileDialog(bool save, const QString &filter, int filterIndex,
                                          const QString &fileName);

    QString m_helpViewer;
    QString m_helpServer;
    PeerUid m_uidOf;
};

} // namespace ui
