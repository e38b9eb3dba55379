#pragma once
// The host screen as the machine sees it: the frame surface that the video
// devices draw into, plus the link back to the machine. The host renderers
// (no drawing, GDI, OpenGL) derive from it, allocate the pixel rows and
// present them; this class holds what every one of them shares.
//
// Reset callback: the machine installs one when the renderer becomes its host
// screen; the renderer calls it after it has changed its output size, so that
// the devices redraw. The machine clears it again when it lets the renderer go,
// so a renderer never calls into a machine that no longer holds it.
#include <cstdint>

#include "common/CSurface.h"

namespace emu {

class CRenderer : public common::CSurface {
public:
    typedef void (*ResetCallback)(void* user);

    static constexpr common::ARGB kDefaultBorderColour = 0xFF000000u;

    CRenderer() = default;
    ~CRenderer() override = default;

    // Border colour back to black, then the rows and the size go as in the surface.
    void Free() override {
        m_borderColour = kDefaultBorderColour;
        common::CSurface::Free();
    }

    // 0 stretches the frame to the window, 1 keeps its proportions; the
    // windowed renderers read it when they compute the output rectangle.
    virtual void SetStretchMode(int32_t mode) { m_stretchMode = mode; }
    int32_t GetStretchMode() const { return m_stretchMode; }

    // A null callback or user unhooks the machine.
    void SetResetCallback(ResetCallback callback, void* user) {
        m_resetCallback = callback;
        m_resetUser = user;
    }
    ResetCallback GetResetCallback() const { return m_resetCallback; }
    void* GetResetUser() const { return m_resetUser; }

    common::ARGB GetBorderColour() const { return m_borderColour; }
    void SetBorderColour(common::ARGB colour) { m_borderColour = colour; }

protected:
    // Tells the machine that the output size changed (when one is hooked).
    void NotifyReset() {
        if (m_resetCallback != nullptr && m_resetUser != nullptr)
            m_resetCallback(m_resetUser);
    }

    int32_t m_stretchMode = 0;
    common::ARGB m_borderColour = kDefaultBorderColour;

private:
    ResetCallback m_resetCallback = nullptr;
    void* m_resetUser = nullptr; // the machine; not owned
};

} // namespace emu
