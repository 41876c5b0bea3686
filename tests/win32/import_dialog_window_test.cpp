// The native import dialog over real folders: what it shows of the logic,
// and the user's ticks, clicks and selections reaching the logic.
#include "import/win32/import_dialog_window.h"

#include <gtest/gtest.h>

#include "platform/win32/win32_services.h"
#include "tests/fakes/fake_import.h"
#include "tests/fakes/fake_ports.h"
#include "tests/fakes/fake_registry.h"
#include "tests/import/import_test_support.h"

namespace zn::testing {
namespace {

using win32::ImportDialogWindow;

void CALLBACK pressImportNow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = FindWindowA("ZintrelImport", "Import");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

class ImportDialogWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"b.url", "A.url"}) writeFile(root / "Favorites" / name, "");
        writeFile(root / "netscape/a/Bookmark.htm",
                  "<DT><A HREF=\"http://zeta/\">Z</A>\n<DT><A HREF=\"http://alpha/\">A</A>\n");
        writeFile(root / "netscape/b/Bookmark.htm", "<DT><A HREF=\"http://b-file/\">B</A>\n");
        registry.setValue(RegRoot::CurrentUser, kFavoritesKeyPath, kFavoritesValue,
                          {RegType::String, (root / "Favorites").string() + '\0'});
        // Made as the import action makes it: the favorites are found first.
        logic.FormCreate();
        made.emplace(logic, dispatcher, picker, nullptr);
    }
    // Posts what the user does; it happens once the window runs.
    void post(int id, UINT message, WPARAM wParam, LPARAM lParam = 0) {
        PostMessageA(window().item(id), message, wParam, lParam);
    }
    void notifyParent(int id, WORD code) {
        PostMessageA(window().handle(), WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(window().item(id)));
    }
    bool ticked(int id, int row) { return ListView_GetCheckState(window().item(id), row) != 0; }

    TempFolder root;
    FakeRegistry registry;
    FakeMessageBoxes messages;
    win32::Win32Collation collation;
    TestFileSystem files;
    CountingPump pump;
    ScriptedFolderPicker picker;
    ScriptedImportDialogs dialogs;
    ImportPorts ports{files, pump, picker, dialogs, (root / "netscape").string()};
    TwImport logic{ImportServices{registry, messages, collation, ports}};
    HandlerDispatcher dispatcher{messages};
    std::optional<ImportDialogWindow> made;
    ImportDialogWindow& window() { return *made; }
};

