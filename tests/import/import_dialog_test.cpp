// The import dialog and the import action through the main window, over real
// temporary folders: the favorites page, the bookmark-file page, what
// "Import Now" adds, deletes and rewrites, and the first-run offer.
#include "import/import_dialog.h"

#include "tests/app/app_fixture.h"
#include "tests/fakes/fake_import.h"
#include "tests/import/import_test_support.h"

namespace zn::testing {
namespace {

using namespace std::string_literals;

// The import dialog run through the dialog port, its first showing handled
// as the window's handlers are.
class DispatchingImportDialogs : public ImportDialogs {
public:
    explicit DispatchingImportDialogs(MessageBoxes& messages) : dispatcher_(messages) {}
    bool runImportDialog(TwImport& dialog) override {
        ++shown;
        dialog.setObserver(observer);
        dispatcher_.run([&] { dialog.FormShow(); });
        const bool ok = script ? script(dialog) : false;
        dialog.setObserver(nullptr);
        return ok;
    }
    std::function<bool(TwImport&)> script;
    ImportDialogObserver* observer = nullptr;
    int shown = 0;

private:
    HandlerDispatcher dispatcher_;
};

}  // namespace
}  // namespace zn::testing

namespace zn {
// Readable failures: an entry as its four texts.
inline void PrintTo(const BookmarkEntry& entry, std::ostream* out) {
    *out << '{' << ::testing::PrintToString(entry.site) << ", "
         << ::testing::PrintToString(entry.description) << ", "
         << ::testing::PrintToString(entry.userName) << ", "
         << ::testing::PrintToString(entry.password) << '}';
}
}  // namespace zn

namespace zn::testing {
namespace {

std::vector<std::string> texts(const CheckList& list) {
    std::vector<std::string> result;
    for (const auto& item : list.items()) result.emplace_back(item.text);
    return result;
}

void tickAll(TwImport& dialog) {
    dialog.BitBtn3Click();
    dialog.BitBtn5Click();
}

class Import : public AppFixture {
protected:
    void SetUp() override { setFavorites(favorites.string()); }

    void setFavorites(const std::string& text, RegType type = RegType::String) {
        registry.setValue(RegRoot::CurrentUser, kFavoritesKeyPath, kFavoritesValue,
                          {type, text + '\0'});
    }
    ImportPorts ports() {
        return ImportPorts{files, pump, picker, importDialogs, (root / "netscape").string()};
    }
    TForm1& unlocked(const std::vector<BookmarkEntry>& entries = {}) {
        storeVault(entries);
        startUnlocked();
        form->setImportPorts(ports());
        return *form;
    }
    // Runs "&Import" with the script working the dialog; returns what the
    // dialog held when it closed.
    void runImport(std::function<bool(TwImport&)> script) {
        importDialogs.script = std::move(script);
        form->dispatcher().run([this] { form->BitBtn10Click(); });
    }
    std::string bookmarkFile(const std::string& relative) const {
        return native((root / "netscape" / relative).string());
    }

