// SPDX-License-Identifier: MIT

#include "animationdialog.h"

#include "editor/importdialog.h"

#include "picture/animation.h"
#include "picture/filename.h"
#include "stereo/animationjob.h"

#include "ui/backgroundjob.h"
#include "ui/dialogs.h"
#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {

namespace {

QString shownName(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString reasonOf(const picture::PictureError &error)
{
    return ui::runtimeErrorOf(error).description();
}

template<typename T>
T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

struct AnimationDialog::Check
{
    std::unique_ptr<stereo::AnimationJob> job;
    ui::JobState state;
    QList<stereo::BadMap> bad;
};

AnimationDialog::AnimationDialog(ui::Dialogs &dialogs, qint16 iroIndex, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(u"AnimationDialog"_s);
    setWindowTitle(caption());

    Files = named(new QListWidget(this), u"Files"_s);
    AddFiles = named(new QPushButton(u"追加..."_s, this), u"AddFiles"_s);
    RemoveFile = named(new QPushButton(u"削除"_s, this), u"RemoveFile"_s);
    AddCurrent = named(new QPushButton(u"いまのマップを追加"_s, this), u"AddCurrent"_s);
    AddCurrent->setEnabled(false);
    Frames = named(new QSpinBox(this), u"Frames"_s);
    Frames->setRange(0, stereo::MaxMovedFrames);
    Frames->setSpecialValueText(u"ファイルごとに 1 コマ"_s);
    MoveX = named(new QSpinBox(this), u"MoveX"_s);
    MoveY = named(new QSpinBox(this), u"MoveY"_s);
    for (QSpinBox *box : {MoveX, MoveY}) {
        box->setRange(-10'000, 10'000);
        box->setSuffix(u" ピクセル"_s);
    }
    Colour = named(new QComboBox(this), u"Colour"_s);
    Colour->addItems({u"赤"_s, u"緑"_s, u"青"_s});
    Colour->setCurrentIndex(iroIndex);
    Delay = named(new QSpinBox(this), u"Delay"_s);
    Delay->setRange(picture::MinFrameDelay, picture::MaxFrameDelay);
    Delay->setValue(picture::DefaultFrameDelay);
    Delay->setSuffix(u" ミリ秒"_s);
    Output = named(new QLineEdit(this), u"Output"_s);
    ChooseOutput = named(new QPushButton(u"参照..."_s, this), u"ChooseOutput"_s);
    Progress = named(new QProgressBar(this), u"Progress"_s);
    Progress->setValue(0);
    Status = named(new QLabel(this), u"Status"_s);
    Make = named(new QPushButton(u"作成"_s, this), u"Make"_s);
    Cancel = named(new QPushButton(u"キャンセル"_s, this), u"Cancel"_s);

    auto *fileButtons = new QVBoxLayout;
    fileButtons->addWidget(AddFiles);
    fileButtons->addWidget(AddCurrent);
    fileButtons->addWidget(RemoveFile);
    fileButtons->addStretch();
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(Files);
    fileRow->addLayout(fileButtons);
    auto *moveRow = new QHBoxLayout;
    moveRow->addWidget(new QLabel(u"横"_s, this));
    moveRow->addWidget(MoveX);
    moveRow->addWidget(new QLabel(u"縦"_s, this));
    moveRow->addWidget(MoveY);
    auto *outputRow = new QHBoxLayout;
    outputRow->addWidget(Output);
    outputRow->addWidget(ChooseOutput);
    auto *form = new QFormLayout;
    form->addRow(u"奥行きマップ（コマの順）"_s, fileRow);
    form->addRow(u"1 枚のマップから作るコマ数"_s, Frames);
    form->addRow(u"1 コマごとの移動"_s, moveRow);
    form->addRow(u"色"_s, Colour);
    form->addRow(u"1 コマの時間"_s, Delay);
    form->addRow(u"保存先（.gif / .webp）"_s, outputRow);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Make);
    buttons->addWidget(Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Progress);
    layout->addWidget(Status);
    layout->addLayout(buttons);

    connect(AddFiles, &QPushButton::clicked, this, [this] { addFiles(); });
    connect(AddCurrent, &QPushButton::clicked, this, [this] { addCurrentMap(); });
    connect(RemoveFile, &QPushButton::clicked, this, [this] { delete Files->currentItem(); });
    connect(ChooseOutput, &QPushButton::clicked, this, [this] { chooseOutput(); });
    connect(Make, &QPushButton::clicked, this, [this] { start(); });
    connect(Cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(&m_stepper, &QTimer::timeout, this, [this] { step(); });
    m_stepper.setInterval(0);
    m_checkProgress.setInterval(100);
    connect(&m_checkProgress, &QTimer::timeout, this, [this] {
        if (m_check)
            Progress->setValue(m_check->state.permille());
    });
}

AnimationDialog::~AnimationDialog()
{
    if (m_checker) {
        m_check->state.cancel();
        m_checker->disconnect(this);
        m_checker->wait();
        delete m_checker;
    }
}

bool AnimationDialog::checking() const
{
    return m_checker && !m_check->state.cancelled();
}

QString AnimationDialog::caption()
{
    return u"アニメーションを作成"_s;
}

void AnimationDialog::addFiles()
{
    const auto chosen = m_dialogs.showOpen(
        ui::openPictureFilter(), 1,
        Files->count() > 0 ? Files->item(Files->count() - 1)->text() : QString());
    if (chosen)
        Files->addItem(*chosen);
}

void AnimationDialog::offerCurrentMap(const QImage &map)
{
    m_currentMap = map;
    AddCurrent->setEnabled(!map.isNull());
}

QString AnimationDialog::currentMapName()
{
    return u"いまのマップ（編集終了で渡したもの）"_s;
}

void AnimationDialog::addCurrentMap()
{
    if (m_currentMap.isNull())
        return;
    if (m_currentFile.isEmpty()) {
        auto dir = std::make_unique<QTemporaryDir>();
        const QString file = dir->filePath(u"current-map.png"_s);
        try {
            if (!dir->isValid())
                throw ui::RuntimeError::withDetail(ui::RuntimeError::PathFileAccessError,
                                                   dir->errorString());
            ui::savePictureAs(m_currentMap, file);
        } catch (const ui::RuntimeError &e) {
            refuse(u"いまのマップを一時ファイルに書けません。\n\n"_s + e.description());
            return;
        }
        m_currentDir = std::move(dir);
        m_currentFile = file;
    }
    auto *item = new QListWidgetItem(currentMapName(), Files);
    item->setData(Qt::UserRole, m_currentFile);
}

void AnimationDialog::chooseOutput()
{
    const auto chosen = m_dialogs.showSave(
        ui::saveFilter({picture::NamedFormat::Gif, picture::NamedFormat::WebP}), 1,
        Output->text());
    if (chosen)
        Output->setText(*chosen);
}

void AnimationDialog::refuse(const QString &text)
{
    m_dialogs.msgBox(text, ui::MsgBox::OKOnly | ui::MsgBox::Critical, caption());
}

void AnimationDialog::start()
{
    // Also while a cancelled reading of the maps comes to its end.
    if (m_job || m_checker)
        return;
    stereo::AnimationRequest request;
    // A row names its file, unless it keeps the file apart (the current map).
    for (int i = 0; i < Files->count(); ++i) {
        const QVariant file = Files->item(i)->data(Qt::UserRole);
        request.maps << (file.isValid() ? file.toString() : Files->item(i)->text());
    }
    request.frames = Frames->value();
    request.move = {MoveX->value(), MoveY->value()};
    request.settings.iroIndex = qint16(Colour->currentIndex());
    request.delayMs = Delay->value();
    request.output = Output->text();
    if (request.maps.isEmpty())
        return refuse(u"奥行きマップのファイルを追加してください。"_s);
    if (request.frames > 0 && request.maps.size() != 1)
        return refuse(u"コマ数を指定するときは、奥行きマップを 1 つだけにしてください。"_s);
    if (!picture::animationFormatOfName(request.output))
        return refuse(u"保存先のファイル名は .gif か .webp で終わる名前にしてください。"_s);
    const QString target = picture::fileKey(request.output);
    for (const QString &map : request.maps)
        if (picture::fileKey(map) == target)
            return refuse(u"保存先が奥行きマップと同じファイルです。"_s);

    // Every map is read before a frame is made, off this thread: a thousand maps take seconds.
    const auto check = std::make_shared<Check>();
    check->job = std::make_unique<stereo::AnimationJob>(request);
    m_check = check;
    m_checker = QThread::create([check] {
        check->bad = check->job->check(check->state.cancelFlag(), check->state.progressFunction());
    });
    connect(m_checker, &QThread::finished, this, [this, check] { checked(check); });
    Status->setText(u"奥行きマップを確認しています..."_s);
    Progress->setRange(0, 1000);
    Progress->setValue(0);
    Make->setEnabled(false);
    m_checkProgress.start();
    m_checker->start();
}

void AnimationDialog::checked(const std::shared_ptr<Check> &check)
{
    m_checkProgress.stop();
    m_checker->deleteLater();
    m_checker = nullptr;
    m_check.reset();
    if (check->state.cancelled()) {
        Make->setEnabled(true); // cancel() has said so
        return;
    }
    if (!check->bad.isEmpty()) {
        QStringList lines;
        for (const stereo::BadMap &map : std::as_const(check->bad))
            lines << u"%1: %2"_s.arg(shownName(map.path), reasonOf(map.error));
        Status->clear();
        Progress->setValue(0);
        Make->setEnabled(true);
        return refuse(u"読み込めない奥行きマップがあります。何も保存していません。\n\n"_s
                      + lines.join(u'\n'));
    }
    m_job = std::move(check->job);
    Progress->setRange(0, m_job->frameCount());
    Progress->setValue(0);
    Status->setText(u"作成しています..."_s);
    Make->setEnabled(false);
    m_stepper.start();
}

void AnimationDialog::step()
{
    if (!m_job)
        return;
    QString failure;
    try {
        if (m_job->step()) {
            const int frames = m_job->frameCount();
            // Depth pictures that were not drawn in the level colours were converted: say so.
            QString converted;
            for (const stereo::ConvertedMap &map : m_job->converted())
                converted += u"\n%1: %2。「画像から奥行きマップ」の最初の設定で変換しました。"_s.arg(
                    shownName(map.path), editor::pictureKindText(map.verdict));
            finish(u"%1 コマのアニメーションを保存しました。"_s.arg(frames) + converted);
            Progress->setValue(frames);
            return;
        }
        Progress->setValue(m_job->framesDone());
        return;
    } catch (const stereo::BadMap &map) {
        failure = u"%1 を読み込めません: %2"_s.arg(shownName(map.path), reasonOf(map.error));
    } catch (const picture::PictureError &e) {
        failure = u"%1 に保存できません: %2"_s.arg(shownName(Output->text()), reasonOf(e));
    }
    finish(u"保存していません。"_s);
    refuse(failure + u"\n何も保存していません。"_s);
}

void AnimationDialog::finish(const QString &status)
{
    m_stepper.stop();
    m_job.reset();
    Make->setEnabled(true);
    Status->setText(status);
}

void AnimationDialog::cancel()
{
    if (checking()) {
        // The reading stops before its next map; 作成 comes back once it has.
        m_check->state.cancel();
        m_checkProgress.stop();
        Status->setText(u"キャンセルしました。何も保存していません。"_s);
        Progress->setValue(0);
        return;
    }
    if (!m_job)
        return;
    m_job->cancel();
    finish(u"キャンセルしました。何も保存していません。"_s);
    Progress->setValue(0);
}

void AnimationDialog::reject()
{
    // キャンセル stops a job that runs; with none running it closes the window.
    if (running())
        cancel();
    else
        QDialog::reject();
}

} // namespace app
