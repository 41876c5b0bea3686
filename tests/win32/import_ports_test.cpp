// What the import's Win32 ports could get wrong that the shared import tests
// do not show: the system's profile reader against the plain one, the shell's
// mask rules, hidden entries, and a rewrite that fails.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/profile_string.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_folder_picker.h"
#include "tests/import/import_test_support.h"
#include "tests/import/shortcut_cases.h"

namespace zn::testing {
namespace {

using win32::Win32FileSystem;

TEST(Win32ShortcutFile, TheSystemReaderFindsWhatThePlainReaderFinds) {
    TempFolder folder;
    Win32FileSystem files;
    for (const auto& c : shortcutCases()) {
        const std::string path = (folder / "case.url").string();
        writeFile(path, c.file);
        const std::string plain =
            profileStringFromText(c.file, "InternetShortcut", "URL", "", 1024);
        const std::string system =
            files.readProfileString(path, "InternetShortcut", "URL", "", 1024);
        // Texts are code-page bytes here: the system cuts after byte 1023
        // where the plain reader keeps a UTF-8 character whole.
        if (c.what == std::string("never cut inside a character"))
            EXPECT_EQ(system, c.file.substr(c.file.size() - 1024, 1023)) << c.what;
        else
            EXPECT_EQ(system, plain) << c.what;
    }
    EXPECT_EQ(files.readProfileString((folder / "gone.url").string(), "InternetShortcut", "URL",
                                      "none", 3),
              "no");
}

TEST(Win32FileSystem, MasksFollowTheShellsRulesAndHiddenEntriesAreListed) {
    Win32FileSystem files;
    struct Case {
        const char* name;
        const char* mask;
        bool matches;
    };
    const Case cases[] = {
        {"Home.URL", "*.url", true},
        {"home.url", "*.URL", true},
        {"x.url.bak", "*.URL", false},
        {"url", "*.URL", false},
        {"BOOKMARK.HTM", "Bookmark.htm", true},
        {"bookmark.html", "Bookmark.htm", false},
        {"a.b", "?.B", true},
        {"ab.b", "?.b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(files.matchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;

    TempFolder folder;
    writeFile(folder / "secret.url", "");
    writeFile(folder / "sub/a.url", "");
    SetFileAttributesA((folder / "secret.url").string().c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((folder / "sub").string().c_str(), FILE_ATTRIBUTE_HIDDEN);
    const auto entries = files.listFolder(folderText(folder.path()));
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    for (const FolderEntry& entry : *entries)
        EXPECT_EQ(entry.kind,
                  entry.name == "sub" ? FolderEntry::Kind::Folder : FolderEntry::Kind::File);
    EXPECT_FALSE(files.listFolder(folderText(folder / "missing")));
    SetFileAttributesA((folder / "secret.url").string().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The folder holds the file and nothing else: no temporary file is left.
void expectOnly(const TempFolder& folder, const std::string& content) {
    EXPECT_EQ(readFile(folder / "Bookmark.htm"), content);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(Win32FileSystem, ARewriteThatFailsLeavesTheOldFileAndNoTemporaryOne) {
    TempFolder folder;
    Win32FileSystem files;
    const std::string path = (folder / "Bookmark.htm").string();
    writeFile(path, "old");

    // Held open by a browser that does not share deletion: the move fails.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files.replaceFile(path, "new"));
    CloseHandle(held);
    expectOnly(folder, "old");

    // Read-only: refused, although the move would get past it.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(files.replaceFile(path, "new"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    expectOnly(folder, "old");

    // Hidden: rewritten, and still hidden.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(files.replaceFile(path, "new"));
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    expectOnly(folder, "new");
}

// The picker as the timer found it, then cancelled.
struct PickerSeen {
    RECT bounds{};
    bool found = false;
};
PickerSeen seen;

BOOL CALLBACK cancelPicker(HWND window, LPARAM) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770") return TRUE;  // the picker is a dialog box
    seen.found = GetWindowRect(window, &seen.bounds);
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return FALSE;
}

void CALLBACK findPicker(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), cancelPicker, 0);
}

TEST(Win32FolderPicker, OpensCentredOnTheScreenAndCancelChoosesNothing) {
    TempFolder folder;
    win32::Win32FolderPicker picker;
    FolderPickerRequest request;
    request.options = 0x1 | 0x4;
    request.initialFolder = folder.path().string();
    SetTimer(nullptr, 0, 200, findPicker);
    EXPECT_FALSE(picker.pickFolder(request));
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.bounds.left,
              centredOffset(GetSystemMetrics(SM_CXSCREEN), seen.bounds.right - seen.bounds.left));
    EXPECT_EQ(seen.bounds.top,
              centredOffset(GetSystemMetrics(SM_CYSCREEN), seen.bounds.bottom - seen.bounds.top));
}

}  // namespace
}  // namespace zn::testing