    TempFolder root;
    std::filesystem::path favorites = root / "Favorites";
    TestFileSystem files;
    CountingPump pump;
    ScriptedFolderPicker picker;
    DispatchingImportDialogs importDialogs{messages};
};

TEST_F(Import, FavoritesAreFoundAtCreationShownByNameEachKeepingItsFilePosition) {
    for (const char* name : {"b.url", "A.url", "Links/c.url", "Links/Home.url", "Home.url"})
        writeFile(favorites / name, shortcutText(std::string("http://") + name));
    unlocked();
    for (const std::string& value : {favorites.string(), folderText(favorites)}) {
        setFavorites(value);
        pump = {};
        runImport([&](TwImport& dialog) {
            EXPECT_EQ(dialog.OrvFolderLookup1.Text, folderText(favorites));
            EXPECT_FALSE(dialog.OrvFolderLookup1.Enabled);
            EXPECT_EQ(texts(dialog.listbox1),
                      (std::vector<std::string>{"A", "b", "c", "Home", "Home"}));
            std::vector<std::string> paths;
            for (const auto& item : dialog.listbox1.items())
                paths.push_back(dialog.shortcutPath(item).substr(folderText(favorites).size()));
            EXPECT_EQ(paths,
                      nativePaths({"A.url", "b.url", "Links/c.url", "Home.url", "Links/Home.url"}));
            EXPECT_EQ(dialog.listbox1[3].data, 2);
            return false;
        });
        // The main window took no input while the search let messages
        // through in Favorites and Links; first show's search lets it through.
        EXPECT_EQ(pump.callsWithInputHeld, 2);
        EXPECT_GT(pump.calls, 2);
        EXPECT_EQ(pump.inputHeld, 0);
    }
}

TEST_F(Import, FavoritesValueThatIsMissingUnexpandedOrOfAnotherType) {
    writeFile(favorites / "a.url", shortcutText("http://a/"));
    unlocked();
    struct Case {
        std::optional<RegValue> value;
        std::string field;
        std::string error;
    };
    const Case cases[] = {
        {std::nullopt, "", ""},
        {RegValue{RegType::String, "\0"s}, "", ""},
        {RegValue{RegType::ExpandString, native("%USERPROFILE%/Favorites") + '\0'},
         native("%USERPROFILE%/Favorites/"), ""},
        {RegValue{RegType::Dword, encodeDwordData(1)}, "", "Invalid data type for 'Favorites'."},
    };
    for (const auto& c : cases) {
        registry.deleteKey(RegRoot::CurrentUser, kFavoritesKeyPath);
        if (c.value)
            registry.setValue(RegRoot::CurrentUser, kFavoritesKeyPath, "Favorites", *c.value);
        messages.shown.clear();
        const int shownBefore = importDialogs.shown;
        runImport([&](TwImport& dialog) {
            EXPECT_EQ(dialog.OrvFolderLookup1.Text, c.field);
            EXPECT_EQ(dialog.listbox1.size(), 0u);
            return false;
        });
        EXPECT_EQ(importDialogs.shown, shownBefore + 1);  // the dialog opens all the same
        if (c.error.empty()) {
            EXPECT_TRUE(messages.shown.empty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_TRUE(messages.shown[0].applicationError);
            EXPECT_EQ(messages.shown[0].text, c.error);
        }
    }
}

TEST_F(Import, TickedFavoritesMakeRowsOnceAndAreAllDeletedWithRemoval) {
    const std::string long1500 = "http://long.example/" + std::string(1480, 'q');
    writeFile(favorites / "Home.url", shortcutText("http://Same.example/"));
    writeFile(favorites / "Links/Home.url", shortcutText("http://links.example/"));
    writeFile(favorites / "same.url", shortcutText("http://same.EXAMPLE/"));
    writeFile(favorites / "known.url", shortcutText("HTTP://KNOWN.example/"));
    writeFile(favorites / "nokey.url", "[InternetShortcut]\r\nIconIndex=1\r\n");
    writeFile(favorites / "long.url", shortcutText(long1500));
    writeFile(favorites / "unticked.url", shortcutText("http://unticked/"));
    unlocked({{"http://known.example/", "Known", "me", "pw"}});
    std::vector<std::size_t> storedAtEachDeletion;
    files.beforeDelete = [&](const std::string&) {
        storedAtEachDeletion.push_back(storedEntries().size());
    };

    runImport([](TwImport& dialog) {
        dialog.BitBtn3Click();
        dialog.setTick(ImportListId::Favorites, dialog.listbox1.size() - 1, false);  // unticked
        dialog.CheckBox1 = true;
        return true;
    });
    EXPECT_EQ(storedEntries(),
              (std::vector<BookmarkEntry>{{"http://Same.example/", "Home", "", ""},
                                          {"http://known.example/", "Known", "me", "pw"},
                                          {"http://links.example/", "Home", "", ""},
                                          {long1500.substr(0, 1023), "long", "", ""}}));
    // Every ticked file went, also those that made no row, once the rows were stored.
    EXPECT_EQ(storedAtEachDeletion, std::vector<std::size_t>(6, 4));
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(favorites), {}), 2);
    EXPECT_TRUE(std::filesystem::exists(favorites / "unticked.url"));
}

class BookmarkPage : public Import {
protected:
    void SetUp() override {
        Import::SetUp();
        writeFile(root / "netscape/a/Bookmark.htm",
                  "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                  "<DL><p>\n"
                  "    <DT><A HREF=\"http://zeta/\" ADD_DATE=\"1\">Zeta</A>\n"
                  "    <DD>about zeta\n"
                  "    <DT><A HREF=\"http://Alpha/\">Alpha</A>\n"
                  "<dt><a href=\"http://lower/\">lower</a>\n"
                  "<DT><A HREF=\"http://closing-quote-last/\"\n"
                  "<DT><A HREF=\"\" ADD_DATE=\"1\">empty</A>\n"
                  "    <DT><A HREF=\"http://zeta/\">Zeta again</A>\n"
                  "    <DT><A HREF=\"http://ZETA/\">other case</A>\n"
                  "</DL><p>\n");
        writeFile(root / "netscape/b/bookmark.htm", "<DT><A HREF=\"http://b-file/\">B</A>\r\n");
    }
};

TEST_F(BookmarkPage, FirstShowFindsTheFilesAndLoadsTheFirstSelectingAnotherLoadsIt) {
    unlocked();
    runImport([&](TwImport& dialog) {
        EXPECT_EQ(dialog.ListBox2, (std::vector<std::string>{bookmarkFile("a/Bookmark.htm"),
                                                             bookmarkFile("b/bookmark.htm")}));
        EXPECT_EQ(dialog.ListBox2Selected, 0u);
        EXPECT_EQ(texts(dialog.CheckListBox1),
                  (std::vector<std::string>{"", "http://Alpha/", "http://zeta/", "http://zeta/",
                                            "http://ZETA/"}));
        dialog.BitBtn5Click();
        dialog.ListBox2Click(1);  // the ticks on the first file's addresses are lost
        EXPECT_EQ(texts(dialog.CheckListBox1), std::vector<std::string>{"http://b-file/"});
        EXPECT_FALSE(dialog.CheckListBox1[0].checked);

        // Find again: no file chosen, so no addresses, ticked or not; Load says so.
        dialog.BitBtn5Click();
        dialog.BitBtn8Click();
        EXPECT_EQ(dialog.CheckListBox1.size(), 0u);
        dialog.BitBtn7Click();
        return true;
    });
    EXPECT_TRUE(storedEntries().empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[0].text, kNoBookmarkFileMessage);
}

TEST_F(BookmarkPage, FindRefusesASecondSearchWhileItRuns) {
    writeFile(root / "netscape/c/Bookmark.htm", "");
    unlocked();
    runImport([&](TwImport& dialog) {
        int clicks = 0;
        pump.duringNext = [&] {
            EXPECT_TRUE(dialog.findRunning());
            EXPECT_FALSE(dialog.OrvFolderLookup2.Enabled);
            EXPECT_FALSE(dialog.OrvFolderLookup2.ButtonEnabled);
            if (clicks++ == 1) dialog.BitBtn8Click();  // in the first subfolder
        };
        dialog.BitBtn8Click();
        pump.duringNext = nullptr;
        EXPECT_EQ(dialog.ListBox2, (std::vector<std::string>{bookmarkFile("a/Bookmark.htm"),
                                                             bookmarkFile("b/bookmark.htm"),
                                                             bookmarkFile("c/Bookmark.htm")}));
        EXPECT_FALSE(dialog.findRunning());
        EXPECT_TRUE(dialog.OrvFolderLookup2.Enabled);
        EXPECT_TRUE(dialog.OrvFolderLookup2.ButtonEnabled);
        return false;
    });
}

TEST_F(BookmarkPage, TickedAddressesMakeRowsAndTheirLinesLeaveTheFileExactCaseOnly) {
    const std::string path = bookmarkFile("a/Bookmark.htm");
    writeFile(favorites / "zeta.url", shortcutText("http://ZETA/"));
    unlocked({{"http://alpha/", "Alpha known", "", ""}});
    runImport([](TwImport& dialog) {
        dialog.BitBtn3Click();
        // "", Alpha, zeta, zeta; not the line in capitals.
        for (std::size_t i = 0; i < 4; ++i) dialog.setTick(ImportListId::Addresses, i, true);
        dialog.CheckBox1 = true;
        return true;
    });
    // The favorite came first and wins over the file's line of the same address.
    EXPECT_EQ(storedEntries(),
              (std::vector<BookmarkEntry>{{"", "", "", ""},
                                          {"http://ZETA/", "zeta", "", ""},
                                          {"http://alpha/", "Alpha known", "", ""}}));
    EXPECT_EQ(readFile(path),
              "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
              "<DL><p>\r\n"
              "    <DD>about zeta\r\n"
              "<dt><a href=\"http://lower/\">lower</a>\r\n"
              "<DT><A HREF=\"http://closing-quote-last/\"\r\n"
              "    <DT><A HREF=\"http://ZETA/\">other case</A>\r\n"
              "</DL><p>\r\n");
}

TEST_F(BookmarkPage, ImportedTextsCannotPlantAUserNameOrPasswordTheFilesOwnLineStillGoes) {
    writeFile(
        root / "netscape/a/Bookmark.htm",
        "<DT><A HREF=\"http://a.example/?q&&&me@@@pw\">A</A>\n<DT><A HREF=\"http://kept/\">\n");
    writeFile(favorites / "Mine&&&me@@@pw&.url", shortcutText("http://f.example/|||x"));
    unlocked();
    runImport([](TwImport& dialog) {
        dialog.BitBtn3Click();
        dialog.setTick(ImportListId::Addresses, 0, true);
        dialog.CheckBox1 = true;
        return true;
    });
    EXPECT_EQ(storedEntries(),
              (std::vector<BookmarkEntry>{
                  {"http://a.example/?q&&me@@pw", "http://a.example/?q&&me@@pw", "", ""},
                  {"http://f.example/||x", "Mine&&me@@pw", "", ""}}));
    EXPECT_EQ(readFile(bookmarkFile("a/Bookmark.htm")), "<DT><A HREF=\"http://kept/\">\r\n");
}

TEST_F(BookmarkPage, AFileHoldingAZeroByteGivesItsAddressesButIsNeverRewritten) {
    const std::string path = bookmarkFile("a/Bookmark.htm");
    const std::string bytes = "<DT><A HREF=\"http://before-zero/\">B</A>\n\xFF\xFE<\0D\0T\0\n\0"s;
    writeFile(root / "netscape/a/Bookmark.htm", bytes);
    unlocked();
    runImport([](TwImport& dialog) {
        dialog.BitBtn5Click();
        dialog.CheckBox1 = true;
        return true;
    });
    EXPECT_EQ(storedEntries(),
              (std::vector<BookmarkEntry>{{"http://before-zero/", "http://before-zero/", "", ""}}));
    EXPECT_EQ(readFile(path), bytes);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].applicationError);
    EXPECT_EQ(messages.shown[0].text, "Cannot rewrite file " + path + ": it holds a zero byte.");
}

