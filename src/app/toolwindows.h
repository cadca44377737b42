// SPDX-License-Identifier: MIT

#pragma once

#include "picture/reveal.h"

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace ui {
class Dialogs;
class ImageView;
} // namespace ui

namespace app {

// "立体の確認": the depth map the stereogram hides, one pixel to one pixel in the level colours,
// the number of ambiguous points under it and a switch that marks them. The very pixels
// `zomvorn-cli reveal` writes for the saved stereogram.
class CheckView : public QWidget
{
public:
    explicit CheckView(QWidget *owner);

    static QString caption();
    static QString ambiguityText(qint64 ambiguous);

    void setStereogram(const QImage &stereogram);
    // What the window shows, at one pixel a point.
    QImage shownImage() const;
    QCheckBox &markSwitch() { return *m_mark; }
    QCheckBox &greySwitch() { return *m_grey; }
    QLabel &ambiguityLine() { return *m_line; }
    // The picture's scroll area, narrowed when the window would not fit beside the others.
    QScrollArea *scroller() const { return m_scroll; }

private:
    void showRevealed();

    picture::Revealed m_revealed;
    ui::ImageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLabel *m_line = nullptr;
    QCheckBox *m_mark = nullptr;
    QCheckBox *m_grey = nullptr;
};

// "見やすく表示": the stereogram for parallel viewing with two guide dots, for cross-eyed viewing,
// or red/cyan for anaglyph glasses, enlarged x1 to x4; saved as PNG.
class ViewingAids : public QWidget
{
public:
    enum View { Parallel, CrossEyed, Anaglyph };

    ViewingAids(ui::Dialogs &dialogs, QWidget *owner);

    static QString caption();

    // A new stereogram, with the depth map and tint it was made from.
    void setStereogram(const QImage &stereogram, const QImage &depthMap, qint16 iroIndex);
    QImage shownImage() const;
    QComboBox &viewChoice() { return *m_choice; }
    QSpinBox &scale() { return *m_scale; }
    QPushButton &saveButton() { return *m_save; }
    QScrollArea *scroller() const { return m_scroll; }
    // Called after the view changed its size while shown (another scale), to fit it anew.
    void setRefit(std::function<void()> refit) { m_refit = std::move(refit); }

    // The "do" half of saving: writes the view to `path` as PNG, or says why not.
    bool saveView(const QString &path);
    void save();

private:
    void showView();

    ui::Dialogs &m_dialogs;
    QImage m_stereogram;
    QImage m_crossEyed;
    QString m_fileName;
    ui::ImageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    std::function<void()> m_refit;
    QComboBox *m_choice = nullptr;
    QSpinBox *m_scale = nullptr;
    QPushButton *m_save = nullptr;
};

// "拡大して保存...": the scale and the guide dots of the file, with its size in pixels and in print.
class ExportDialog : public QDialog
{
public:
    struct Settings
    {
        int scale = 1;
        bool guides = false;
        // The printer's resolution, written into the file.
        int dpi = 300;
    };

    ExportDialog(const Settings &settings, QWidget *parent);

    static QString caption();
    static QString sizeText(const Settings &settings);

    Settings settings() const;
    QSpinBox &scale() { return *m_scale; }
    QCheckBox &guides() { return *m_guides; }
    QSpinBox &dpi() { return *m_dpi; }
    QLabel &sizeLine() { return *m_size; }

private:
    QSpinBox *m_scale = nullptr;
    QCheckBox *m_guides = nullptr;
    QSpinBox *m_dpi = nullptr;
    QLabel *m_size = nullptr;
};

// "プレビュー": a stereogram of the editor's canvas as it is now, made by a generator and a random
// sequence of the window's own, remade after every change of the canvas.
class Preview : public QWidget
{
public:
    Preview(std::function<QImage()> canvas, std::function<qint16()> iroIndex, QWidget *owner);

    static QString caption();

    // Makes the picture again from the canvas, if the window is shown.
    void refresh();
    QImage shownImage() const;
    QCheckBox &levelColours() { return *m_levels; }
    QScrollArea *scroller() const { return m_scroll; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::function<QImage()> m_canvas;
    std::function<qint16()> m_iroIndex;
    ui::ImageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QCheckBox *m_levels = nullptr;
};

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

// The message of a picture that could not be written.
QString writeFailedText(const QString &path, const QString &reason);

} // namespace app
