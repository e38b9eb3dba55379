#pragma once
// The portable bitmap view: the buffered flag, the owned painter and the paint
// callback, which the owner assigns (GetPaintCallback).
#include "gui/CBitmapViewInterface.h"

namespace gui {

class CBitmapView : public virtual CBitmapViewInterface {
public:
    // Takes the painter (owned; the Win32 view gives its GDI painter).
    explicit CBitmapView(CPainter* painter) : m_painter(painter) {}
    // Deletes the painter.
    ~CBitmapView() override;
    CBitmapView(const CBitmapView&) = delete;
    CBitmapView& operator=(const CBitmapView&) = delete;

    bool& GetBufferedFlag() override { return m_buffered; }
    void OnPaint(CPainter* painter) override;

    PaintCallback& GetPaintCallback() { return m_callback; }
    CPainter* GetViewPainter() const { return m_painter; }

protected:
    bool m_destroying = false;
    bool m_buffered = false;
    bool m_inCallback = false;
    CPainter* m_painter; // owned
    PaintCallback m_callback = nullptr;
};

} // namespace gui
