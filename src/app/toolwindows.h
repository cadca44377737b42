// SPDX-License-Identifier: MIT

#pragma once

#include "checkview.h"
#include "exportdialog.h"
#include "preview.h"
#include "viewingaidswindow.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QScrollArea;

namespace ui {
class Dialogs;
} // namespace ui

namespace app {

// The windows of the ツール menu and its commands, for the main window.
class Tools
{
public:
    Tools(ui::Dialogs &dialogs, QWidget &owner, std::function<QImage()> canvas,
          std::function<qint16()> iroIndex);
    ~Tools();

    // After "ランダムドット作成": the picture made, with the depth map and tint it came from.
    void stereogramMade(const QImage &stereogram, const QImage &depthMap, qint16 iroIndex);
    // After "新規作成": there is no stereogram.
    void cleared();
    void canvasChanged();
    void tintChanged();
    bool hasStereogram() const { return !m_stereogram.isNull(); }

    void showCheckView();
    void showViewingAids();
    void exportStereogram();
    void showPreview();

    // The editor runs modally and blocks every other window of the program: while it is shown,
    // the preview becomes a window of the editor's, so that its switch can still be used.
    void followEditor(QWidget &editor);

    // The "do" half of export: writes the enlarged stereogram to `path` (PNG unless the name
    // ends in .bmp) off the window's thread, or says why not; false also when キャンセル stopped
    // it, which leaves no file.
    bool writeExport(const QString &path, const ExportDialog::Settings &settings);
    static QString exportFilter();

    CheckView *checkView() const { return m_check; }
    ViewingAids *viewingAids() const { return m_aids; }
    Preview *preview() const { return m_preview; }
    ExportDialog::Settings exportSettings() const { return m_exportSettings; }

    // Puts a tool window beside the editor while it is shown, otherwise beside the main window,
    // clear of both and inside the screen; its picture scrolls where the room is smaller.
    void place(QWidget *window, QScrollArea *scroller);

private:
    ui::Dialogs &m_dialogs;
    QWidget &m_owner;
    std::function<QImage()> m_canvas;
    std::function<qint16()> m_iroIndex;
    QImage m_stereogram;
    QImage m_depthMap;
    qint16 m_madeIro = 2;
    ExportDialog::Settings m_exportSettings;
    QString m_exportName;
    // Owned by the main window as child windows.
    CheckView *m_check = nullptr;
    ViewingAids *m_aids = nullptr;
    Preview *m_preview = nullptr;
    std::unique_ptr<QObject> m_editorWatch;
    QPointer<QWidget> m_editor;
};

} // namespace app
