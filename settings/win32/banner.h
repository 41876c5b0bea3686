// The options dialog's banner (the main window's, drawn for a narrower
// window): a blue band with a bookmark ribbon and the program's name. Drawn
// in code because the native build has no vector image renderer.
#pragma once

#include <windows.h>

namespace zn::win32 {

inline constexpr int kNarrowBannerWidth = 339;
inline constexpr int kBannerHeight = 58;

// Paints the banner with its top left corner at (left, top).
void paintNarrowBanner(HDC dc, int left, int top);

}  // namespace zn::win32
