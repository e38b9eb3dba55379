#pragma once
// "WinGDI": the GDI renderer (Windows only; CRenderer_WinGDI_Win32.cpp). It owns
// the pixel buffer behind the surface rows (row 0 first, width x 4 bytes a row,
// new buffers opaque black), places the frame in the client area (fitted with
// the aspect factor, or in whole multiples), fills the border bands with the
// border colour and copies the pixels to the window with StretchDIBits.
//
// The output-rectangle arithmetic (CalculateOutputRect) is plain C++ in
// CRenderer_WinGDI.cpp and builds everywhere; the OpenGL renderer uses it too.
#include <cstdint>

#include "emu/host/CRenderer_Windowed.h"

namespace emu {

class CRenderer_WinGDI : public CRenderer_Windowed {
public:
    CRenderer_WinGDI();
    ~CRenderer_WinGDI() override;

    // Under both locks: border colour back to black, buffers and size freed;
    // a renderer whose window or device context is gone also detaches.
    void Reset() override;
    // Under the frame lock: the base frame end, then the changed bits go.
    void EndFrame(bool flag, float aspect) override;
    // Takes the window's device context (stretching drops whole pixels).
    bool Open() override;
    void Close() override;
    // Fills the whole client area with the colour (alpha ignored).
    bool FillBackground(const common::ARGB& colour) override;
    void SetStretchMode(int32_t mode) override;
    CRenderer* CreateInstance() override;
    const char* GetName() override { return "WinGDI"; }
    bool Draw() override;
    bool AllocateBuffers(bool checkClient, bool reallocate) override;

    // Where a width x height frame goes in the client rectangle.
    // kStretchInteger with a frame that fits: the aspect-corrected size in whole
    // multiples of the frame, scaled by the largest whole factor that fits,
    // centred; otherwise the aspect-corrected frame fitted to the client area
    // and centred on the other axis. An aspect of 0 or less means square
    // pixels. scaleX and scaleY receive aspect-corrected frame units per output
    // pixel (1 / the factor when scaling in whole multiples).
    static void CalculateOutputRect(const CRect& client, int32_t width, int32_t height, float aspect,
                                    int32_t stretchMode, CRect* output, double* scaleX, double* scaleY);

    const CRect& GetOutputRect() const { return m_outputRect; }

protected:
    // The output rectangle for the current frame, client area and stretch mode
    // (takes the frame lock).
    void ComputeOutputRect();
    // New buffer and rows for the stored width and height (both 0 when either
    // is 0 or memory is short); false only when memory is short.
    bool ReallocatePixels();
    // Rows and pixel buffer freed, size 0.
    void FreePixels();
    // Whether the renderer holds the device context it draws with.
    virtual bool HasDeviceContext() const { return m_deviceContext != nullptr; }

    void* m_deviceContext = nullptr; // HDC from GetDC of the window; released by Close
    int32_t m_dibWidth = 0;          // size the DIB header describes
    int32_t m_dibHeight = 0;
    bool m_layoutDirty = true;
    CRect m_outputRect;
    float m_layoutAspect = 0.0f;
};

} // namespace emu
