#pragma once
// "OpenGL": the GDI renderer drawing through OpenGL (Windows only;
// CRenderer_OpenGL_Win32.cpp). A double-buffered WGL context on the window's
// device context draws the 32-bit pixel buffer with glDrawPixels as BGRA bytes,
// zoomed onto the output rectangle, and swaps. It needs
// "GL_ARB_texture_non_power_of_two", "GL_EXT_bgra", a maximum texture size of
// at least 2048 and a swap interval of 0 ("WGL_EXT_swap_control"); when any
// of this is missing it draws exactly as "WinGDI" until it is closed (GDI
// fallback). Drawing runs inside the present on the user-interface thread;
// the context is made current on the thread that presents.
//
// In OpenGL mode MapPoint keeps the scale factors of 1.0 that SetWindow set.
#include <cstdint>

#include "emu/host/CRenderer_WinGDI.h"

namespace emu {

class CRenderer_OpenGL : public CRenderer_WinGDI {
public:
    CRenderer_OpenGL();
    ~CRenderer_OpenGL() override;

    bool Open() override;
    void Close() override;
    bool FillBackground(const common::ARGB& colour) override;
    void SetStretchMode(int32_t mode) override;
    CRenderer* CreateInstance() override;
    const char* GetName() override { return "OpenGL"; }
    bool Draw() override;
    bool AllocateBuffers(bool checkClient, bool reallocate) override;

    // True while the renderer draws with GDI because OpenGL could not be had.
    bool IsGdiFallback() const { return m_gdiFallback; }
    // Whether an OpenGL context is open (OpenGL mode).
    bool HasGlContext() const { return m_glContext != nullptr; }

protected:
    bool HasDeviceContext() const override;
    // Projection, raster position and zoom for the output rectangle (takes the frame lock).
    void SetupViewport();

private:
    // Releases the context and the device context and forgets the swap-interval functions.
    void ReleaseGl();

    typedef void (*ProcAddress)();

    void* m_glDeviceContext = nullptr; // HDC from GetDC of the window; released by Close
    void* m_glContext = nullptr;       // HGLRC; owned, deleted by Close
    bool m_viewportDirty = true;
    CRect m_viewportRect;
    float m_viewportAspect = 0.0f;
    bool m_gdiFallback = false;
    ProcAddress m_swapIntervalSetter = nullptr; // wglSwapIntervalEXT
    ProcAddress m_swapIntervalGetter = nullptr; // wglGetSwapIntervalEXT
};

} // namespace emu
