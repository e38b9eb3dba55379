#pragma once
// Shared by the control tests: a created frame window to hold controls, and a
// memory DC of 64 x 64 white pixels to draw control faces into and read back.
#include <gtest/gtest.h>

#include "tests/gui/windows/Win32TestSupport.h"

namespace guitest {

class ControlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new TestFrame(0, 0, 300, 200);
        ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        m_bitmap = CreateCompatibleBitmap(screen, 64, 64);
        ReleaseDC(nullptr, screen);
        m_previous = SelectObject(m_dc, m_bitmap);
        Clear();
    }
    void TearDown() override {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
        DestroyFrame(*m_frame);
        delete m_frame;
    }
    void Clear() {
        RECT all = {0, 0, 64, 64};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }
    // Pixels of the colour inside the rectangle (right and bottom exclusive).
    int Count(COLORREF colour, int left, int top, int right, int bottom) const {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += At(x, y) == colour ? 1 : 0;
        return count;
    }

    TestFrame* m_frame = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};

} // namespace guitest
