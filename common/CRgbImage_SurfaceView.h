#pragma once
// A 32-bit image over a frame surface's rows. It owns no pixels: rows and
// pixels are read through the surface's row table, so drawing into the view
// draws into the frame. Width and height are those of the surface when it last
// handed out the view (CSurface::GetImageView); the view cannot allocate, load
// or save.
#include "common/CRgbImage.h"

namespace common {

class CSurface;

class CRgbImage_SurfaceView : public CRgbImage {
public:
    // surface: not owned, outlives the view.
    explicit CRgbImage_SurfaceView(CSurface* surface);

    bool LoadRows(CStream& stream) override;
    bool SaveRows(CStream& stream) override;
    CImage* CreateEmpty() const override;
    bool Allocate(int32_t width, int32_t height) override;
    int GetBitsPerPixel() const override;
    // The lower in memory of the surface's first and last row, or null.
    uint8_t* GetBits() const override;
    uint8_t* GetRow(int32_t y) const override;
    uint32_t GetPixel(int32_t y, int32_t x) const override;
    void SetPixel(int32_t y, int32_t x, uint32_t value) override;
    void GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const override;
    void SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) override;
    bool GetViewFlag() const override;
    void SetRowFromIndices(int32_t y, const uint8_t* indices) override;
    // The surface's row itself.
    const ARGB* GetRowARGB(int32_t y) const override;

    // Copies the surface's size and derives base and stride from its rows:
    // stride is the signed distance from one row to the next as seen from the
    // base (positive both for top-down and bottom-up storage).
    void Refresh();
    // The lowest row in memory as of the last Refresh, or null.
    uint8_t* GetBase() const { return m_base; }

private:
    // Pixel x of row y, or null outside the view or the surface.
    ARGB* At(int32_t y, int32_t x) const;

    CSurface* m_surface; // not owned
    bool m_viewFlag = false;
    uint8_t* m_base = nullptr; // into the surface's pixels, not owned
};

} // namespace common
