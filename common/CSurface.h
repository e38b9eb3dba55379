#pragma once
// The frame surface: rows of 32-bit ARGB pixels that the renderers fill and
// present. A deriving renderer owns the pixel memory and sets the row table
// (SetRows); the surface owns the table and an image view over it.
#include <cstdint>
#include <memory>

#include "common/CImage.h"

namespace common {

class CRgbImage_SurfaceView;

class CSurface {
public:
    CSurface();
    virtual ~CSurface();

    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    // Size 0 and the row table deleted; the view stays.
    virtual void Free();
    // The image view over the current rows (owned by the surface, created on
    // first use); every call brings its size, base and stride up to date.
    virtual CRgbImage_SurfaceView* GetImageView();

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    // Row y, or null outside the surface or without rows.
    ARGB* GetRow(int32_t y) const;

    // For row and every one of the following a negative row means every row and
    // a row at or beyond the height none.
    void Fill(const ARGB& colour, int32_t row);
    // Alpha 0xFF when opaque, else 0.
    void SetAlpha(bool opaque, int32_t row);
    void SetAlphaValue(uint8_t alpha, int32_t row);

protected:
    // Takes the table (height pointers to width pixels each); the old one is deleted.
    void SetRows(int32_t width, int32_t height, ARGB** rows);

    int32_t m_width = 0;
    int32_t m_height = 0;
    // Owned table; the pixels it points into belong to the deriving class.
    std::unique_ptr<ARGB*[]> m_rows;

private:
    // The rows [first, end) that a row argument names; false for none.
    bool RowRange(int32_t row, int32_t& first, int32_t& end) const;
    void AndOr(uint32_t keep, uint32_t set, int32_t row);

    std::unique_ptr<CRgbImage_SurfaceView> m_view; // owned
};

} // namespace common
