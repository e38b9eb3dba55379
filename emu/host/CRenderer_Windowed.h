#pragma once
// The layer of the renderers that draw into a host window (Windows only; the
// implementation lives in CRenderer_Windowed_Win32.cpp). It attaches to a
// window, keeps the window's client rectangle, sizes the surface under both
// locks and runs the present, leaving the drawing and the buffers to the layer
// below.
//
// The present (user-interface thread) holds the present lock for the whole
// draw and the frame lock only while it claims the frame and checks the
// buffers, so the emulation thread's EndFrame waits only for that short part.
// A window destroyed behind the renderer's back is noticed at the next present
// or Reset: the renderer closes and detaches itself. A failed draw keeps the
// frame dirty, so the next present tries again.
#include <cstdint>

#include "emu/host/CRenderer_NoDraw.h"

namespace emu {

class CRenderer_Windowed : public CRenderer_NoDraw {
public:
    struct CRect {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    CRenderer_Windowed();
    ~CRenderer_Windowed() override;

    // Attaches to the window (Open, then a check of the client area); null
    // detaches. False when the window is not a live window or cannot be
    // opened, and once the renderer is being destroyed.
    bool SetWindow(WindowHandle window) override;
    // Stores the size and reallocates the buffers under both locks, starts a
    // new line record and calls the reset callback. False for a negative size
    // and while no window is attached (nothing is stored then).
    bool SetSize(int32_t width, int32_t height, bool clientSized) override;
    bool RequestPresent(bool force) override { return Present(force); }
    bool GetClientRect(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) override;
    // Window coordinates times the scale factors of the last layout.
    bool MapPoint(int32_t x, int32_t y, double* fx, double* fy) override;
    void InvalidateBackground() override { m_backgroundInvalid = true; }

    // Draws the claimed frame into the window (present lock held).
    virtual bool Draw() = 0;
    // reallocate: new pixel buffer and rows for the stored size; checkClient:
    // reads the client rectangle again. False when either fails.
    virtual bool AllocateBuffers(bool checkClient, bool reallocate) = 0;

    // The present: claims the frame under the frame lock and draws it.
    bool Present(bool force);

    WindowHandle GetWindow() const { return m_window; }
    const CRect& GetStoredClientRect() const { return m_clientRect; }
    bool IsClientSized() const { return m_clientSized; }
    bool IsBackgroundInvalid() const { return m_backgroundInvalid; }

protected:
    // The host's own checks of the attached window.
    bool IsWindowAlive() const;
    bool ReadClientRect(CRect* rect) const;

    WindowHandle m_window = nullptr; // the host's window; not owned
    CRect m_clientRect;
    bool m_clientSized = false;
    bool m_backgroundInvalid = false;
    double m_scaleX = 1.0; // frame units per window pixel
    double m_scaleY = 1.0;
};

} // namespace emu
