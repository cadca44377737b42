// SPDX-License-Identifier: MIT

#pragma once

#include <QSize>
#include <QString>

#include <array>

class QAction;
class QActionGroup;
class QLabel;
class QMainWindow;
class QMenu;
class QWidget;

namespace ui {
class PictureBox;
class ProgressBar;
} // namespace ui

namespace app {

// The main window's controls and menus as they stand when the application starts.
struct Form2Ui
{
    static QString caption();
    static QSize clientArea();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QWidget *Line1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    ui::ProgressBar *ProgressBar1 = nullptr;
    ui::PictureBox *Picture1 = nullptr;

    QMenu *mn1 = nullptr;
    QMenu *mn2 = nullptr;
    QMenu *mn3 = nullptr;
    QMenu *mn4 = nullptr;
    // "ツール", between "色の設定" and "ヘルプ".
    QMenu *mnTools = nullptr;
    QAction *MenuToolsCheck = nullptr;
    QAction *MenuToolsView = nullptr;
    QAction *MenuToolsExport = nullptr;
    QAction *MenuToolsPreview = nullptr;
    QAction *MenuToolAnimate = nullptr;
    QAction *MenuToolRender = nullptr;
    QAction *MenuToolImport = nullptr;
    // A view switch: level numbers on the editor's palette, its canvas as a grey ramp.
    QAction *MenuToolsLevelNumbers = nullptr;
    std::array<QAction *, 5> MenuFile{};
    std::array<QAction *, 3> MenuMake{};
    std::array<QAction *, 3> MenuIro{};
    std::array<QAction *, 3> MenuHelp{};
    // One check mark among the colour items.
    QActionGroup *MenuIroGroup = nullptr;

    void setupUi(QMainWindow *window);
    // The ツール menu: every command added to the program goes here.
    void setupToolsMenu(QMainWindow *window);
};

} // namespace app
