#pragma once

#include <QSize>
#include <QString>

#include <array>

class QAction;
class QDialog;
class QLabel;
class QMainWindow;
class QMenu;
class QPushButton;
class QScrollBar;
class QWidget;

namespace ui {

class PictureBox;
class ProgressBar;
class Shape;

// The windows and their controls as they stand each time they are loaded. Behaviour lives with the
// windows' own classes; these only build the controls.

struct Form2Ui
{
    static QString caption();
    static QSize clientArea();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QWidget *Line1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    ProgressBar *ProgressBar1 = nullptr;
    PictureBox *Picture1 = nullptr;

    QMenu *mn1 = nullptr;
    QMenu *mn2 = nullptr;
    QMenu *mn3 = nullptr;
    QMenu *mn4 = nullptr;
    std::array<QAction *, 5> MenuFile{};
    std::array<QAction *, 3> MenuMake{};
    std::array<QAction *, 3> MenuIro{};
    std::array<QAction *, 3> MenuHelp{};

    void setupUi(QMainWindow *window);
};

struct Form1Ui
{
    static QString caption();
    static QSize clientArea();

    PictureBox *Picture1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    PictureBox *Picture2 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label1 = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label9 = nullptr;
    std::array<Shape *, 16> Shape1{};
    QScrollBar *HScroll2 = nullptr;
    QLabel *Label8 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;

    void setupUi(QDialog *window);
};

struct Form3Ui
{
    static QString caption();
    static QSize clientArea();

    PictureBox *Picture1 = nullptr;
    QPushButton *Command1 = nullptr;

    void setupUi(QDialog *window);
};

// The font the labels name, mapped to an installed Japanese Gothic at start-up.
QString labelFontFamily();

} // namespace ui
