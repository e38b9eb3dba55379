#pragma once
// A real top-level window for the Windows renderer and sound tests: a visible
// borderless popup whose client area is exactly the size asked for, and a
// read-back of its pixels through BitBlt into a 32-bit DIB section.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace hosttest {

inline const wchar_t* TestWindowClass() {
    static const wchar_t* const s_name = L"KorvetHostTestWindow";
    static bool s_registered = false;
    if (!s_registered) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = s_name;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        s_registered = RegisterClassW(&windowClass) != 0;
    }
    return s_name;
}

// Lets the window manager settle: pending messages are handled.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class CTestWindow {
public:
    // Test programs that read pixels back through the X server place their
    // windows apart (x, y), so that tests running side by side never cover them.
    CTestWindow(int32_t width, int32_t height, int32_t x = 0, int32_t y = 0) {
        m_window = CreateWindowExW(WS_EX_TOPMOST, TestWindowClass(), L"host test", WS_POPUP, x, y, width, height,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (m_window != nullptr) {
            // Shown without activation: destroying an activated window makes
            // Wine wait for a window manager that a bare X server lacks.
            ShowWindow(m_window, SW_SHOWNOACTIVATE);
            UpdateWindow(m_window);
            PumpMessages();
        }
    }
    ~CTestWindow() { Destroy(); }
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;

    HWND Get() const { return m_window; }
    void Destroy() {
        if (m_window != nullptr)
            DestroyWindow(m_window);
        m_window = nullptr;
        PumpMessages();
    }

    // The client area as 0x00RRGGBB values, row 0 at the top.
    std::vector<uint32_t> ReadPixels(int32_t width, int32_t height) const {
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0xDEADBEEFu);
        HDC windowDc = GetDC(m_window);
        HDC memoryDc = CreateCompatibleDC(windowDc);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap != nullptr && bits != nullptr) {
            HGDIOBJ previous = SelectObject(memoryDc, bitmap);
            BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
            GdiFlush();
            std::memcpy(pixels.data(), bits, pixels.size() * sizeof(uint32_t));
            SelectObject(memoryDc, previous);
            DeleteObject(bitmap);
        }
        DeleteDC(memoryDc);
        ReleaseDC(m_window, windowDc);
        for (uint32_t& pixel : pixels)
            pixel &= 0x00FFFFFFu;
        return pixels;
    }

    // One pixel through GetPixel, as 0x00RRGGBB.
    uint32_t Pixel(int32_t x, int32_t y) const {
        HDC dc = GetDC(m_window);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(m_window, dc);
        return (static_cast<uint32_t>(GetRValue(colour)) << 16) | (static_cast<uint32_t>(GetGValue(colour)) << 8) |
               GetBValue(colour);
    }

private:
    HWND m_window = nullptr; // owned; destroyed with the object
};

} // namespace hosttest
