// SPDX-License-Identifier: MIT

#pragma once

#include "picture/levels.h"
#include "picture/mapkind.h"

#include <QDialog>
#include <QImage>

#include <atomic>
#include <list>
#include <optional>
#include <utility>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QThread;

namespace editor {

// What a picture is, in the words the editor's question and the import dialog use.
QString pictureKindText(const picture::MapVerdict &verdict);

// A picture made ready for the import dialog: what it is, the grey picture read from it, and that
// placed as the dialog first shows it. Slow for a large picture, so it is made off the window's
// thread; `cancel`, once set, stops it between its steps (then it is empty).
struct ImportPicture
{
    picture::MapVerdict verdict;
    picture::Image picture;
    picture::PlacedPicture placed;
};
// Given a picture nothing else holds, a picture on a colour scale is read along it in place.
std::optional<ImportPicture> prepareImport(picture::Image original,
                                           const std::atomic<bool> *cancel = nullptr);

// "画像から奥行きマップ": the settings that make a grey picture into a depth map, with a live
// preview and a histogram of the levels. A picture in a colour scale is read along the scale,
// its warm end near; which end comes out near is shown beside the preview and marked on it. The
// picture is placed (scaled) once per placement and no-data value, off the window's thread, and
// the last few placements are kept; every other control only quantises the placed copy again.
class ImportDialog : public QDialog
{
public:
    // The placements kept.
    static constexpr int PlacementsKept = 4;

    explicit ImportDialog(picture::Image picture, QWidget *parent = nullptr);
    explicit ImportDialog(ImportPicture prepared, QWidget *parent = nullptr);
    ~ImportDialog() override;

    picture::LevelsSettings settings() const;
    // The depth map the settings make now: what OK puts into the canvas. While a placement is
    // being made, the one before it, and OK waits for it.
    const picture::Levels &levels() const { return m_levels; }
    // Whether a placement is being made off the window's thread.
    bool placing() const { return m_placer != nullptr; }
    int placementsKept() const { return int(m_placed.size()); }
    void accept() override;
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
    using PlacementKey = std::pair<int, int>; // the fit, the no-data value or -1
    void refresh();
    const picture::PlacedPicture *placed(PlacementKey key);
    void place(PlacementKey key);
    void keep(PlacementKey key, picture::PlacedPicture placed);

    void showNearEnd();

    picture::MapVerdict m_verdict;
    picture::Image m_picture;
    // The placements made, the latest first.
    std::list<std::pair<PlacementKey, picture::PlacedPicture>> m_placed;
    QThread *m_placer = nullptr;
    bool m_acceptWhenPlaced = false;
    picture::Levels m_levels;
    QPushButton *m_ok = nullptr;
};

} // namespace editor
