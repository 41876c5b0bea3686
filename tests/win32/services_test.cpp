// The small Win32 services where our own code stands between the rules and
// the system: a started program's one argument, timers from the message
// loop, Esc in a question, the clipboard's text, and the locale's order.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/win32/escape_answers_no.h"
#include "platform/win32/win32_services.h"
#include "tests/fakes/temp_folder.h"

namespace zn::testing {
namespace {

using namespace zn::win32;

// The program writes its file in one go and closes it; wait for the whole of it.
std::string readWhenWritten(const std::filesystem::path& path, std::size_t lines) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        const std::string got = text.str();
        if (static_cast<std::size_t>(std::count(got.begin(), got.end(), '\n')) >= lines) return got;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

TEST(Win32Shell, AStartedProgramGetsItsParameterAsOneArgument) {
    const char* const parameters[] = {
        "plain", "two words", "say \"hi\"", "C:\\folder\\", "a\\\\\"b", "x & del y; z | w",
    };
    TempFolder folder;
    int round = 0;
    for (const std::string parameter : parameters) {
        SCOPED_TRACE(parameter);
        const auto out = folder / ("out" + std::to_string(round++) + ".txt");
        SetEnvironmentVariableA("ZN_ECHO_OUT", out.string().c_str());
        Win32Shell().startProgram(ZN_ECHO_ARGUMENTS, parameter);
        EXPECT_EQ(readWhenWritten(out, 2), "1\n" + parameter + "\n");
    }
    // A bare name, as a browser's service name is, is found as a command is.
    const auto bare = folder / "bare.txt";
    SetEnvironmentVariableA("ZN_ECHO_OUT", bare.string().c_str());
    const std::string withExtension = ZN_ECHO_ARGUMENTS;
    Win32Shell().startProgram(withExtension.substr(0, withExtension.rfind('.')),
                              "WWW_GetWindowInfo");
    EXPECT_EQ(readWhenWritten(bare, 2), "1\nWWW_GetWindowInfo\n");

    const auto none = folder / "none.txt";
    SetEnvironmentVariableA("ZN_ECHO_OUT", none.string().c_str());
    Win32Shell().startProgram(ZN_ECHO_ARGUMENTS, "");
    EXPECT_EQ(readWhenWritten(none, 1), "0\n");
}

TEST(Win32Shell, ABrowserStartedToBeAskedStartsMinimisedAndNotActivated) {
    TempFolder folder;
    const auto arguments = folder / "arguments.txt";
    const auto show = folder / "show.txt";
    SetEnvironmentVariableA("ZN_ECHO_OUT", arguments.string().c_str());
    SetEnvironmentVariableA("ZN_ECHO_SHOW", show.string().c_str());
    EXPECT_TRUE(Win32Shell().startMinimised(ZN_ECHO_ARGUMENTS, "WWW_GetWindowInfo"));
    EXPECT_EQ(readWhenWritten(arguments, 2), "1\nWWW_GetWindowInfo\n");
    EXPECT_EQ(readWhenWritten(show, 1), std::to_string(SW_SHOWMINNOACTIVE) + "\n");
    SetEnvironmentVariableA("ZN_ECHO_SHOW", nullptr);
    EXPECT_FALSE(Win32Shell().startMinimised("C:\\no such folder\\browser.exe", "x"));
}

TEST(Win32Shell, ASiteThatNamesAProgramStartsNothing) {
    TempFolder folder;
    char full[MAX_PATH];
    ASSERT_GT(GetFullPathNameA(ZN_ECHO_ARGUMENTS, MAX_PATH, full, nullptr), 0u);
    std::string forward = full;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    const std::string sites[] = {full, forward, "file:///" + forward, "FILE:" + forward};
    std::vector<std::filesystem::path> outputs;
    for (const auto& site : sites) {
        outputs.push_back(folder / ("site" + std::to_string(outputs.size()) + ".txt"));
        SetEnvironmentVariableA("ZN_ECHO_OUT", outputs.back().string().c_str());
        Win32Shell().openSite(site);
    }
    // Long enough for a program the shell started to have written its file.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    for (std::size_t i = 0; i < outputs.size(); ++i)
        EXPECT_FALSE(std::filesystem::exists(outputs[i])) << sites[i] << " started the program";
}

// A question box made from a template, answering as the system's message box
// does: Esc (IDCANCEL) only where it has a Cancel button. Esc is pressed on its
// first button once it shows; a box still standing a second later gives 0.
struct QuestionBox {
    std::vector<int> buttons;
    std::vector<WORD> words;

