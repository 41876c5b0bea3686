// Shortcut texts are stored in the settings, so every expectation here is a
// fixed value, never one computed by the code under test.
#include "desktop/shortcut_text.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

namespace zn {
namespace {

class FakeKeyboardLayout : public KeyboardLayout {
public:
    explicit FakeKeyboardLayout(std::map<unsigned, std::string> names) : names_(std::move(names)) {}
    std::string keyName(unsigned virtualKey) const override {
        auto found = names_.find(virtualKey);
        return found == names_.end() ? std::string() : found->second;
    }

private:
    std::map<unsigned, std::string> names_;
};

// A US-like layout, with the longer names Windows gives some keys.
FakeKeyboardLayout usLayout() {
    return FakeKeyboardLayout({{0xBA, ";"}, {0xBB, "="}, {0x6A, "Num *"}, {0x91, "Scroll Lock"}});
}

struct RecordingHotkeys : Hotkeys {
    bool registerHotkey(int id, unsigned modifiers, unsigned keyCode) override {
        calls.emplace_back(id, modifiers, keyCode);
        return false;  // the rules must not care
    }
    void unregisterHotkey(int) override {}
    std::vector<std::tuple<int, unsigned, unsigned>> calls;
};

TEST(ShortcutText, WritesEveryClassOfKeyName) {
    const auto layout = usLayout();
    // clang-format off
    const std::vector<std::pair<ShortcutValue, std::string>> cases = {
        {0x0008, "BkSp"},  {0x0009, "Tab"},  {0x000D, "Enter"}, {0x001B, "Esc"},
        {0x0020, "Space"}, {0x0021, "PgUp"}, {0x0022, "PgDn"},  {0x0023, "End"},
        {0x0024, "Home"},  {0x0025, "Left"}, {0x0026, "Up"},    {0x0027, "Right"},
        {0x0028, "Down"},  {0x002D, "Ins"},  {0x002E, "Del"},   {0x0030, "0"},
        {0x0039, "9"},     {0x0041, "A"},    {0x005A, "Z"},     {0x0060, "0"},
        {0x0069, "9"},     {0x0070, "F1"},   {0x0087, "F24"},   {0x00BA, ";"},
        {0xC050, "Ctrl+Alt+P"}, {0xE02E, "Shift+Ctrl+Alt+Del"}, {0xA070, "Shift+Alt+F1"},
    };
    // clang-format on
    for (const auto& [value, text] : cases) EXPECT_EQ(ShortCutToText(value, layout), text) << value;
}

TEST(ShortcutText, KeyWithoutSingleCharacterNameGivesEmptyText) {
    const auto layout = usLayout();
    EXPECT_EQ(ShortCutToText(0xC013, layout), "");  // the layout has no name
    EXPECT_EQ(ShortCutToText(0xC06A, layout), "");  // "Num *" is not one character
    EXPECT_EQ(ShortCutToText(0xE091, layout), "");
    EXPECT_EQ(ShortCutToText(0xC088, layout), "");  // just past F24
    EXPECT_EQ(ShortCutToText(0, layout), "");

    // One character of the user's UTF-8 text is a name, two are not.
    const FakeKeyboardLayout german({{0xBA, "\xC3\x9C"}, {0xBB, "\xC3\x9C\xC3\x9C"}});
    EXPECT_EQ(ShortCutToText(0xC0BA, german), "Ctrl+Alt+\xC3\x9C");
    EXPECT_EQ(ShortCutToText(0xC0BB, german), "");
    EXPECT_EQ(TextToShortCut("Ctrl+Alt+\xC3\x9C", german), 0xC0BA);
}

TEST(ShortcutText, ReadsPrefixesInAnyOrderAndCase) {
    const auto layout = usLayout();
    // clang-format off
    const std::vector<std::pair<std::string, ShortcutValue>> cases = {
        {"Ctrl+Alt+P", 0xC050}, {"alt+ctrl+p", 0xC050},     {"cTrL+aLt+P", 0xC050},
        {"^P", 0x4050},         {"^alt+p", 0xC050},         {"^^P", 0x4050},
        {"Shift+Shift+A", 0x2041}, {"Alt+Shift+Ctrl+Del", 0xE02E}, {"P", 0x0050},
        {"pgdn", 0x0022},       {"F24", 0x0087},            {"f1", 0x0070},
        {"Ctrl+Alt+;", 0xC0BA}, {"Shift+Ctrl+=", 0x60BB},
    };
    // clang-format on
    for (const auto& [text, value] : cases) EXPECT_EQ(TextToShortCut(text, layout), value) << text;
}

TEST(ShortcutText, DigitReadsAsMainRowNeverNumberPad) {
    const auto layout = usLayout();
    EXPECT_EQ(TextToShortCut("5", layout), 53);
    EXPECT_EQ(TextToShortCut("Ctrl+Alt+0", layout), 0xC030);
    // A number-pad hotkey therefore comes back as the main-row digit.
    EXPECT_EQ(TextToShortCut(ShortCutToText(0xC065, layout), layout), 0xC035);
}

TEST(ShortcutText, TextNamingNoKeyReadsAsZero) {
    const auto layout = usLayout();
    for (const char* text :
         {"", "Ctrl+", "Ctrl+Alt+", "Shift+Ctrl+Alt+", "^", "Ctrl+^", "Foo", "Ctrl+Alt+PP", "F25",
          "Ctrl+Alt+F0", "Num *", "Ctrl+ P", "Ctrl-Alt-P", "P+Ctrl", "Win+P"}) {
        EXPECT_EQ(TextToShortCut(text, layout), 0) << text;
    }
}

TEST(ShortcutText, EveryNamedValueReadsBackAsItself) {
    const auto layout = usLayout();
    for (unsigned code = 8; code <= 255; ++code) {
        for (ShortcutValue modifiers : {0x0000, 0x2000, 0x4000, 0x8000, 0xC000, 0xE000}) {
            const auto value = ShortcutValue(code | modifiers);
            const std::string text = ShortCutToText(value, layout);
            if (text.empty()) continue;
            const unsigned expectedCode = (code >= 96 && code <= 105) ? code - 48 : code;
            EXPECT_EQ(TextToShortCut(text, layout), expectedCode | modifiers) << text;
        }
    }
}

// A layout with a key named "^" writes "Ctrl+Alt+^"; reading must not take
// that caret for one more Ctrl and lose the hotkey.
TEST(ShortcutText, CaretKeyOfALayoutSurvivesTheRoundTrip) {
    const FakeKeyboardLayout german({{0xDC, "^"}});
    EXPECT_EQ(ShortCutToText(0xC0DC, german), "Ctrl+Alt+^");
    EXPECT_EQ(TextToShortCut("Ctrl+Alt+^", german), 0xC0DC);
    EXPECT_EQ(TextToShortCut("^^", german), 0x40DC);
    EXPECT_EQ(TextToShortCut("^", german), 0x00DC);
    EXPECT_EQ(TextToShortCut("^P", german), 0x4050);
}

TEST(HotkeyRegistration, SplitsValueIntoKeyCodeAndModifiers) {
    const auto layout = usLayout();
    RecordingHotkeys hotkeys;
    registerHotkey(hotkeys, kToggleHotkeyId, TextToShortCut(kDefaultActivateKey, layout));
    registerHotkey(hotkeys, kCaptureHotkeyId, TextToShortCut(kDefaultFavoriteKey, layout));
    registerHotkey(hotkeys, 0, 0xE070);
    registerHotkey(hotkeys, 1, 0x2041);
    const std::vector<std::tuple<int, unsigned, unsigned>> expected = {
        {0, 3, 0x50}, {1, 3, 0x42}, {0, 7, 0x70}, {1, 4, 0x41}};
    EXPECT_EQ(hotkeys.calls, expected);
}

TEST(HotkeyFieldRule, PutsCtrlAltInPlaceOfNoModifierOrShiftAlone) {
    EXPECT_EQ(acceptedHotkeyCombination(0x0050), 0xC050);
    EXPECT_EQ(acceptedHotkeyCombination(0x2050), 0xC050);
    EXPECT_EQ(acceptedHotkeyCombination(0x4050), 0x4050);
    EXPECT_EQ(acceptedHotkeyCombination(0x8050), 0x8050);
    EXPECT_EQ(acceptedHotkeyCombination(0x6074), 0x6074);
    EXPECT_EQ(acceptedHotkeyCombination(0xA050), 0xA050);
    EXPECT_EQ(acceptedHotkeyCombination(0), 0);
}

}  // namespace
}  // namespace zn
