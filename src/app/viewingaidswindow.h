// SPDX-License-Identifier: MIT

#pragma once

#include "picture/image.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class QComboBox;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace ui {
class Dialogs;
class ImageView;
} // namespace ui

namespace app {

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
    picture::Image m_stereogram;
    picture::Image m_crossEyed;
    QString m_fileName;
    ui::ImageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    std::function<void()> m_refit;
    QComboBox *m_choice = nullptr;
    QSpinBox *m_scale = nullptr;
    QPushButton *m_save = nullptr;
};

} // namespace app
