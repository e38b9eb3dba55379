// The GDI renderer's output-rectangle arithmetic; plain C++, built everywhere.
#include "emu/host/CRenderer_WinGDI.h"

#include <cmath>
#include <cstdint>

namespace emu {

namespace {

// Float to int with the far ends clamped (and NaN as 0), so an absurd aspect
// factor yields a useless rectangle rather than an undefined conversion.
int32_t ToInt(double value) {
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// floor(x + 0.5); for a negative x the mirror image, ceiling(x - 0.5).
int32_t Nearest(double value) {
    return ToInt(value < 0.0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}

// One whole factor: the nearest one, less 1 when that overshoots the room, at least 1.
int32_t WholeFactor(double ratio, int32_t unit, int32_t room) {
    int32_t factor = Nearest(ratio);
    if (static_cast<int64_t>(unit) * factor > room)
        --factor;
    return factor < 1 ? 1 : factor;
}

} // namespace

void CRenderer_WinGDI::CalculateOutputRect(const CRect& client, int32_t width, int32_t height, float aspect,
                                           int32_t stretchMode, CRect* output, double* scaleX, double* scaleY) {
    *output = client;
    const int32_t cw = client.right - client.left;
    const int32_t ch = client.bottom - client.top;
    const int32_t w = width;
    const int32_t h = height;
    if (w <= 0 || h <= 0) {
        *scaleX = *scaleY = 1.0;
        return;
    }

    // The aspect-corrected frame size: the longer side stays, the other follows the factor.
    int32_t w2 = w;
    int32_t h2 = h;
    if (aspect > 0.0f) {
        if (w < h)
            w2 = ToInt(static_cast<float>(h) * aspect);
        else
            h2 = ToInt(static_cast<float>(w) / aspect);
    }

    int32_t ow = 0;
    int32_t oh = 0;
    if (stretchMode == kStretchInteger && w <= cw && h <= ch) {
        int32_t unitW = w;
        int32_t unitH = h;
        if (aspect > 0.0f) {
            const int32_t kx = WholeFactor(static_cast<double>(w2) / w, w, cw);
            const int32_t ky = WholeFactor(static_cast<double>(h2) / h, h, ch);
            unitW = Nearest(static_cast<double>(kx) * w);
            unitH = Nearest(static_cast<double>(ky) * h);
        }
        const int32_t sx = WholeFactor(static_cast<double>(cw) / unitW, unitW, cw);
        const int32_t sy = WholeFactor(static_cast<double>(ch) / unitH, unitH, ch);
        const int32_t s = sx < sy ? sx : sy;
        ow = Nearest(static_cast<double>(unitW) * s);
        oh = Nearest(static_cast<double>(unitH) * s);
        output->left = client.left + (cw - ow) / 2;
        output->top = client.top + (ch - oh) / 2;
        *scaleX = ow != 0 ? static_cast<double>(unitW) / ow : 1.0;
        *scaleY = oh != 0 ? static_cast<double>(unitH) / oh : 1.0;
    } else {
        // A degenerate corrected side counts as one pixel rather than dividing by 0.
        const float fw2 = static_cast<float>(w2 > 0 ? w2 : 1);
        const float fh2 = static_cast<float>(h2 > 0 ? h2 : 1);
        const float rx = static_cast<float>(cw) / fw2;
        const float ry = static_cast<float>(ch) / fh2;
        int32_t offsetX = 0;
        int32_t offsetY = 0;
        if (ry < rx) {
            oh = ch;
            ow = Nearest(ry * fw2);
            offsetX = (cw - ow) / 2;
        } else {
            ow = cw;
            oh = Nearest(rx * fh2);
            offsetY = (ch - oh) / 2;
        }
        output->left = client.left + offsetX;
        output->top = client.top + offsetY;
        *scaleX = ow != 0 ? static_cast<double>(w2) / ow : 1.0;
        *scaleY = oh != 0 ? static_cast<double>(h2) / oh : 1.0;
    }
    output->right = output->left + ow;
    output->bottom = output->top + oh;
}

} // namespace emu
