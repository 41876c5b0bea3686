// The capture's Win32 ports under a real window manager: the DDE page query
// against a server process of the tests' own, the window list over windows of
// this test, the message pump's held input, and the chooser's window.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "capture/win32/chooser_window.h"
#include "platform/win32/dde_page_query.h"
#include "platform/win32/win32_message_pump.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_list.h"

namespace zn::testing {
namespace {

using win32::DdePageQuery;

// dde_test_server.exe (in bin/ beside the tests' folder) serving until this
// object goes; ready once it has registered its service.
class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& arguments) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string program(path);
        program.erase(program.find_last_of('\\'));
        program.erase(program.find_last_of('\\') + 1);
        program += "bin\\dde_test_server.exe";
        std::string commandLine = win32::quotedArgument(program);
        for (const std::string& argument : arguments)
            commandLine += ' ' + win32::quotedArgument(argument);

        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        CreatePipe(&readEnd, &writeEnd, &inherited, 0);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        const BOOL started =
            CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                           nullptr, nullptr, &startup, &process_);
        CloseHandle(writeEnd);
        std::string said;
        char buffer[64];
        DWORD read = 0;
        while (started && said.find("ready") == std::string::npos &&
               ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
            said.append(buffer, read);
        CloseHandle(readEnd);
        EXPECT_NE(said.find("ready"), std::string::npos) << "the server did not start: " << said;
    }
    ~ServerProcess() {
        if (!process_.hProcess) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

private:
    PROCESS_INFORMATION process_{};
};

TEST(DdePageQueryTest, GetsTheServersReplyAsItIsAndNothingFromAMissingOrSilentServer) {
    // Quotes, a doubled quote, an ampersand and an ANSI byte come through as sent.
    const std::string reply =
        "\"http://example.test/a?b=1&c=2\",\"Caf\xe9 \"\"quoted\"\" page\",\"\"";
    {
        const ServerProcess server({"IExplore", reply});
        DdePageQuery query;
        EXPECT_EQ(query.request("IExplore"), reply);
        EXPECT_FALSE(query.lastRequestRefused());
        EXPECT_EQ(query.request("Netscape"), std::nullopt);
        EXPECT_TRUE(query.lastRequestRefused());
        // The same query object asks again.
        EXPECT_EQ(query.request("IExplore"), reply);
    }
    const ServerProcess silent({"Netscape", reply, "--silent"});
    DdePageQuery query(300);
    EXPECT_EQ(query.request("Netscape"), std::nullopt);
    // A browser that runs and keeps silent is not one to start.
    EXPECT_FALSE(query.lastRequestRefused());
}

// A top-level window of the test's own, of a plain class, with a title.
struct TestWindow {
    explicit TestWindow(const std::string& title, HWND parent = nullptr)
        : handle(CreateWindowExA(0, "STATIC", title.c_str(), parent ? WS_CHILD : WS_POPUP, 0, 0,
                                 100, 20, parent, nullptr, GetModuleHandleA(nullptr), nullptr)) {}
    ~TestWindow() { DestroyWindow(handle); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND handle;
};

TEST(Win32WindowListTest, ListsWindowsFrontToBackFindsThemAndReadsTheirDescendants) {
    const std::string title = "Zintrel window list " + std::to_string(GetCurrentProcessId());
    const TestWindow back(title + " back");
    const TestWindow front(title);
    const TestWindow longTitle(std::string(300, 't'));
    SetWindowPos(front.handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    win32::Win32WindowList windows;
    std::vector<std::string> titles;
    for (const TopLevelWindow& window : windows.topLevelWindows()) {
        if (window.handle == reinterpret_cast<WindowHandle>(front.handle))
            titles.push_back("front");
        if (window.handle == reinterpret_cast<WindowHandle>(back.handle)) titles.push_back("back");
        if (window.handle == reinterpret_cast<WindowHandle>(longTitle.handle)) {
            EXPECT_EQ(window.title, std::string(254, 't'));
        }
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"front", "back"}));
    EXPECT_EQ(windows.findWindow(title), reinterpret_cast<WindowHandle>(front.handle));
    EXPECT_EQ(windows.findWindow(title + " gone"), 0u);

    // Children of children are visited too; a long text is cut to 2047 bytes.
    const TestWindow keyword("Keyword", front.handle);
    const TestWindow group("group", front.handle);
    const TestWindow address("http://example.test/", group.handle);
    const TestWindow longText(std::string(3000, 'x'), front.handle);
    std::vector<std::string> texts;
    windows.visitDescendants(reinterpret_cast<WindowHandle>(front.handle),
                             [&](const std::string& text) {
                                 texts.push_back(text);
                                 return true;
                             });
    EXPECT_EQ(texts, (std::vector<std::string>{"Keyword", "group", "http://example.test/",
                                               std::string(2047, 'x')}));
    texts.clear();
    windows.visitDescendants(reinterpret_cast<WindowHandle>(front.handle),
                             [&](const std::string& text) {
                                 texts.push_back(text);
                                 return texts.size() < 2;
                             });
    EXPECT_EQ(texts.size(), 2u);
}

