// The native views' wiring under Wine: the list view over the bookmark list,
// the lock panel's field and buttons, hiding, closing, the list's menu, and
// the dialogs' fields and keys. The rules themselves are tested elsewhere.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/win32/entry_dialog_window.h"
#include "app/win32/main_window_frame.h"
#include "app/win32/password_dialog_window.h"
#include "app/win32/session_end.h"
#include "tests/fakes/fake_services.h"
#include "vault/entry_cipher.h"
#include "vault/protected_vault.h"

namespace zn::testing {
namespace {

using namespace zn::win32;

void pumpMessages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string itemText(HWND list, int row, int column) {
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// Every row of the list view as "site|description|user|password".
std::vector<std::string> shownRows(HWND list) {
    std::vector<std::string> rows;
    const auto count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < count; ++row)
        rows.push_back(itemText(list, row, 0) + "|" + itemText(list, row, 1) + "|" +
                       itemText(list, row, 2) + "|" + itemText(list, row, 3));
    return rows;
}

// Runs work from inside the next modal loop, as a user acting on a dialog would.
void whileModal(std::function<void()> work) {
    static std::function<void()> pending;
    pending = std::move(work);
    SetTimer(nullptr, 0, 0, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        const auto run = std::move(pending);
        pending = nullptr;
        if (run) run();
    });
}

void click(HWND button) {
    SendMessageA(button, BM_CLICK, 0, 0);
}

// The main window over fakes of every port, unlocked on a stored list.
class MainWindow : public ::testing::Test, protected FakeServices {
protected:
    void startWith(const std::vector<BookmarkEntry>& entries, bool unlock = true) {
        const auto vault = protectVault("master-pass", kTestIterations);
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Password",
                          {RegType::String, encodeStringData(vault.headerText)});
        // Every Show window then asks for the password again.
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "KeepPass",
                          {RegType::Dword, encodeDwordData(0)});
        zn::saveAllEntries(registry, *vault.key, entries, {});
        form = std::make_unique<TForm1>(services("C:\\znvault.exe"), window);
        window.attach(*form);
        form->FormCreate();
        while (timers.fireNext()) {
        }
        pumpMessages();
        if (!unlock) return;
        setWindowText(window.passwordField(), "master-pass");
        click(window.button(IDOK));
        ASSERT_TRUE(form->unlocked());
        pumpMessages();
    }

    void notifyFromList(UINT code) {
        NMHDR header{window.listView(), kListView, code};
        SendMessageA(window.handle(), WM_NOTIFY, kListView, reinterpret_cast<LPARAM>(&header));
    }

    void TearDown() override { window.detach(); }

    MainWindowFrame window;
    std::unique_ptr<TForm1> form;
};

TEST_F(MainWindow, TheListViewShowsTheListThroughEveryChange) {
    startWith({{"http://b.example", "bee", "bob", "pw-b"}, {"http://d.example", "", "", ""}});
    HWND list = window.listView();
    EXPECT_EQ(shownRows(list),
              (std::vector<std::string>{"http://b.example|bee|bob|pw-b", "http://d.example|||"}));
    BookmarkList& rows = form->list();
    rows.add({"http://c.example", "sea", "", ""});
    rows.add({"http://a.example", "", "al", ""});
    rows.remove(3);
    rows.setDetails(1, "bee2", "bob2", "pw-b2");
    rows.setSite(0, "http://z.example");
    EXPECT_EQ(shownRows(list),
              (std::vector<std::string>{"http://b.example|bee2|bob2|pw-b2",
                                        "http://c.example|sea||", "http://z.example||al|"}));
    rows.assign({{"http://only.example", "", "", ""}});
    EXPECT_EQ(shownRows(list), (std::vector<std::string>{"http://only.example|||"}));
}

TEST_F(MainWindow, TheSelectionGoesBothWaysAndStaysWithItsRow) {
    startWith({{"http://b.example", "", "", ""}, {"http://d.example", "", "", ""}});
    HWND list = window.listView();
    const auto viewSelection = [&] {
        return SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    };
    // The user selects a row.
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(form->list().selected(), 1u);
    // A row sorted in before it moves both selections along.
    form->list().add({"http://a.example", "", "", ""});
    EXPECT_EQ(form->list().selected(), 2u);
    EXPECT_EQ(viewSelection(), 2);
    // The logic selects; removing the selected row leaves none in either.
    form->list().select(0);
    EXPECT_EQ(viewSelection(), 0);
    form->list().remove(0);
    EXPECT_EQ(viewSelection(), -1);
    EXPECT_FALSE(form->list().selected());
}

