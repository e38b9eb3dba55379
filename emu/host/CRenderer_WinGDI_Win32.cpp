// The GDI renderer: pixel buffer, layout and StretchDIBits.
#include <windows.h>

#include <cstdint>
#include <new>

#include "common/CScopedLock.h"
#include "emu/host/CRenderer_WinGDI.h"

namespace emu {

namespace {

constexpr common::ARGB kNewPixel = 0xFF000000u; // opaque black

inline HWND AsWindow(CRenderer::WindowHandle window) {
    return static_cast<HWND>(window);
}

inline COLORREF ToColorRef(common::ARGB colour) {
    return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

// Fills the rectangle with one solid brush, selected while it paints.
void FillSolid(HDC dc, const RECT& rect, HBRUSH brush) {
    HGDIOBJ previous = SelectObject(dc, brush);
    FillRect(dc, &rect, brush);
    SelectObject(dc, previous);
}

} // namespace

CRenderer_WinGDI::CRenderer_WinGDI() = default;

CRenderer_WinGDI::~CRenderer_WinGDI() {
    common::CScopedLock present(GetPresentLock());
    common::CScopedLock frame(GetFrameLock());
    m_destroying = true;
    CRenderer_WinGDI::Close();
    FreePixels();
}

CRenderer* CRenderer_WinGDI::CreateInstance() {
    return new (std::nothrow) CRenderer_WinGDI();
}

void CRenderer_WinGDI::FreePixels() {
    SetRows(0, 0, nullptr);
    delete[] m_pixelBuffer;
    m_pixelBuffer = nullptr;
    m_rowPitch = 0;
    m_width = 0;
    m_height = 0;
}

bool CRenderer_WinGDI::ReallocatePixels() {
    const int32_t width = m_width;
    const int32_t height = m_height;
    FreePixels();
    if (width <= 0 || height <= 0)
        return true;
    // Sizes are checked in 64 bits: a 32-bit host cannot address a buffer
    // whose byte count overflows its size_t.
    const uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (count > SIZE_MAX / sizeof(uint32_t))
        return false;
    uint32_t* pixels = new (std::nothrow) uint32_t[static_cast<size_t>(count)];
    common::ARGB** rows = pixels != nullptr ? new (std::nothrow) common::ARGB*[static_cast<size_t>(height)] : nullptr;
    if (rows == nullptr) {
        delete[] pixels;
        return false;
    }
    for (uint64_t i = 0; i < count; ++i)
        pixels[i] = kNewPixel;
    for (int32_t y = 0; y < height; ++y)
        rows[y] = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    m_pixelBuffer = pixels;
    SetRows(width, height, rows);
    m_rowPitch = width * 4;
    return true;
}

bool CRenderer_WinGDI::AllocateBuffers(bool checkClient, bool reallocate) {
    bool result = true;
    if (reallocate) {
        m_rowPitch = 0;
        m_dibWidth = m_width;
        m_dibHeight = m_height;
        result = ReallocatePixels();
        m_layoutDirty = true;
    }
    if (checkClient) {
        CRect client;
        if (!ReadClientRect(&client))
            return false;
        if (client.right != m_clientRect.right || client.bottom != m_clientRect.bottom) {
            m_clientRect = client;
            m_layoutDirty = true;
        }
    }
    return result;
}

void CRenderer_WinGDI::EndFrame(bool flag, float aspect) {
    common::CScopedLock frame(GetFrameLock());
    if (m_destroying)
        return;
    CRenderer::EndFrame(flag, aspect);
    if (m_changedLineCount != 0) {
        m_changedLineCount = 0;
        const int32_t lines = m_height & kLineIndexMask;
        for (int32_t line = 0; line < lines; ++line)
            m_lineFlags[line] &= static_cast<uint8_t>(~kLineChanged);
    }
}

void CRenderer_WinGDI::Reset() {
    common::CScopedLock present(GetPresentLock());
    common::CScopedLock frame(GetFrameLock());
    if (m_destroying)
        return;
    CRenderer::Reset();
    FreePixels();
    if (m_window == nullptr || !IsWindowAlive() || !HasDeviceContext()) {
        Close();
        m_window = nullptr;
    }
}

bool CRenderer_WinGDI::Open() {
    HDC dc = GetDC(AsWindow(m_window));
    m_deviceContext = dc;
    if (dc != nullptr)
        SetStretchBltMode(dc, COLORONCOLOR);
    m_backgroundInvalid = true;
    return dc != nullptr;
}

void CRenderer_WinGDI::Close() {
    if (m_deviceContext == nullptr)
        return;
    ReleaseDC(AsWindow(m_window), static_cast<HDC>(m_deviceContext));
    m_deviceContext = nullptr;
}

bool CRenderer_WinGDI::FillBackground(const common::ARGB& colour) {
    if (m_deviceContext == nullptr)
        return false;
    HDC dc = static_cast<HDC>(m_deviceContext);
    HBRUSH brush = CreateSolidBrush(ToColorRef(colour));
    const RECT client = {m_clientRect.left, m_clientRect.top, m_clientRect.right, m_clientRect.bottom};
    FillSolid(dc, client, brush);
    DeleteObject(brush);
    return true;
}

void CRenderer_WinGDI::SetStretchMode(int32_t mode) {
    common::CScopedLock frame(GetFrameLock());
    if (mode != m_stretchMode) {
        m_frameDirty = true;
        m_layoutDirty = true;
    }
    m_stretchMode = mode;
}

void CRenderer_WinGDI::ComputeOutputRect() {
    common::CScopedLock frame(GetFrameLock());
    m_layoutAspect = m_aspectFactor;
    m_layoutDirty = false;
    CalculateOutputRect(m_clientRect, m_width, m_height, m_aspectFactor, m_stretchMode, &m_outputRect, &m_scaleX,
                        &m_scaleY);
}

bool CRenderer_WinGDI::Draw() {
    if (m_deviceContext == nullptr)
        return false;
    if (m_pixelBuffer == nullptr) {
        FillBackground(m_borderColour);
        return true;
    }
    {
        common::CScopedLock frame(GetFrameLock());
        if (m_layoutDirty || m_aspectFactor != m_layoutAspect)
            ComputeOutputRect();
    }
    HDC dc = static_cast<HDC>(m_deviceContext);
    const CRect& client = m_clientRect;
    const CRect& out = m_outputRect;
    if (out.left > client.left || out.top > client.top || out.right < client.right || out.bottom < client.bottom) {
        HBRUSH brush = CreateSolidBrush(ToColorRef(m_borderColour));
        if (client.left < out.left)
            FillSolid(dc, RECT{client.left, client.top, out.left, client.bottom}, brush);
        if (client.top < out.top)
            FillSolid(dc, RECT{client.left, client.top, client.right, out.top}, brush);
        if (out.right < client.right)
            FillSolid(dc, RECT{out.right, client.top, client.right, client.bottom}, brush);
        if (out.bottom < client.bottom)
            FillSolid(dc, RECT{client.left, out.bottom, client.right, client.bottom}, brush);
        DeleteObject(brush);
    }

    // A bottom-up DIB (positive height) drawn with a negative destination
    // height from the last output line: memory row 0 lands at the top.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = m_dibWidth;
    info.bmiHeader.biHeight = m_dibHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc, out.left, out.bottom - 1, out.right - out.left, out.top - out.bottom, 0, 0, m_width, m_height,
                  m_pixelBuffer, &info, DIB_RGB_COLORS, SRCCOPY);
    return true;
}

} // namespace emu