TEST_F(ImportDialogWindowTest, TicksClicksAndSelectionsReachTheLogicAndItsChangesShow) {
    // Shown from creation: the favorites, sorted, and the disabled favorites field.
    EXPECT_EQ(ListView_GetItemCount(window().item(ImportDialogWindow::listbox1)), 2);
    char text[16] = {};
    ListView_GetItemText(window().item(ImportDialogWindow::listbox1), 0, 0, text, sizeof text);
    EXPECT_STREQ(text, "A");
    EXPECT_EQ(win32::windowText(window().item(ImportDialogWindow::OrvFolderLookup1)),
              folderText(root / "Favorites"));
    EXPECT_FALSE(IsWindowEnabled(window().item(ImportDialogWindow::OrvFolderLookup1Browse)));

    notifyParent(ImportDialogWindow::BitBtn3, BN_CLICKED);  // Select All of the favorites
    // A click on the second favorite's check box clears it.
    RECT row{};
    ListView_GetItemRect(window().item(ImportDialogWindow::listbox1), 1, &row, LVIR_BOUNDS);
    const LPARAM checkBox = MAKELPARAM(row.left + 8, (row.top + row.bottom) / 2);
    post(ImportDialogWindow::listbox1, WM_LBUTTONDOWN, MK_LBUTTON, checkBox);
    post(ImportDialogWindow::listbox1, WM_LBUTTONUP, 0, checkBox);
    // The user picks the second file and ticks its address with Space.
    post(ImportDialogWindow::ListBox2, LB_SETCURSEL, 1);
    notifyParent(ImportDialogWindow::ListBox2, LBN_SELCHANGE);
    LVITEMA focus{};
    focus.stateMask = focus.state = LVIS_FOCUSED | LVIS_SELECTED;
    post(ImportDialogWindow::CheckListBox1, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    post(ImportDialogWindow::CheckListBox1, WM_KEYDOWN, VK_SPACE, 1);
    post(ImportDialogWindow::CheckListBox1, WM_KEYUP, VK_SPACE, 0xC0000001);
    post(ImportDialogWindow::CheckBox1, BM_SETCHECK, BST_CHECKED);
    // Typed into the folder field, then browsed: the picker starts from the typed text.
    post(ImportDialogWindow::OrvFolderLookup2, EM_SETSEL, 0, -1);
    for (const char typed : std::string("C:\\typed"))
        post(ImportDialogWindow::OrvFolderLookup2, WM_CHAR, static_cast<unsigned char>(typed));
    picker.answer = "C:\\chosen";
    notifyParent(ImportDialogWindow::OrvFolderLookup2Browse, BN_CLICKED);
    // Pressed once all that was handled: a timer comes only when the queue is empty.
    SetTimer(nullptr, 0, 10, pressImportNow);

    EXPECT_TRUE(window().run(nullptr));
    EXPECT_TRUE(logic.listbox1[0].checked);
    EXPECT_FALSE(logic.listbox1[1].checked);
    EXPECT_TRUE(ticked(ImportDialogWindow::listbox1, 0));
    EXPECT_FALSE(ticked(ImportDialogWindow::listbox1, 1));
    EXPECT_EQ(logic.ListBox2Selected, 1u);
    ASSERT_EQ(logic.CheckListBox1.size(), 1u);
    EXPECT_EQ(logic.CheckListBox1[0].text, "http://b-file/");
    EXPECT_TRUE(logic.CheckListBox1[0].checked);
    EXPECT_TRUE(logic.CheckBox1);
    ASSERT_EQ(picker.requests.size(), 1u);
    EXPECT_EQ(picker.requests[0].initialFolder, "C:\\typed");
    EXPECT_EQ(win32::windowText(window().item(ImportDialogWindow::OrvFolderLookup2)), "C:\\chosen");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImportDialogWindowTest, OnlyImportNowAndEnterEndWithImport) {
    struct Ending {
        const char* name;
        std::function<void()> end;
        bool import;
    };
    const Ending endings[] = {
        {"Import Now", [&] { notifyParent(ImportDialogWindow::BitBtn1, BN_CLICKED); }, true},
        {"Enter", [&] { post(ImportDialogWindow::CheckBox1, WM_KEYDOWN, VK_RETURN); }, true},
        {"Cancel", [&] { notifyParent(ImportDialogWindow::BitBtn2, BN_CLICKED); }, false},
        {"Esc", [&] { post(ImportDialogWindow::CheckBox1, WM_KEYDOWN, VK_ESCAPE); }, false},
        {"close box", [&] { PostMessageA(window().handle(), WM_CLOSE, 0, 0); }, false},
    };
    for (const auto& [name, end, import] : endings) {
        SetFocus(window().item(ImportDialogWindow::CheckBox1));
        end();
        EXPECT_EQ(window().run(nullptr), import) << name;
    }
}

TEST_F(ImportDialogWindowTest, FindAndTheFolderFieldTakeNoInputWhileASearchRuns) {
    const int controls[] = {ImportDialogWindow::BitBtn8, ImportDialogWindow::OrvFolderLookup2,
                            ImportDialogWindow::OrvFolderLookup2Browse};
    int enabledDuringFind = 0;
    pump.duringNext = [&] {
        for (const int id : controls) enabledDuringFind += IsWindowEnabled(window().item(id)) != 0;
    };
    logic.BitBtn8Click();
    pump.duringNext = nullptr;
    EXPECT_GT(pump.calls, 0);
    EXPECT_EQ(enabledDuringFind, 0);
    for (const int id : controls) EXPECT_TRUE(IsWindowEnabled(window().item(id))) << id;
}

}  // namespace
}  // namespace zn::testing
