// The scale the desktop asks of windows (high-resolution screens), for the editor's Auto scale.
#pragma once

#include <cstdint>

namespace tarnwick::platform {

// Scales are counted in halves: 2 = 1x, 3 = 1.5x, 4 = 2x.
inline constexpr int32_t kSmallestScaleHalves = 2;
inline constexpr int32_t kLargestScaleHalves = 4;

// [any-thread] The nearest scale the editor draws at to a factor (1.0 = 1x); the smaller one on a tie.
// Factors that are not positive numbers give 1x.
int32_t nearestScaleHalves(double factor);

// [ui-thread] The desktop's scale for an editor on `parent` (an X11 window id or an HWND): GDK_SCALE
// when set, else the X resource database's Xft.dpi (96 = 1x, 144 = 1.5x, 192 = 2x), on Windows the
// window's DPI. 0 when the desktop says nothing.
int32_t desktopScaleHalves(void* parent);

// Xft.dpi from the text of an X resource database ("Xft.dpi:\t192\n..."); 0 when it has none.
int32_t xftDpiFrom(const char* resources);

}  // namespace tarnwick::platform
