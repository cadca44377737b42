// SPDX-License-Identifier: MIT

#include "editingsession.h"

#include "draftstore.h"

#include "ui/picturesurface.h"

namespace editor {

EditingSession::EditingSession(DraftStore *drafts) : m_drafts(drafts)
{
    if (m_drafts)
        m_drafts->setSource([this] { return draftContent(); });
}

EditingSession::~EditingSession()
{
    if (m_drafts) {
        m_drafts->flush();
        m_drafts->setSource({});
    }
}

void EditingSession::attach(const ui::PictureSurface *canvas)
{
    m_canvas = canvas;
    if (m_blank.isNull() && canvas)
        m_blank = ui::PictureSurface(canvas->size(), canvas->backColor(),
                                     ui::PictureSurface::FillStyle::Solid)
                      .Image();
}

void EditingSession::detach()
{
    if (m_canvas)
        m_lastContent = m_canvas->Image();
    m_canvas = nullptr;
    // A write still waiting keeps this content, not the next window's blank canvas.
    if (m_drafts)
        m_drafts->flush();
}

QImage EditingSession::draftContent() const
{
    const QImage content = m_canvas ? m_canvas->persistentImage() : m_lastContent;
    if (content.isNull() || content == m_blank || content == m_safe)
        return {};
    return content;
}

void EditingSession::canvasChanged()
{
    if (m_drafts)
        m_drafts->changed();
    if (m_listener)
        m_listener();
}

void EditingSession::saved(const QImage &content)
{
    m_safe = content;
    if (m_drafts)
        m_drafts->remove();
}

void EditingSession::emptied()
{
    m_history.clear();
    m_closedEdit = false;
    m_lastContent = QImage();
    m_safe = QImage();
    if (m_drafts)
        m_drafts->remove();
    if (m_listener)
        m_listener();
}

} // namespace editor
