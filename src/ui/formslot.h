// SPDX-License-Identifier: MIT

#pragma once

#include "form.h"

#include <QApplication>

#include <functional>
#include <memory>

namespace ui {

// The one application-wide instance of a window class. The window is created and loaded, hidden,
// the first time anything touches it, and destroyed when it is closed from its title bar; the next
// touch loads it afresh.
template<class T>
class FormSlot
{
public:
    using Factory = std::function<std::unique_ptr<T>()>;

    // `owner`, if given, owns each window the slot loads: the window manager keeps the window
    // above its owner, minimises it with it, and never leaves the owner blocked behind it.
    explicit FormSlot(Factory factory, QWidget *owner = nullptr)
        : m_factory(std::move(factory)), m_owner(owner)
    {
    }

    bool isLoaded() const { return m_form != nullptr; }

    // First use: loads the window hidden, running its Form_Load.
    T &get()
    {
        if (!m_form) {
            m_form = m_factory();
            if (m_owner)
                m_form->setParent(m_owner, m_form->windowFlags());
            m_form->load();
        }
        return *m_form;
    }
    T *operator->() { return &get(); }

    // Shows the window modally; returns once it is hidden or unloaded.
    void showModal()
    {
        T &form = get();
        form.showModal();
        if (form.unloadRequested())
            m_form.reset();
        // Not every window system hands the keyboard back to the owner when a modal window
        // closes; the owner takes it, unless another modal window is still up.
        if (m_owner && m_owner->isVisible() && !QApplication::activeModalWidget()) {
            m_owner->raise();
            m_owner->activateWindow();
        }
    }

private:
    Factory m_factory;
    QWidget *m_owner = nullptr;
    std::unique_ptr<T> m_form;
};

} // namespace ui
