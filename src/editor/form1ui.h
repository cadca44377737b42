// SPDX-License-Identifier: MIT

#pragma once

#include <QSize>
#include <QString>

#include <array>

class QDialog;
class QLabel;
class QPushButton;
class QScrollBar;

namespace ui {
class PictureBox;
class Shape;
} // namespace ui

namespace editor {

// The editor's controls as they stand each time the window is loaded.
struct Form1Ui
{
    static QString caption();
    static QSize clientArea();

    ui::PictureBox *Picture1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    ui::PictureBox *Picture2 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label1 = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label9 = nullptr;
    std::array<ui::Shape *, 16> Shape1{};
    QScrollBar *HScroll2 = nullptr;
    QLabel *Label8 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;

    void setupUi(QDialog *window);
};

} // namespace editor
