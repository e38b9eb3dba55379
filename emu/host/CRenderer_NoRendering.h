#pragma once
// "No Rendering": the headless renderer. The core makes one of its own when it
// is given no renderer, so the emulation runs with no window at all. It never
// takes a size (width and height stay 0, so the video draws nothing), but frame
// ends and present requests run as in the base: the presented-frame counter
// counts, the repaint hook runs and a present answers the frame-dirty flag.
#include "emu/host/CRenderer_NoDraw.h"

namespace emu {

class CRenderer_NoRendering : public CRenderer_NoDraw {
public:
    CRenderer_NoRendering();
    ~CRenderer_NoRendering() override;

    // Refuses every size; nothing changes.
    bool SetSize(int32_t width, int32_t height, bool clientSized) override;
    // Nothing to attach to: false for any window, also for none.
    bool SetWindow(WindowHandle window) override;
    void InvalidateBackground() override {}
    CRenderer* CreateInstance() override;
    const char* GetName() override { return "No Rendering"; }
};

} // namespace emu