TEST_F(MainWindow, TheLockPanelHandsItsFieldToTheLogicAndHidingBringsItBack) {
    startWith({}, false);
    window.showWindow();
    EXPECT_EQ(window.shownPanel(), Panel::Lock);
    EXPECT_EQ(SendMessageA(window.passwordField(), EM_GETPASSWORDCHAR, 0, 0), '*');
    setWindowText(window.passwordField(), "wrong-pass");
    click(window.button(IDOK));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kInvalidPasswordMessage);
    EXPECT_EQ(windowText(window.passwordField()), "wrong-pass");

    setWindowText(window.passwordField(), "master-pass");
    click(window.button(IDOK));
    EXPECT_EQ(window.shownPanel(), Panel::List);
    EXPECT_TRUE(IsWindowVisible(window.listView()));
    EXPECT_FALSE(IsWindowVisible(window.passwordField()));
    EXPECT_EQ(windowText(window.handle()), "Zintrel");

    // "&Hide" hides the window, and the hiding shows the lock panel again.
    click(window.button(kHideButton));
    pumpMessages();
    EXPECT_FALSE(window.isWindowVisible());
    EXPECT_EQ(window.shownPanel(), Panel::Lock);
    EXPECT_EQ(windowText(window.passwordField()), "");
    EXPECT_EQ(windowText(window.handle()), "Enter Password");
}

TEST_F(MainWindow, ClicksButtonsAndTheMenuReachTheirHandlers) {
    startWith({{"http://b.example", "", "bob", "pw"}});
    EXPECT_FALSE(IsWindowEnabled(window.button(kRemoveButton)));
    form->list().select(0);
    notifyFromList(NM_CLICK);
    EXPECT_TRUE(IsWindowEnabled(window.button(kRemoveButton)));
    EXPECT_TRUE(IsWindowEnabled(window.button(kEditButton)));

    notifyFromList(NM_DBLCLK);
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(shell.launches[0].target, "http://b.example");

    char caption[32] = {};
    std::string captions;
    for (const int id : {kAddButton, kRemoveButton, kHideButton, kOptionsButton, kEditButton,
                         kHelpButton, kImportButton}) {
        GetWindowTextA(window.button(id), caption, sizeof caption);
        captions += std::string(caption) + "|";
    }
    EXPECT_EQ(captions, "Add|Remove|&Hide|&Options|&Edit|&Help|&Import|");
    std::string items;
    for (int position = 0; position < GetMenuItemCount(window.listMenu()); ++position) {
        caption[0] = '\0';
        GetMenuStringA(window.listMenu(), static_cast<UINT>(position), caption, sizeof caption,
                       MF_BYPOSITION);
        items += std::string(caption[0] ? caption : "-") + "|";
    }
    EXPECT_EQ(items, "&Open|-|&Add|&Edit|&Remove|-|&Copy|&Paste|-|&Import|");
    SendMessageA(window.handle(), WM_COMMAND, MAKEWPARAM(kCopyItem, 0), 0);
    EXPECT_EQ(clipboard.contents, "http://b.example");
}

// The common controls before version 6, which every program without their
// manifest gets on Windows, refuse a tool record longer than the one they
// know; Wine's take any. Tip controls made while this lives refuse it too.
class OlderCommonControls {
public:
    OlderCommonControls() { original_ = swapProcedure(refuseLongRecords); }
    ~OlderCommonControls() { swapProcedure(original_); }

private:
    static WNDPROC swapProcedure(WNDPROC procedure) {
        HWND probe = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
        const auto previous = reinterpret_cast<WNDPROC>(
            SetClassLongPtrA(probe, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
        DestroyWindow(probe);
        return previous;
    }
    static LRESULT CALLBACK refuseLongRecords(HWND tip, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
        if (message == TTM_ADDTOOLA &&
            reinterpret_cast<const TTTOOLINFOA*>(lParam)->cbSize > TTTOOLINFOA_V2_SIZE)
            return FALSE;
        return CallWindowProcA(original_, tip, message, wParam, lParam);
    }
    static inline WNDPROC original_ = nullptr;
};

class MainWindowOnOlderControls : private OlderCommonControls, public MainWindow {};

TEST_F(MainWindowOnOlderControls, EachListButtonHasItsHint) {
    startWith({});
    // The tip control is a window of its own that the frame owns.
    HWND tips = nullptr;
    while ((tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr)))
        if (GetWindow(tips, GW_OWNER) == window.handle()) break;
    ASSERT_TRUE(tips);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 7);
    // The record every version of the controls reads, as the tip asks it back.
    char text[256] = {};
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window.handle();
    tool.uId = reinterpret_cast<UINT_PTR>(window.button(kOptionsButton));
    tool.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "Click here to change options");
}