// A window that records the messages it is sent.
class RecordingWindow : public win32::Window {
public:
    RecordingWindow() {
        create("ZintrelTestRecording", "", WS_POPUP, 0, RECT{0, 0, 10, 10}, nullptr);
    }
    std::vector<UINT> received;
    std::function<void()> onApp;

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP && onApp) onApp();
        if (message == WM_APP || message == WM_KEYDOWN || message == WM_LBUTTONDOWN ||
            message == WM_NCLBUTTONDOWN) {
            received.push_back(message);
            return 0;
        }
        return Window::handleMessage(message, wParam, lParam);
    }
};

TEST(Win32MessagePumpTest, HeldKeysAndClicksWaitAndOthersAreHandled) {
    RecordingWindow window;
    win32::Win32MessagePump pump;
    for (const UINT message : {WM_KEYDOWN, WM_APP, WM_LBUTTONDOWN, WM_NCLBUTTONDOWN})
        PostMessageA(window.handle(), message, 0, 0);
    {
        const UserInputHold hold(pump);
        pump.processWaitingMessages();
        EXPECT_EQ(window.received, (std::vector<UINT>{WM_APP}));
    }
    pump.processWaitingMessages();
    EXPECT_EQ(window.received,
              (std::vector<UINT>{WM_APP, WM_KEYDOWN, WM_LBUTTONDOWN, WM_NCLBUTTONDOWN}));

    // The end of the program is left for the program's own loop.
    PostQuitMessage(7);
    pump.processWaitingMessages();
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
}

class ChooserWindowTest : public ::testing::Test {
protected:
    // Runs the chooser, doing `act` once it shows.
    bool runChooser(TwBoth& dialog, const std::function<void()>& act) {
        helper.onApp = act;
        PostMessageA(helper.handle(), WM_APP, 0, 0);
        return chooser.runChooser(dialog);
    }
    HWND chooserWindow() { return chooser.window().handle(); }
    void click(HWND control) { SendMessageA(control, BM_CLICK, 0, 0); }
    void press(UINT key) {
        HWND focus = GetFocus();
        PostMessageA(focus, WM_KEYDOWN, key, 0);
        PostMessageA(focus, WM_KEYUP, key, 0);
    }

    RecordingWindow owner;
    RecordingWindow helper;
    win32::Win32ChooserDialog chooser{owner.handle()};
};

TEST_F(ChooserWindowTest, ShowsTheBoxesAsSetAndHandsBackTheTicksOnOk) {
    TwBoth dialog;
    dialog.CheckBox1 = {"http://a.example/?x=1&y=2", false, true};
    dialog.CheckBox2 = {"http://b.example/", false, true};
    dialog.CheckBox3 = {"old", true, false};
    const bool ok = runChooser(dialog, [&] {
        EXPECT_EQ(win32::windowText(chooserWindow()), "Select Bookmark to Add");
        RECT bounds{};
        GetWindowRect(chooserWindow(), &bounds);
        EXPECT_EQ(bounds.right - bounds.left, 516);
        EXPECT_EQ(bounds.bottom - bounds.top, 224);
        EXPECT_FALSE(IsWindowEnabled(owner.handle()));
        EXPECT_TRUE(IsWindowVisible(chooser.window().box(0)));
        EXPECT_FALSE(IsWindowVisible(chooser.window().box(2)));
        // "&" is shown as itself.
        EXPECT_EQ(win32::windowText(chooser.window().box(0)), "http://a.example/?x=1&&y=2");
        RECT box{};
        GetWindowRect(chooser.window().box(1), &box);
        MapWindowPoints(nullptr, chooserWindow(), reinterpret_cast<POINT*>(&box), 2);
        EXPECT_EQ(box.top, 88);
        EXPECT_EQ(box.left, 16);
        click(chooser.window().box(1));
        click(GetDlgItem(chooserWindow(), IDOK));
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(IsWindowEnabled(owner.handle()));
    EXPECT_FALSE(IsWindowVisible(chooserWindow()));
    // A hidden box hands back the tick it was given.
    EXPECT_EQ(dialog.CheckBox1.checked, false);
    EXPECT_EQ(dialog.CheckBox2.checked, true);
    EXPECT_EQ(dialog.CheckBox3.checked, true);
}

TEST_F(ChooserWindowTest, EnterIsOkAndEscapeOrCancelHandBackNothing) {
    struct Case {
        const char* name;
        std::function<void()> close;
        bool ok;
    };
    const Case cases[] = {
        {"Enter", [this] { press(VK_RETURN); }, true},
        {"Esc", [this] { press(VK_ESCAPE); }, false},
        {"Cancel", [this] { click(GetDlgItem(chooserWindow(), IDCANCEL)); }, false},
        {"close box", [this] { PostMessageA(chooserWindow(), WM_CLOSE, 0, 0); }, false},
    };
    for (const Case& test : cases) {
        TwBoth dialog;
        dialog.CheckBox1 = {"http://a.example/", false, true};
        const bool ok = runChooser(dialog, [&] {
            click(chooser.window().box(0));
            test.close();
        });
        EXPECT_EQ(ok, test.ok) << test.name;
        EXPECT_EQ(dialog.CheckBox1.checked, test.ok) << test.name;
    }
}

}  // namespace
}  // namespace zn::testing
