#include "gui/Units.h"

#include <cmath>

namespace gui {
namespace Windows {

namespace {

constexpr double kFactorLow = 1.43;    // up to 110 dpi
constexpr double kFactorMiddle = 1.15; // up to 135 dpi
constexpr double kFactorHigh = 1.0381; // above 135 dpi

// Half away from zero.
int32_t RoundToInt(double v) {
    return static_cast<int32_t>(v >= 0.0 ? std::floor(v + 0.5) : std::ceil(v - 0.5));
}

int32_t Saturate(int64_t v) {
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

int32_t ToPixels(int32_t v, int32_t dpi, int32_t unit) {
    if (unit == kUnitMillimetres)
        return Saturate((int64_t(v) * dpi * 10 + 127) / 254);
    if (unit == kUnitTenthMillimetres)
        return Saturate((int64_t(v) * dpi + 127) / 254);
    return v;
}

int32_t ToUnits(int32_t v, int32_t dpi, int32_t unit) {
    if (dpi <= 0)
        return v;
    if (unit == kUnitMillimetres)
        return Saturate((int64_t(v) * 254 - 127) / (int64_t(dpi) * 10));
    if (unit == kUnitTenthMillimetres)
        return Saturate((int64_t(v) * 254 - 127) / dpi);
    return v;
}

double ToPixelsF(double v, int32_t dpi, int32_t unit) {
    if (unit == kUnitMillimetres)
        return v * dpi / 25.4;
    if (unit == kUnitTenthMillimetres)
        return v * dpi / 254.0;
    return v;
}

double ToUnitsF(double v, int32_t dpi, int32_t unit) {
    if (dpi <= 0)
        return v;
    if (unit == kUnitMillimetres)
        return v * 25.4 / dpi;
    if (unit == kUnitTenthMillimetres)
        return v * 254.0 / dpi;
    return v;
}

} // namespace

CDpiValues& Dpi() {
    static CDpiValues s_dpi;
    return s_dpi;
}

int32_t LayoutDpiFor(int32_t real, int32_t realX, int32_t realY) {
    double factor = kFactorLow;
    if (realX > 135 || realY > 135)
        factor = kFactorHigh;
    else if (realX > 110 || realY > 110)
        factor = kFactorMiddle;
    return RoundToInt(real * factor);
}

void SetupDpi(int32_t screenX, int32_t screenY) {
    CDpiValues& dpi = Dpi();
    int32_t x = screenX > 0 ? screenX : 96;
    int32_t y = screenY > 0 ? screenY : x;
    dpi.m_realX = x;
    dpi.m_realY = y;
    dpi.m_realKnown = true;
    dpi.m_layoutX = LayoutDpiFor(x, x, y);
    dpi.m_layoutY = LayoutDpiFor(y, x, y);
    dpi.m_computed = true;
}

void UnitsToPixels(int32_t* x, int32_t* y, int32_t unit) {
    const CDpiValues& dpi = Dpi();
    if (x != nullptr)
        *x = ToPixels(*x, dpi.m_layoutX, unit);
    if (y != nullptr)
        *y = ToPixels(*y, dpi.m_layoutY, unit);
}

void UnitsToPixelsF(double* x, double* y, int32_t unit) {
    const CDpiValues& dpi = Dpi();
    if (x != nullptr)
        *x = ToPixelsF(*x, dpi.m_layoutX, unit);
    if (y != nullptr)
        *y = ToPixelsF(*y, dpi.m_layoutY, unit);
}

void PixelsToUnits(int32_t* x, int32_t* y, int32_t unit) {
    const CDpiValues& dpi = Dpi();
    if (x != nullptr)
        *x = ToUnits(*x, dpi.m_layoutX, unit);
    if (y != nullptr)
        *y = ToUnits(*y, dpi.m_layoutY, unit);
}

void PixelsToUnitsF(double* x, double* y, int32_t unit) {
    const CDpiValues& dpi = Dpi();
    if (x != nullptr)
        *x = ToUnitsF(*x, dpi.m_layoutX, unit);
    if (y != nullptr)
        *y = ToUnitsF(*y, dpi.m_layoutY, unit);
}

} // namespace Windows
} // namespace gui