TEST_F(BookmarkPage, RemovalActsOnTheFileSelectedWhenImportNowWasPressed) {
    const std::string first = readFile(bookmarkFile("a/Bookmark.htm"));
    unlocked();
    runImport([](TwImport& dialog) {
        dialog.ListBox2Click(1);
        dialog.BitBtn5Click();
        dialog.CheckBox1 = true;
        return true;
    });
    EXPECT_EQ(readFile(bookmarkFile("a/Bookmark.htm")), first);
    EXPECT_EQ(readFile(bookmarkFile("b/bookmark.htm")), "");
    EXPECT_EQ(siteColumn(), std::vector<std::string>{"http://b-file/"});
}

TEST_F(BookmarkPage, RemovalWithOnlyFavoritesTickedRewritesTheSameLinesWithCrLf) {
    writeFile(root / "netscape/a/Bookmark.htm", "one\ntwo\rthree");
    unlocked();
    runImport([](TwImport& dialog) {
        dialog.CheckBox1 = true;
        return true;
    });
    EXPECT_EQ(readFile(bookmarkFile("a/Bookmark.htm")), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(BookmarkPage, AFileThatCannotBeReadOrWrittenEndsTheActionAfterTheSave) {
    struct Case {
        std::set<std::string>* refusing;
        std::string message;
    };
    const std::string path = bookmarkFile("a/Bookmark.htm");
    const Case cases[] = {{&files.unreadable, "Cannot open file " + path + "."},
                          {&files.unwritable, "Cannot create file " + path + "."}};
    for (const auto& c : cases) {
        writeFile(favorites / "f.url", shortcutText("http://f/"));
        unlocked();
        messages.shown.clear();
        const std::string before = readFile(path);
        runImport([&](TwImport& dialog) {
            dialog.BitBtn3Click();
            dialog.BitBtn5Click();
            dialog.CheckBox1 = true;
            c.refusing->insert(path);
            return true;
        });
        c.refusing->clear();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(readFile(path), before);
        EXPECT_FALSE(std::filesystem::exists(favorites / "f.url"));  // deleted before the failure
        EXPECT_EQ(storedEntries().size(), 4u);  // f, "", Alpha, zeta: stored before it
    }
}

TEST_F(BookmarkPage, ALoadThatCannotReadTheFileShowsTheErrorAndLeavesTheListEmpty) {
    files.unreadable.insert(bookmarkFile("a/Bookmark.htm"));
    unlocked();
    runImport([](TwImport& dialog) {
        EXPECT_EQ(dialog.CheckListBox1.size(), 0u);
        dialog.ListBox2Click(1);
        EXPECT_EQ(dialog.CheckListBox1.size(), 1u);
        return false;
    });
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Cannot open file " + bookmarkFile("a/Bookmark.htm") + ".");
}

TEST_F(BookmarkPage, ImportNowWithNothingTickedSavesCancelChangesNothing) {
    writeFile(favorites / "f.url", shortcutText("http://f/"));
    unlocked({{"http://kept/", "", "", ""}});
    const std::string file = readFile(bookmarkFile("a/Bookmark.htm"));

    int writes = registry.writeCount();
    runImport([](TwImport& dialog) {
        tickAll(dialog);
        dialog.CheckBox1 = true;
        return false;
    });
    EXPECT_EQ(registry.writeCount(), writes);
    EXPECT_EQ(form->list().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(favorites / "f.url"));
    EXPECT_EQ(readFile(bookmarkFile("a/Bookmark.htm")), file);

    runImport([](TwImport&) { return true; });
    EXPECT_GT(registry.writeCount(), writes);
    EXPECT_EQ(readFile(bookmarkFile("a/Bookmark.htm")), file);  // removal was not ticked
}

// Records what the dialog's window is told while the ticks change.
class RecordingObserver : public ImportDialogObserver {
public:
    void lockUpdates(bool locked) override { events.push_back(locked ? "lock" : "unlock"); }
    void tickChanged(ImportListId, std::size_t index) override {
        events.push_back(std::to_string(index));
    }
    std::vector<std::string> events;
};

TEST_F(BookmarkPage, SelectAllAndDeselectAllRedrawOnlyTheItemsWhoseTickChanges) {
    unlocked();
    RecordingObserver observer;
    importDialogs.observer = &observer;
    runImport([&](TwImport& dialog) {
        dialog.setTick(ImportListId::Addresses, 1, true);
        dialog.setTick(ImportListId::Addresses, 3, true);
        observer.events.clear();
        dialog.BitBtn5Click();
        EXPECT_EQ(observer.events, (std::vector<std::string>{"lock", "0", "2", "4", "unlock"}));
        observer.events.clear();
        dialog.setTick(ImportListId::Addresses, 2, false);
        dialog.BitBtn6Click();
        EXPECT_EQ(observer.events,
                  (std::vector<std::string>{"lock", "0", "1", "3", "4", "unlock"}));
        return false;
    });
}

TEST_F(Import, FirstRunOfferAnsweredYesKeepsTheSampleRowAndTheImportedRows) {
    writeFile(favorites / "news.url", shortcutText("http://news.example/"));
    for (const auto answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        registry.deleteKey(RegRoot::CurrentUser, kVaultKeyPath);
        messages.shown.clear();
        messages.answer(answer);
        dialogs.typePasswords({"secret", "secret"});
        importDialogs.script = [](TwImport& dialog) {
            tickAll(dialog);
            return true;
        };
        timers.pending.clear();
        form.reset();
        form = std::make_unique<TForm1>(services(kProgramPath), view);
        view.attach(*form);
        form->setImportPorts(ports());
        form->FormCreate();
        timers.fireNext();

        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Confirm);
        EXPECT_EQ(messages.shown[0].text,
                  "Please Note:  If you have existing bookmarks in Internet Explorer or Netscape, "
                  "you can easily move them into Zintrel at any time by clicking on the IMPORT "
                  "button.\r\rWould you like to import any existing Internet Explorer or Netscape "
                  "bookmarks now?");
        std::vector<BookmarkEntry> expected = {{kSampleSite, kSampleDescription, "", ""}};
        if (answer == MessageAnswer::Yes)
            expected.insert(expected.begin(), {"http://news.example/", "news", "", ""});
        EXPECT_EQ(storedEntries(), expected);
    }
}

}  // namespace
}  // namespace zn::testing
