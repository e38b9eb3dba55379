#pragma once
// The Win32 bitmap view: an owner-drawn STATIC child window that serves its
// own WM_PAINT by calling the paint callback with its painter, straight into
// the window or, when buffered, into an off-screen bitmap kept between paints
// (remade when the size changes) and copied to the window in one BitBlt. Its
// background is never erased.
#include <cstdint>

#include "gui/CBitmapView.h"
#include "gui/windows/CControl.h"

namespace gui {
namespace Windows {

class CBitmapView : public gui::CBitmapView, public CControl {
public:
    CBitmapView(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, bool visible);
    ~CBitmapView() override;

    bool Create() override;
    // Frees the off-screen bitmap and memory DC, then the window.
    void Destroy() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    HDC GetMemoryDc() const { return m_memoryDc; }
    HBITMAP GetOffscreenBitmap() const { return m_bitmap; }
    int32_t GetPendingPaints() const { return m_pendingPaints; }

private:
    // Selects the previous bitmap back and deletes the bitmap and the memory DC.
    void FreeBuffer();
    // The DC to paint into for this paint.
    HDC ChooseTarget(HDC paintDc);

    HBITMAP m_bitmap = nullptr; // owned
    HGDIOBJ m_previousBitmap = nullptr;
    HDC m_memoryDc = nullptr; // owned
    int32_t m_bufferWidth = 0;
    int32_t m_bufferHeight = 0;
    int32_t m_pendingPaints = 0;
    bool m_painting = false;
};

} // namespace Windows
} // namespace gui
