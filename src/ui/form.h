// SPDX-License-Identifier: MIT

#pragma once

#include <QDialog>

namespace ui {

// A secondary window: loaded hidden on first use, shown modally, hidden to hand control back.
// Closing it from the title bar runs Form_Unload and, unless that cancels, marks it unloaded; its
// FormSlot then destroys it, so the next use starts again from the design-time state. Enter or
// Space presses the focused button; Escape does nothing.
class Form : public QDialog
{
public:
    Form(const QString &caption, QSize clientArea);

    // Runs Form_Load; the slot calls it once, right after construction.
    void load() { Form_Load(); }

    // Shows the window modally; returns when it is hidden or closed.
    void showModal();

    bool unloadRequested() const { return m_unloadRequested; }

protected:
    virtual void Form_Load() {}
    // Cancel left at 0 lets the unload go on.
    virtual void Form_Unload(int &Cancel) { Q_UNUSED(Cancel); }

    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool m_unloadRequested = false;
};

// Enter or keypad Enter, without Shift, Ctrl or Alt.
bool isEnterKey(const QKeyEvent &event);

// Places a top-level window in the middle of its screen.
void centreOnScreen(QWidget *window);

} // namespace ui
