// SPDX-License-Identifier: MIT

#pragma once

#include <QDialog>
#include <QImage>
#include <QTimer>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTemporaryDir;
class QThread;

namespace stereo {
class AnimationJob;
}
namespace ui {
class Dialogs;
}

namespace app {

// "アニメーションを作成...": the consecutive stereograms of several depth maps, or of one map
// moved from frame to frame, as one animated GIF or WebP file, the very file that
// `zomvorn-cli make --animate` writes for the same maps and settings. The job has its own random
// sequence. Its maps are read first, off this thread; then it runs in steps on this thread, a
// frame at a time. It can be cancelled while the maps are read and between frames.
class AnimationDialog : public QDialog
{
public:
    AnimationDialog(ui::Dialogs &dialogs, qint16 iroIndex, QWidget *parent = nullptr);
    ~AnimationDialog() override;

    static QString caption();

    // The "do" half of 作成: checks the fields, then reads every map off this thread and starts
    // the job. A refusal is told in a message box and nothing is written.
    void start();
    // Stops the job: no file is left behind, an existing one stays as it was.
    void cancel();
    bool running() const { return m_job != nullptr || checking(); }
    // Whether the maps are being read.
    bool checking() const;

    // The main window's depth map, as the last 編集終了 handed it over: いまのマップを追加 puts it
    // in the list (kept as a PNG file of the dialog's own while the dialog lives).
    void offerCurrentMap(const QImage &map);
    static QString currentMapName();

    void reject() override;

    QListWidget *Files = nullptr;
    QPushButton *AddFiles = nullptr;
    QPushButton *RemoveFile = nullptr;
    QPushButton *AddCurrent = nullptr;
    QSpinBox *Frames = nullptr;
    QSpinBox *MoveX = nullptr;
    QSpinBox *MoveY = nullptr;
    QComboBox *Colour = nullptr;
    QSpinBox *Delay = nullptr;
    QLineEdit *Output = nullptr;
    QPushButton *ChooseOutput = nullptr;
    QProgressBar *Progress = nullptr;
    QLabel *Status = nullptr;
    QPushButton *Make = nullptr;
    QPushButton *Cancel = nullptr;

private:
    struct Check;
    void checked(const std::shared_ptr<Check> &check);
    void step();
    void finish(const QString &status);
    void refuse(const QString &text);
    void addFiles();
    void addCurrentMap();
    void chooseOutput();

    ui::Dialogs &m_dialogs;
    std::unique_ptr<stereo::AnimationJob> m_job;
    // The reading of the maps, shared with its thread.
    std::shared_ptr<Check> m_check;
    QThread *m_checker = nullptr;
    QTimer m_checkProgress;
    QTimer m_stepper;
    QImage m_currentMap;
    std::unique_ptr<QTemporaryDir> m_currentDir;
    QString m_currentFile;
};

} // namespace app
