#pragma once
// Screen units and the layout DPI.
//
// Widget geometry may be given in pixels (unit 0), millimetres (1) or tenths of
// a millimetre (2); any other code leaves values as given. Physical units become
// pixels through a layout DPI that is the screen's real DPI enlarged by a fixed
// factor (x1.43 up to 110 dpi, x1.15 up to 135, x1.0381 above), so millimetres
// come out larger than true size, more so on low-DPI screens: 96 real dpi gives
// a layout DPI of 137.
//
// The values are process-wide. They start at 96 for both, so conversions made
// before any frame window exists use 96 dpi; the first frame window measures the
// screen and runs SetupDpi once (the computed guard keeps later ones from
// measuring again). Written on the user-interface thread before the main window
// is shown, read afterwards without a lock.
//
// The arithmetic is portable; only the measuring of the screen is Win32 (the
// frame window does it), which is why these live in gui::Windows by name but
// build on every host.
#include <cstdint>

namespace gui {
namespace Windows {

constexpr int32_t kUnitPixels = 0;
constexpr int32_t kUnitMillimetres = 1;
constexpr int32_t kUnitTenthMillimetres = 2;

struct CDpiValues {
    int32_t m_realX = 96;
    int32_t m_realY = 96;
    int32_t m_layoutX = 96;
    int32_t m_layoutY = 96;
    bool m_realKnown = false; // the screen has been measured
    bool m_computed = false;  // guard: the setup runs only while this is false
};

// The process-wide DPI values.
CDpiValues& Dpi();

// The DPI setup from the screen's LOGPIXELSX / LOGPIXELSY readings: a value of 0
// or less stands for "could not be read" (x then becomes 96, y then becomes x).
// Stores the real DPI, derives the layout DPI and sets both flags. Runs
// whatever the guard says; the frame window checks the guard first.
void SetupDpi(int32_t screenX, int32_t screenY);

// The layout DPI that a real DPI pair gives (the factor is chosen from both).
int32_t LayoutDpiFor(int32_t real, int32_t realX, int32_t realY);

// In-place conversions of an x and a y value, x with the x DPI and y with the y
// DPI of the layout. Integer forms round as (v*dpi*10 + 127) / 254 (mm) and
// (v*dpi + 127) / 254 (0.1 mm), truncating toward zero; results saturate at the
// int32 range. A null pointer skips that value.
void UnitsToPixels(int32_t* x, int32_t* y, int32_t unit);
void UnitsToPixelsF(double* x, double* y, int32_t unit);
void PixelsToUnits(int32_t* x, int32_t* y, int32_t unit);
void PixelsToUnitsF(double* x, double* y, int32_t unit);

} // namespace Windows
} // namespace gui
