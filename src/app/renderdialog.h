// SPDX-License-Identifier: MIT

#pragma once

#include "stereo/render.h"

#include <QDialog>
#include <QImage>
#include <QTimer>

#include <atomic>
#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QThread;

namespace ui {
class Dialogs;
}

namespace app {

// "大きなステレオグラムを作成...": a stereogram of any size from the main window's depth map
// or from a picture, by the large-picture generator; the file it saves is byte for byte what
// `zomvorn-cli render` writes for the same settings. The preview is rendered at its own size
// off the window's thread; saving runs off it too, with a progress bar, and キャンセル leaves no
// file.
class RenderDialog : public QDialog
{
public:
    // `depthMap`: the main window's depth map as 編集終了 last handed it over (may be null).
    RenderDialog(ui::Dialogs &dialogs, const QImage &depthMap, QWidget *parent = nullptr);
    ~RenderDialog() override;

    static QString caption();

    // The settings the fields give (the pattern picture loaded where one is named).
    stereo::render::Settings settings() const;
    // Saves to `path` off this thread; false when refused (told in a message box).
    bool save(const QString &path);
    void cancel();
    bool saving() const { return m_saver != nullptr; }
    bool previewing() const { return m_previewer != nullptr; }
    // The last preview made, and the line of its check.
    QImage preview() const { return m_preview; }

    void reject() override;

    QComboBox *Source = nullptr;    // 0: the main window's map, 1: a picture
    QLineEdit *Picture = nullptr;
    QPushButton *ChoosePicture = nullptr;
    QSpinBox *Width = nullptr;      // px: given, or made from the lengths
    QSpinBox *Height = nullptr;
    QComboBox *SizeBy = nullptr;    // 0: pixels, 1: lengths at the dpi
    QDoubleSpinBox *LengthWidth = nullptr; // in Unit
    QDoubleSpinBox *LengthHeight = nullptr;
    QComboBox *Unit = nullptr;      // 0: mm, 1: in; for the lengths and the eye separation
    QSpinBox *Dpi = nullptr;
    QComboBox *GeometryBy = nullptr; // 0: eye separation and depth, 1: separations in pixels
    QDoubleSpinBox *Eye = nullptr;  // in Unit
    QDoubleSpinBox *Depth = nullptr;
    QSpinBox *FarPx = nullptr;
    QSpinBox *NearPx = nullptr;
    QComboBox *Oversample = nullptr;
    QComboBox *Placement = nullptr;
    QComboBox *Pattern = nullptr;   // bw, grey, colour, red, green, blue, picture
    QLineEdit *PatternPicture = nullptr;
    QPushButton *ChoosePattern = nullptr;
    QSpinBox *Density = nullptr;
    QSpinBox *Dot = nullptr;
    QCheckBox *Guides = nullptr;
    QCheckBox *Cross = nullptr;
    QSpinBox *Seed = nullptr;
    QLabel *PreviewBox = nullptr;
    QLabel *Readout = nullptr;
    QLabel *CheckLine = nullptr;
    QProgressBar *Progress = nullptr;
    QPushButton *Save = nullptr;
    QPushButton *Cancel = nullptr;

private:
    void schedulePreview();
    void startPreview();
    void choosePicture();
    void choosePattern();
    void unitChanged();
    void lengthsChanged();
    void pixelsChanged();
    void enableFields();
    double pixelsPerUnit() const;
    QString readoutText(const stereo::render::Settings &s) const;
    void chooseAndSave();
    void savingDone(bool written, const QString &error);
    stereo::render::DepthPlane depthPlane() const;

    ui::Dialogs &m_dialogs;
    QImage m_depthMap;
    QImage m_preview;
    int m_unit = 0;          // the unit the fields are in now
    bool m_converting = false;
    QTimer m_previewDelay;
    QTimer m_progressTimer;
    QThread *m_previewer = nullptr;
    bool m_previewAgain = false;
    QThread *m_saver = nullptr;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_done{0};
    std::atomic<int> m_total{1};
};

} // namespace app
