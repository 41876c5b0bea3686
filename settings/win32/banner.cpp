#include "settings/win32/banner.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace zn::win32 {
namespace {

struct Colour {
    double red, green, blue;
};

Colour mix(Colour from, Colour to, double share) {
    return {from.red + (to.red - from.red) * share, from.green + (to.green - from.green) * share,
            from.blue + (to.blue - from.blue) * share};
}

constexpr Colour kSkyLeft{0x12, 0x32, 0x5a};
constexpr Colour kSkyMiddle{0x1d, 0x5f, 0x8a};
constexpr Colour kSkyRight{0x2a, 0x8f, 0x9e};
constexpr Colour kRibbonTop{0xff, 0xd3, 0x6b};
constexpr Colour kRibbonBottom{0xf0, 0xa4, 0x30};
constexpr Colour kKeyhole{0x12, 0x32, 0x5a};
constexpr Colour kWhite{0xff, 0xff, 0xff};
constexpr double kGlowOpacity = 0.12;

// The band's gradient runs left to right with its middle stop at 60 %.
Colour skyAt(double x) {
    const double share = x / kNarrowBannerWidth;
    if (share < 0.6) return mix(kSkyLeft, kSkyMiddle, share / 0.6);
    return mix(kSkyMiddle, kSkyRight, (share - 0.6) / 0.4);
}

bool inCircle(double x, double y, double centreX, double centreY, double radius) {
    return (x - centreX) * (x - centreX) + (y - centreY) * (y - centreY) <= radius * radius;
}

// The ribbon: 30 wide, 44 high, its foot cut in by a notch 10 high.
bool inRibbon(double x, double y) {
    if (x < 0 || x >= 30 || y < 0 || y >= 44) return false;
    const double notchTop = 44 - 10 * (1 - std::abs(x - 15) / 15);
    return y < notchTop;
}

bool inKeyhole(double x, double y) {
    if (inCircle(x, y, 15, 14, 5)) return true;
    if (y < 17 || y >= 27) return false;
    const double widening = (y - 17) / 10;
    return x >= 13 - widening && x < 17 + widening;
}

Colour pixelAt(double x, double y) {
    Colour colour = skyAt(x);
    if (inCircle(x, y, 280, 10, 46)) colour = mix(colour, kWhite, kGlowOpacity);
    if (inCircle(x, y, 330, 60, 38)) colour = mix(colour, kWhite, kGlowOpacity);
    const double ribbonX = x - 18;
    const double ribbonY = y - 7;
    if (inRibbon(ribbonX, ribbonY)) {
        colour =
            inKeyhole(ribbonX, ribbonY) ? kKeyhole : mix(kRibbonTop, kRibbonBottom, ribbonY / 44);
    }
    return colour;
}

std::uint32_t packed(Colour colour) {
    const auto channel = [](double value) {
        return static_cast<std::uint32_t>(std::clamp(value + 0.5, 0.0, 255.0));
    };
    return channel(colour.red) << 16 | channel(colour.green) << 8 | channel(colour.blue);
}

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

void paintName(HDC dc, int left, int top) {
    LOGFONTA description{};
    description.lfHeight = -27;
    description.lfWeight = FW_BOLD;
    description.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynA(description.lfFaceName, "Tahoma", LF_FACESIZE);
    const OwnedFont font(CreateFontIndirectA(&description));
    const HGDIOBJ previousFont = SelectObject(dc, font.get());
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dc, RGB(0xff, 0xff, 0xff));
    const UINT previousAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    const int previousSpacing = SetTextCharacterExtra(dc, 1);
    TextOutA(dc, left + 62, top + 36, "Zintrel", 7);
    SetTextCharacterExtra(dc, previousSpacing);
    SetTextAlign(dc, previousAlign);
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
}

}  // namespace

void paintNarrowBanner(HDC dc, int left, int top) {
    std::vector<std::uint32_t> pixels(std::size_t(kNarrowBannerWidth) * kBannerHeight);
    for (int y = 0; y < kBannerHeight; ++y)
        for (int x = 0; x < kNarrowBannerWidth; ++x)
            pixels[std::size_t(y) * kNarrowBannerWidth + std::size_t(x)] =
                packed(pixelAt(x + 0.5, y + 0.5));
    BITMAPINFO bitmap{};
    bitmap.bmiHeader.biSize = sizeof bitmap.bmiHeader;
    bitmap.bmiHeader.biWidth = kNarrowBannerWidth;
    bitmap.bmiHeader.biHeight = -kBannerHeight;  // top row first
    bitmap.bmiHeader.biPlanes = 1;
    bitmap.bmiHeader.biBitCount = 32;
    bitmap.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, left, top, kNarrowBannerWidth, kBannerHeight, 0, 0, 0, kBannerHeight,
                      pixels.data(), &bitmap, DIB_RGB_COLORS);
    paintName(dc, left, top);
}

}  // namespace zn::win32
