// SPDX-License-Identifier: MIT

#include "form.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace ui {

Form::Form(const QString &caption, QSize clientArea)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    resize(clientArea);
}

void Form::showModal()
{
    exec();
}

void Form::closeEvent(QCloseEvent *event)
{
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    m_unloadRequested = true;
    QDialog::closeEvent(event);
}

bool isEnterKey(const QKeyEvent &event)
{
    const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
    return enter && (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void Form::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the button that has the focus, as Space does; elsewhere it does nothing, for
    // these windows have no default button.
    if (isEnterKey(*event)) {
        if (auto *button = qobject_cast<QAbstractButton *>(focusWidget()))
            button->click();
        event->accept();
        return;
    }
    // These windows have no cancel button: Escape does nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form::showEvent(QShowEvent *event)
{
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace ui
