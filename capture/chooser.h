// TwBoth, the capture chooser: one box per page that a source offered, for
// the user to tick the pages to add. Made once at program start; its boxes
// keep their captions and ticks until the next capture sets them.
#pragma once

#include <array>
#include <string>

namespace zn {

inline constexpr const char* kChooserCaption = "Select Bookmark to Add";
inline constexpr const char* kChooserFirstLine = "You currently have multiple browsers active.";
inline constexpr const char* kChooserSecondLine = "Select the bookmarks that you want to add.";

// The chooser's layout, shared by its views: a 516 x 224 window whose client
// area, inside a classic frame, is 508 x 194; positions are client pixels.
namespace chooser_layout {
inline constexpr int kWindowWidth = 516;
inline constexpr int kWindowHeight = 224;
inline constexpr int kClientWidth = 508;
inline constexpr int kClientHeight = 194;
inline constexpr int kLabelTop = 10;
inline constexpr int kLabelHeight = 40;
inline constexpr int kBoxLeft = 16;
inline constexpr int kBoxTops[] = {56, 88, 120};
inline constexpr int kBoxWidth = kClientWidth - 2 * kBoxLeft;
inline constexpr int kBoxHeight = 24;
inline constexpr int kButtonWidth = 80;
inline constexpr int kButtonHeight = 28;
inline constexpr int kButtonTop = 154;
}  // namespace chooser_layout

struct ChooserBox {
    std::string caption;
    bool checked = false;
    bool visible = true;
    bool operator==(const ChooserBox&) const = default;
};

class TwBoth {
public:
    // CheckBox1: the "Netscape" page, CheckBox2: the "IExplore" page,
    // CheckBox3: the America Online page.
    ChooserBox CheckBox1, CheckBox2, CheckBox3;

    ChooserBox& box(std::size_t source) { return *boxes()[source]; }
    const ChooserBox& box(std::size_t source) const { return *boxes()[source]; }

private:
    std::array<ChooserBox*, 3> boxes() { return {&CheckBox1, &CheckBox2, &CheckBox3}; }
    std::array<const ChooserBox*, 3> boxes() const { return {&CheckBox1, &CheckBox2, &CheckBox3}; }
};

// Shows the chooser modally; true when it closed with OK. The view shows the
// boxes as the logic set them and hands back the ticks.
class ChooserDialog {
public:
    virtual ~ChooserDialog() = default;
    virtual bool runChooser(TwBoth& dialog) = 0;
};

}  // namespace zn
