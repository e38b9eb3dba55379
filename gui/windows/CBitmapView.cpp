#include "gui/windows/CBitmapView.h"

#include "gui/windows/CPainter.h"

namespace gui {
namespace Windows {

CBitmapView::CBitmapView(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, bool visible)
    : gui::CBitmapView(new CPainter()), CControl(x, y, width, height, alignment, visible) {}

CBitmapView::~CBitmapView() {
    m_destroying = true;
    FreeBuffer();
}

bool CBitmapView::Create() {
    if (IsCreated())
        return true;
    CWidget* parent = dynamic_cast<CWidget*>(GetParent());
    if (parent == nullptr || !parent->IsCreated() || parent->GetWindowHandle() == nullptr ||
        parent->GetInstance() == nullptr)
        return false;
    m_window = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW, m_x, m_y,
                               m_width, m_height, parent->GetWindowHandle(), nullptr, parent->GetInstance(), nullptr);
    return CControl::Create();
}

void CBitmapView::FreeBuffer() {
    if (m_previousBitmap != nullptr && m_memoryDc != nullptr)
        SelectObject(m_memoryDc, m_previousBitmap);
    m_previousBitmap = nullptr;
    if (m_bitmap != nullptr)
        DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    if (m_memoryDc != nullptr)
        DeleteDC(m_memoryDc);
    m_memoryDc = nullptr;
}

void CBitmapView::Destroy() {
    FreeBuffer();
    CControl::Destroy();
}

HDC CBitmapView::ChooseTarget(HDC paintDc) {
    if (!m_buffered) {
        FreeBuffer();
        return paintDc;
    }
    if (m_memoryDc == nullptr) {
        m_memoryDc = CreateCompatibleDC(paintDc);
        if (m_memoryDc == nullptr)
            return paintDc;
    }
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    GetRect(&x, &y, &width, &height);
    if (m_bitmap != nullptr && (width != m_bufferWidth || height != m_bufferHeight)) {
        SelectObject(m_memoryDc, m_previousBitmap);
        m_previousBitmap = nullptr;
        DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
    if (m_bitmap == nullptr) {
        m_bufferWidth = width;
        m_bufferHeight = height;
        m_bitmap = CreateCompatibleBitmap(paintDc, width, height);
        HGDIOBJ previous = m_bitmap != nullptr ? SelectObject(m_memoryDc, m_bitmap) : nullptr;
        if (previous == nullptr || previous == HGDI_ERROR) {
            FreeBuffer();
            return paintDc;
        }
        m_previousBitmap = previous;
    }
    return m_memoryDc;
}

LRESULT CBitmapView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND)
        return -1;
    if (message != WM_PAINT)
        return CControl::HandleMessage(message, wParam, lParam);
    ++m_pendingPaints;
    if (m_painting || IsRedrawLocked(true))
        return 0;
    m_painting = true;
    m_pendingPaints = 1;
    PAINTSTRUCT paint = {};
    HDC paintDc = BeginPaint(m_window, &paint);
    if (paintDc == nullptr) {
        m_painting = false;
        --m_pendingPaints;
        return CControl::HandleMessage(message, wParam, lParam);
    }
    HDC target = ChooseTarget(paintDc);
    CPainter* painter = static_cast<CPainter*>(m_painter);
    if (!painter->IsPainting())
        painter->SetWindowAndDc(m_window, target);
    if (painter->Begin()) {
        OnPaint(painter);
        painter->End();
    }
    if (m_memoryDc != nullptr)
        BitBlt(paintDc, 0, 0, m_bufferWidth, m_bufferHeight, m_memoryDc, 0, 0, SRCCOPY);
    EndPaint(m_window, &paint);
    m_painting = false;
    --m_pendingPaints;
    return 0;
}

} // namespace Windows
} // namespace gui
