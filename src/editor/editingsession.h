// SPDX-License-Identifier: MIT

#pragma once

#include "canvashistory.h"

#include <QImage>
#include <QString>

#include <functional>
#include <utility>

namespace ui {
class PictureSurface;
}

namespace editor {

class DraftStore;

// What of the editing outlives the editor's window: the canvas's history, the depth map's file
// name, and the draft kept while the canvas holds painting that was not saved. The main window
// owns it; each editor window it loads works on it.
class EditingSession
{
public:
    // `drafts`, if given, keeps the unsaved canvas on disk.
    explicit EditingSession(DraftStore *drafts = nullptr);
    // Writes the draft still waiting.
    ~EditingSession();
    EditingSession(const EditingSession &) = delete;
    EditingSession &operator=(const EditingSession &) = delete;

    CanvasHistory &history() { return m_history; }
    DraftStore *drafts() { return m_drafts; }

    // The depth-map save dialog's FileName, kept for the whole session.
    QString mapFileName() const { return m_mapFileName; }
    void setMapFileName(const QString &name) { m_mapFileName = name; }

    // The editor's canvas while an editor window is loaded; on detaching, what the canvas held
    // last stays the content a draft keeps.
    void attach(const ui::PictureSurface *canvas);
    void detach();

    // The canvas changed: the draft follows it, and the listener hears of it.
    void canvasChanged();
    // Who hears of every change of the canvas (a stroke's stamp, a load, an undo, emptying).
    void setChangeListener(std::function<void()> listener) { m_listener = std::move(listener); }
    // The canvas was saved as a depth map: it is safe, and the draft goes.
    void saved(const QImage &content);
    // The canvas was emptied: the history and the draft go.
    void emptied();

    // The content a draft keeps now: the canvas, or a null image when it holds nothing unsaved.
    QImage draftContent() const;

    // A close from the editor's title bar threw a painting away (one undo brings it back); the
    // next editor window to open says so, once.
    void noteClosedEdit() { m_closedEdit = true; }
    bool takeClosedEdit() { return std::exchange(m_closedEdit, false); }

private:
    CanvasHistory m_history;
    DraftStore *m_drafts = nullptr;
    const ui::PictureSurface *m_canvas = nullptr;
    QImage m_lastContent;
    // Contents that need no draft: the blank canvas, and the last one saved.
    QImage m_blank;
    QImage m_safe;
    QString m_mapFileName;
    std::function<void()> m_listener;
    bool m_closedEdit = false;
};

} // namespace editor