    explicit QuestionBox(std::vector<int> ids) : buttons(std::move(ids)) {
        add(DS_MODALFRAME | WS_POPUP | WS_CAPTION);  // style, then extended style
        add(0);
        words.push_back(static_cast<WORD>(buttons.size()));
        for (const WORD size : {0, 0, 200, 60}) words.push_back(size);
        words.insert(words.end(), {0, 0, 0});  // no menu, the dialog class, no title
        int left = 5;
        for (const int id : buttons) {
            if (words.size() % 2) words.push_back(0);  // items start on a DWORD
            add(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
            add(0);
            for (const int size : {left, 30, 50, 14}) words.push_back(static_cast<WORD>(size));
            left += 60;
            words.push_back(static_cast<WORD>(id));
            words.insert(words.end(), {0xFFFF, 0x0080, 'B', 0, 0});  // a button, its text, no data
        }
    }
    void add(DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    }
    INT_PTR run() {
        return DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                       reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), nullptr,
                                       procedure, 0);
    }
    static INT_PTR CALLBACK procedure(HWND box, UINT message, WPARAM wParam, LPARAM) {
        switch (message) {
            case WM_INITDIALOG:
                SetTimer(box, 1, 1000, nullptr);
                PostMessageA(GetNextDlgTabItem(box, nullptr, FALSE), WM_KEYDOWN, VK_ESCAPE, 1);
                return TRUE;
            case WM_TIMER:
                EndDialog(box, 0);
                return TRUE;
            case WM_COMMAND: {
                const int id = LOWORD(wParam);
                if (id != IDCANCEL || GetDlgItem(box, IDCANCEL)) EndDialog(box, id);
                return TRUE;
            }
            default:
                return FALSE;
        }
    }
};

TEST(EscapeAnswersNo, EscInAYesNoBoxClicksNoAndLeavesOtherBoxesAlone) {
    const struct {
        std::vector<int> buttons;
        bool guarded;
        INT_PTR answer;
    } cases[] = {
        {{IDYES, IDNO}, true, IDNO},
        {{IDYES, IDNO, IDCANCEL}, true, IDCANCEL},
        {{IDOK}, true, 0},
        // Last: the guard that went before has let go of the thread.
        {{IDYES, IDNO}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.buttons.size() << " buttons, guarded " << c.guarded);
        std::optional<EscapeAnswersNo> guard;
        if (c.guarded) guard.emplace();
        EXPECT_EQ(QuestionBox(c.buttons).run(), c.answer);
    }
}

TEST(Win32Timers, AOneShotFiresOnceFromTheMessageLoop) {
    ApplicationWindow window("Zintrel timer test");
    Win32Timers timers(window);
    int fired = 0;
    timers.startOneShot(20, [&] { ++fired; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline && fired == 0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_EQ(fired, 1);
}

// The clipboard as a program that copies and pastes Unicode text sees it.
std::wstring unicodeClipboardText() {
    if (!OpenClipboard(nullptr)) return L"(the clipboard would not open)";
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* characters = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = characters;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void copyUnicodeText(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    ASSERT_TRUE(block);
    memcpy(GlobalLock(block), text.c_str(), size);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    CloseClipboard();
}

// Other programs see the characters the rules' bytes stand for in the ANSI
// code page, and what they copy reaches the rules as those bytes.
TEST(Win32Clipboard, TextCrossesTheClipboardAsTheSameCharacters) {
    ASSERT_EQ(GetACP(), 1252u) << "the cases are written in code page 1252";
    struct Case {
        std::string bytes;
        std::wstring characters;
    };
    const Case cases[] = {
        {"https://a.example/caf\xE9", L"https://a.example/caf\u00E9"},
        {"\xC9t\xE9 \x80 \x9C", L"\u00C9t\u00E9 \u20AC \u0153"},
    };
    ApplicationWindow window("Zintrel clipboard test");
    Win32Clipboard clipboard(window);
    for (const auto& [bytes, characters] : cases) {
        SCOPED_TRACE(bytes);
        clipboard.setText(bytes);
        EXPECT_EQ(unicodeClipboardText(), characters);
        copyUnicodeText(characters);
        EXPECT_TRUE(clipboard.hasText());
        EXPECT_EQ(clipboard.text(), bytes);
    }
}

TEST(Win32Clipboard, IsOwnedByTheApplicationWindowAndAHeldOneIsReported) {
    ApplicationWindow window("Zintrel clipboard test");
    Win32Clipboard clipboard(window);
    clipboard.setText("first");
    EXPECT_EQ(GetClipboardOwner(), window.handle());

    // Another thread stands for another program holding the clipboard open.
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        const bool opened = OpenClipboard(nullptr);
        SetEvent(held);
        WaitForSingleObject(release, INFINITE);
        if (opened) CloseClipboard();
    });
    WaitForSingleObject(held, INFINITE);
    for (const auto& use : {std::function<void()>([&] { clipboard.setText("second"); }),
                            std::function<void()>([&] { clipboard.text(); })}) {
        try {
            use();
            ADD_FAILURE() << "a held clipboard was used";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), kClipboardHeldMessage);
        }
    }
    SetEvent(release);
    holder.join();
    CloseHandle(held);
    CloseHandle(release);
    EXPECT_EQ(clipboard.text(), "first");
}

TEST(Win32Collation, OrdersByTheLocaleAndComparesIgnoringCase) {
    Win32Collation collation;
    EXPECT_LT(collation.sortKey("apple"), collation.sortKey("Banana"));
    EXPECT_LT(collation.sortKey("Banana"), collation.sortKey("cherry"));
    EXPECT_NE(collation.sortKey("abc"), collation.sortKey("ABC"));
    EXPECT_EQ(collation.sortKeyIgnoringCase("abc"), collation.sortKeyIgnoringCase("ABC"));
    EXPECT_TRUE(collation.equalIgnoringCase("Example.COM", "example.com"));
    EXPECT_FALSE(collation.equalIgnoringCase("example.com", "example.org"));
}

}  // namespace
}  // namespace zn::testing
