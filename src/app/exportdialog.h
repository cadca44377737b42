// SPDX-License-Identifier: MIT

#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace app {

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

} // namespace app