TEST_F(MainWindow, CloseAsksAndTheSessionEndDoesNot) {
    startWith({{"http://b.example", "", "", ""}});
    messages.answer(MessageAnswer::No);
    SendMessageA(window.handle(), WM_CLOSE, 0, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kCloseQuestion);
    MSG quit{};
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    ApplicationWindow application("ZintrelTestApplication");
    answerSessionEnd(application, *form);
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Password",
                      {RegType::String, encodeStringData(form->verifier())});
    form->list().add({"http://added.example", "", "", ""});
    EXPECT_EQ(SendMessageA(application.handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(form->endingSession());
    EXPECT_EQ(zn::loadAllEntries(registry, *form->entryKey()).entries.size(), 2u);
    SendMessageA(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(EntryDialog, CopiesTheFieldsInAndOnlyAfterOkBackWithoutCuttingLongTexts) {
    EntryDialogWindow view;
    const std::string longSite = "http://long.example/" + std::string(40000, 'x');
    TwAdd logic;
    logic.fill("Edit Bookmark", {longSite, "desc", "user", "pa ss"});
    whileModal([&] {
        EXPECT_EQ(windowText(view.handle()), "Edit Bookmark");
        setWindowText(view.field(kUserNameField), "changed");
        click(GetDlgItem(view.handle(), IDOK));
    });
    ASSERT_TRUE(view.run(logic));
    EXPECT_EQ(logic.entry(), (BookmarkEntry{longSite, "desc", "changed", "pa ss"}));

    // Esc and the close box end it without OK and leave the logic alone.
    for (const UINT request : {UINT(WM_KEYDOWN), UINT(WM_CLOSE)}) {
        whileModal([&] {
            setWindowText(view.field(kSiteField), "typed");
            if (request == WM_CLOSE)
                SendMessageA(view.handle(), WM_CLOSE, 0, 0);
            else
                PostMessageA(view.field(kSiteField), WM_KEYDOWN, VK_ESCAPE, 0);
        });
        EXPECT_FALSE(view.run(logic));
        EXPECT_EQ(logic.Edit1, longSite);
    }
}

TEST(PasswordDialog, EscNeverClosesItAndAtFirstRunNothingButOkDoes) {
    FakeMessageBoxes messages;
    HandlerDispatcher dispatcher(messages);
    for (const auto use : {PasswordDialogUse::FirstRun, PasswordDialogUse::ChangePassword}) {
        TwPassword logic(messages, use);
        PasswordDialogWindow view(logic, dispatcher);
        bool stayedOpen = false;
        whileModal([&] {
            PostMessageA(view.field(kFirstPasswordField), WM_KEYDOWN, VK_ESCAPE, 0);
            SendMessageA(view.handle(), WM_CLOSE, 0, 0);
            if (use != PasswordDialogUse::FirstRun) return;
            // Still open: it takes the two fields and OK.
            whileModal([&] {
                stayedOpen = IsWindowVisible(view.handle()) != 0;
                setWindowText(view.field(kFirstPasswordField), "secret");
                setWindowText(view.field(kSecondPasswordField), "secret");
                click(GetDlgItem(view.handle(), IDOK));
            });
        });
        const bool accepted = view.run();
        EXPECT_EQ(accepted, use == PasswordDialogUse::FirstRun);
        EXPECT_EQ(stayedOpen, use == PasswordDialogUse::FirstRun);
        if (accepted) {
            EXPECT_EQ(logic.typedPassword(), "secret");
        }
    }
}

}  // namespace
}  // namespace zn::testing
