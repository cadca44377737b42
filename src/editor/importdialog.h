// SPDX-License-Identifier: MIT

#pragma once

#include "picture/levels.h"
#include "picture/mapkind.h"

#include <QDialog>
#include <QImage>

#include <map>
#include <optional>
#include <utility>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace editor {

// What a picture is, in the words the editor's question and the import dialog use.
QString pictureKindText(const picture::MapVerdict &verdict);

// "画像から奥行きマップ": the settings that make a grey picture into a depth map, with a live
// preview and a histogram of the levels. A picture in a colour scale is read along the scale,
// its warm end near; which end comes out near is shown beside the preview and marked on it. The picture is placed (scaled) once per placement and
// no-data value; every other control only quantises the placed copy again.
class ImportDialog : public QDialog
{
public:
    explicit ImportDialog(QImage picture, QWidget *parent = nullptr);
    ~ImportDialog() override;

    picture::LevelsSettings settings() const;
    // The depth map the settings make now: what OK puts into the canvas.
    const picture::Levels &levels() const { return m_levels; }
    // Shows the preview as a grey ramp of the levels instead of their colours.
    void setGreyPreview(bool grey);

    QCheckBox *invert = nullptr;
    QCheckBox *automatic = nullptr;
    QSpinBox *nearGrey = nullptr;
    QSpinBox *farGrey = nullptr;
    QCheckBox *noDataOn = nullptr;
    QSpinBox *noData = nullptr;
    QDoubleSpinBox *gamma = nullptr;
    QComboBox *fit = nullptr;
    QSpinBox *smooth = nullptr;
    QCheckBox *greyPreview = nullptr;
    QLabel *preview = nullptr;
    QLabel *histogram = nullptr;
    // What the picture is and how it is read; the scale from far to near; "手前" over the preview
    // where the nearest level lies.
    QLabel *kind = nullptr;
    QLabel *nearEnd = nullptr;
    QLabel *nearMarker = nullptr;

    const picture::MapVerdict &verdict() const { return m_verdict; }

private:
    void refresh();
    const picture::PlacedPicture &placed(picture::Fit fit, std::optional<int> noData);

    void showNearEnd();

    picture::MapVerdict m_verdict;
    QImage m_original;
    QImage m_picture;
    std::map<std::pair<int, int>, picture::PlacedPicture> m_placed;
    picture::Levels m_levels;
};

} // namespace editor
