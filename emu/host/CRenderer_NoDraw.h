#pragma once
// "No Draw": the layer every concrete renderer stands on. It answers the
// window-related operations with do-nothing defaults (no client area, nothing
// to open or fill) and leaves attaching a window and invalidating its
// background to the layers below, so no object of it exists by itself.
#include "emu/host/CRenderer.h"

namespace emu {

class CRenderer_NoDraw : public CRenderer {
public:
    CRenderer_NoDraw();
    ~CRenderer_NoDraw() override;

    bool GetClientRect(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) override;
    bool Open() override { return false; }
    void Close() override {}
    bool FillBackground(const common::ARGB& colour) override;
    bool SetWindow(WindowHandle window) override = 0;
    CRenderer* CreateInstance() override { return nullptr; }
    const char* GetName() override { return "No Draw"; }
    bool IsSlot19Set() override { return false; }
    void InvalidateBackground() override = 0;
    void SetStretchMode(int32_t mode) override { m_stretchMode = mode; }
};

} // namespace emu
