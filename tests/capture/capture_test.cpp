// The capture action driven through the fakes: which sources answer, what the
// chooser shows, what is added, in which order the user hears and sees it.
#include <memory>

#include "capture/page_capture.h"
#include "tests/app/app_fixture.h"
#include "tests/fakes/fake_capture.h"

namespace zn::testing {
namespace {

using Sites = std::vector<std::string>;

constexpr const char* kNetscapePage = R"("http://ns.example/","Netscape Page","")";
constexpr const char* kIExplorePage = R"("http://ie.example/","IE Page")";

class Capture : public AppFixture {
protected:
    void TearDown() override { capture_.reset(); }

    // The action wired to the current form, as the program wires it.
    PageCapture& capture() {
        if (!capture_ || captureForm_ != form.get()) {
            capture_ = std::make_unique<PageCapture>(
                *form, view,
                CaptureServices{pages, windows, shell, beep, messages, chooser, messagePump});
            captureForm_ = form.get();
            form->setCaptureAction([this] { capture_->captureCurrentPage(); });
        }
        return *capture_;
    }
    TForm1& startUnlockedWith(const std::vector<BookmarkEntry>& entries) {
        storeVault(entries);
        startUnlocked();
        capture();
        return *form;
    }
    void pressCaptureHotkey() {
        capture();
        form->dispatcher().run([this] { form->WMHotkey(kCaptureHotkeyId); });
    }
    void setMessages(bool on) {
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Messages",
                          {RegType::Dword, encodeDwordData(on ? 1 : 0)});
    }
    void americaOnlineShows(const std::string& address) {
        windows.windows.push_back({"America  Online", {"Back", "Keyword", address, "Go"}});
    }
    Sites storedSites() {
        Sites sites;
        for (const BookmarkEntry& entry : storedEntries()) sites.push_back(entry.site);
        return sites;
    }
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& message : messages.shown) texts.push_back(message.text);
        return texts;
    }
    static ChooserBox box(const std::string& caption, bool checked, bool visible) {
        return ChooserBox{caption, checked, visible};
    }

    FakePageQuery pages;
    FakeWindowList windows;
    CountingBeep beep;
    FakeChooser chooser;
    CountingPump messagePump;

private:
    std::unique_ptr<PageCapture> capture_;
    TForm1* captureForm_ = nullptr;
};

TEST_F(Capture, OneSourceIsConfirmedThenAddedAndSavedThenBeeps) {
    startUnlockedWith({{"http://other.example/", "", "", ""}});
    pages.answer("IExplore", kIExplorePage);
    messages.whileShowing([this] {
        EXPECT_FALSE(form->list().findBySite("http://ie.example/"));
        EXPECT_EQ(beep.count, 0);
    });
    beep.onPlay = [this] { EXPECT_EQ(storedSites().size(), 2u); };

    pressCaptureHotkey();

    EXPECT_TRUE(chooser.shown.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[0].text, "http://ie.example/ has been added to your Zintrel.");
    const auto row = form->list().findBySite("http://ie.example/");
    ASSERT_TRUE(row);
    EXPECT_EQ(form->list().at(*row), (BookmarkEntry{"http://ie.example/", "IE Page", "", ""}));
    EXPECT_EQ(storedSites(), (Sites{"http://ie.example/", "http://other.example/"}));
    EXPECT_EQ(beep.count, 1);
    // Both browsers are always asked, in this order.
    EXPECT_EQ(pages.requests, (Sites{"Netscape", "Netscape", "IExplore"}));
}

TEST_F(Capture, WithoutConfirmationsThePageIsAddedSilentlyButStillBeeps) {
    storeVault({});
    setMessages(false);
    startUnlocked();
    pages.answer("Netscape", R"("http://ns.example/")");
    pressCaptureHotkey();
    EXPECT_TRUE(messages.shown.empty());
    // A reply without a title gives an empty description.
    EXPECT_EQ(storedEntries(), (std::vector<BookmarkEntry>{{"http://ns.example/", "", "", ""}}));
    EXPECT_EQ(beep.count, 1);
}

TEST_F(Capture, APageCannotPlantAUserNameOrPassword) {
    setMessages(false);
    startUnlockedWith({});
    pages.answer("IExplore", R"("http://ie.example/?a&&&b","Title&&&me@@@secret&")");
    pressCaptureHotkey();
    // The America Online window's text is another program's, as unsafe.
    pages = {};
    americaOnlineShows("http://aol.example/|||x&&&me@@@secret");
    pressCaptureHotkey();
    // As the next start reads them back.
    EXPECT_EQ(
        storedEntries(),
        (std::vector<BookmarkEntry>{
            {"http://aol.example/||x&&me@@secret", "http://aol.example/||x&&me@@secret", "", ""},
            {"http://ie.example/?a&&b", "Title&&me@@secret", "", ""}}));
}

TEST_F(Capture, TwoSourcesShowTwoUntickedBoxesAndHideTheThird) {
    startUnlockedWith({});
    capture().chooser().CheckBox1 = box("old one", true, true);
    capture().chooser().CheckBox3 = box("old three", true, true);
    pages.answer("Netscape", kNetscapePage);
    pages.answer("IExplore", kIExplorePage);
    chooser.scripts.push_back({});

    pressCaptureHotkey();

    ASSERT_EQ(chooser.shown.size(), 1u);
    EXPECT_EQ(chooser.shown[0].CheckBox1, box("http://ns.example/", false, true));
    EXPECT_EQ(chooser.shown[0].CheckBox2, box("http://ie.example/", false, true));
    EXPECT_EQ(chooser.shown[0].CheckBox3, box("old three", false, false));
    // OK with nothing ticked: nothing at all.
    EXPECT_TRUE(form->list().empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(beep.count, 0);
}

TEST_F(Capture, OnlyTheTickedPagesAreAddedAndACancelledChooserAddsNone) {
    startUnlockedWith({});
    pages.answer("Netscape", kNetscapePage);
    pages.answer("IExplore", kIExplorePage);
    americaOnlineShows("http://aol.example/");

    chooser.scripts.push_back({{true, true, true}, false});
    pressCaptureHotkey();
    EXPECT_TRUE(form->list().empty());
    EXPECT_EQ(beep.count, 0);
    EXPECT_TRUE(messages.shown.empty());

    chooser.scripts.push_back({{false, false, true}});
    pressCaptureHotkey();
    ASSERT_EQ(chooser.shown.size(), 2u);
    EXPECT_TRUE(chooser.shown[1].CheckBox3.visible);
    EXPECT_EQ(chooser.shown[1].CheckBox3.caption, "http://aol.example/");
    EXPECT_EQ(storedEntries(),
              (std::vector<BookmarkEntry>{{"http://aol.example/", "http://aol.example/", "", ""}}));
    EXPECT_EQ(beep.count, 1);
}

TEST_F(Capture, TheSamePageFromBothIsAddedOnceAndReportedOnceAsListed) {
    startUnlockedWith({});
    pages.answer("Netscape", R"("http://same.example/","From Netscape")");
    pages.answer("IExplore", R"("HTTP://Same.Example/","From IE")");
    chooser.scripts.push_back({{true, true, false}});
    pressCaptureHotkey();
    EXPECT_EQ(messageTexts(), (Sites{"http://same.example/ has been added to your Zintrel.",
                                     "This bookmark is already in your Zintrel list."}));
    EXPECT_EQ(storedEntries(),
              (std::vector<BookmarkEntry>{{"http://same.example/", "From Netscape", "", ""}}));
    EXPECT_EQ(beep.count, 2);
}

TEST_F(Capture, ASiteListedInOtherLetterCaseIsNotAddedNorSaved) {
    startUnlockedWith({{"HTTP://IE.Example/", "mine", "me", "pw"}});
    pages.answer("IExplore", kIExplorePage);
    const int writesBefore = registry.writeCount();
    pressCaptureHotkey();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[0].text, "This bookmark is already in your Zintrel list.");
    EXPECT_EQ(form->list().size(), 1u);
    EXPECT_EQ(registry.writeCount(), writesBefore);
    EXPECT_EQ(beep.count, 1);
}

TEST_F(Capture, BeforeTheFirstUnlockItWarnsShowsTheLockPanelAndAddsNothing) {
    storeVault({});
    start();
    capture();
    pages.answer("IExplore", kIExplorePage);
    pressCaptureHotkey();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown[0].text,
              "You have not entered your password, you must first enter the password before "
              "adding new bookmark. Click OK and enter your password.");
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.panel, Panel::Lock);
    EXPECT_TRUE(pages.requests.empty());

    view.passwordField = kMasterPassword;
    form->UnlockClick();
    EXPECT_TRUE(form->list().empty());
    EXPECT_TRUE(storedEntries().empty());
    EXPECT_EQ(beep.count, 0);
}

TEST_F(Capture, BrowsersNotRunningAreStartedByServiceNameAndAskedOnceMore) {
    startUnlockedWith({});
    // The second browser starts on demand and answers the second request.
    pages.answers["IExplore"] = {std::nullopt, kIExplorePage};
    pressCaptureHotkey();
    ASSERT_EQ(shell.launches.size(), 2u);
    EXPECT_TRUE(shell.launches[0].program);
    EXPECT_EQ(shell.launches[0].target, "Netscape");
    EXPECT_EQ(shell.launches[0].argumentOrFolder, "WWW_GetWindowInfo");
    EXPECT_EQ(shell.launches[1].target, "IExplore");
    EXPECT_EQ(shell.minimisedStarts, 2);
    EXPECT_EQ(pages.requests, (Sites{"Netscape", "Netscape", "IExplore", "IExplore"}));
    EXPECT_TRUE(form->list().findBySite("http://ie.example/"));
}

TEST_F(Capture, OnlyARefusedConnectionWithAStartThatWasAcceptedIsAskedAgain) {
    struct Case {
        const char* what;
        bool running;  // the browsers run and do not answer
        bool startRefused;
        std::size_t starts;
    };
    startUnlockedWith({});
    for (const auto& [what, running, startRefused, starts] :
         {Case{"running browsers that did not answer", true, false, 0},
          Case{"no browsers, and their starts refused", false, true, 2}}) {
        SCOPED_TRACE(what);
        pages.requests.clear();
        shell.launches.clear();
        pages.running = running ? std::set<std::string>{"Netscape", "IExplore"}
                                : std::set<std::string>{};
        shell.refuseStarts = startRefused;
        pressCaptureHotkey();
        EXPECT_EQ(shell.launches.size(), starts);
        EXPECT_EQ(pages.requests, (Sites{"Netscape", "IExplore"}));
    }
}

TEST_F(Capture, NoAnswerAndRepliesWithoutAnAddressAddNothingSilently) {
    startUnlockedWith({});
    pressCaptureHotkey();
    pages.answer("Netscape", R"("","title only")");
    pages.answer("IExplore", "");
    pressCaptureHotkey();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(chooser.shown.empty());
    EXPECT_TRUE(form->list().empty());
    EXPECT_EQ(beep.count, 0);
}

TEST_F(Capture, ASecondCaptureWhileTheFirstShowsABoxOrTheChooserIsRefused) {
    startUnlockedWith({});
    pages.answer("Netscape", kNetscapePage);
    pages.answer("IExplore", kIExplorePage);
    chooser.scripts.push_back({{true, false, false}, true, [this] { pressCaptureHotkey(); }});
    messages.whileShowing([this] { form->AddBookmark1Click(); });
    pressCaptureHotkey();
    EXPECT_EQ(chooser.shown.size(), 1u);
    EXPECT_EQ(pages.requests.size(), 2u);
    EXPECT_EQ(storedSites(), (Sites{"http://ns.example/"}));

    // Done: the next capture runs again, from the tray menu too.
    chooser.scripts.push_back({{false, true, false}});
    form->AddBookmark1Click();
    EXPECT_EQ(storedSites(), (Sites{"http://ie.example/", "http://ns.example/"}));
}

TEST_F(Capture, AFailedSaveIsReportedAndDoesNotBlockTheNextCapture) {
    storeVault({});
    setMessages(false);
    startUnlocked();
    pages.answer("IExplore", kIExplorePage);
    registry.failWritesAfter(0);
    pressCaptureHotkey();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].applicationError);
    registry.stopFailing();
    pages.answer("IExplore", R"("http://ie2.example/","")");
    pressCaptureHotkey();
    EXPECT_EQ(storedSites(), (Sites{"http://ie.example/", "http://ie2.example/"}));
}

struct TitleCase {
    const char* title;
    bool americaOnline;
};

TEST_F(Capture, OnlyATitleStartingExactlyWithAmericaOnlineIsScanned) {
    startUnlockedWith({});
    const TitleCase cases[] = {
        {"America  Online", true},           {"America  Online - Welcome", true},
        {"America  Online2", true},          {"America Online", false},
        {"America Online - Welcome", false}, {"AMERICA  ONLINE", false},
        {"america  online", false},          {"America  Onlin", false},
        {" America  Online", false},         {"", false},
    };
    for (const TitleCase& titleCase : cases) {
        windows.windows = {{"Editor", {"Keyword", "http://wrong.example/"}},
                           {titleCase.title, {"Keyword", "http://aol.example/"}}};
        capture().windowScan();
        EXPECT_EQ(capture().candidateText(), titleCase.americaOnline ? "http://aol.example/" : "")
            << titleCase.title;
    }
}

struct KeywordCase {
    const char* name;
    std::vector<std::string> children;
    std::string candidate;
    std::size_t visited;
};

TEST_F(Capture, TheCandidateIsTheChildAfterTheFirstKeyword) {
    startUnlockedWith({});
    const KeywordCase cases[] = {
        {"first", {"Keyword", "http://a.example/", "x"}, "http://a.example/", 2},
        {"middle", {"x", "Keyword", "http://b.example/", "Keyword", "y"}, "http://b.example/", 3},
        {"last", {"x", "y", "Keyword"}, "Keyword", 3},
        {"absent", {"x", "y", "z"}, "z", 3},
        {"case_and_blanks_count", {"keyword", "Keyword ", " Keyword", "u"}, "u", 4},
        {"no_children", {}, "", 0},
    };
    for (const KeywordCase& keywordCase : cases) {
        windows.windows = {{"America  Online", keywordCase.children}};
        windows.visitedTexts.clear();
        capture().windowScan();
        EXPECT_EQ(capture().candidateText(), keywordCase.candidate) << keywordCase.name;
        EXPECT_EQ(windows.visitedTexts.size(), keywordCase.visited) << keywordCase.name;
    }
    EXPECT_EQ(messagePump.calls, 6);
}

TEST_F(Capture, TheFrontmostMatchIsScannedAndNothingLeaksIntoTheNextScan) {
    startUnlockedWith({});
    windows.windows = {{"", {"Keyword", "untitled"}},
                       {"America  Online A", {"Keyword", "http://a.example/"}},
                       {"America  Online B", {"Keyword", "http://b.example/"}}};
    capture().windowScan();
    EXPECT_EQ(capture().candidateText(), "http://a.example/");
    EXPECT_EQ(windows.visitedWindows, (std::vector<WindowHandle>{2}));
    // Windows without a title are not listed.
    ASSERT_EQ(capture().windowsList().TheWindowsList.size(), 2u);
    EXPECT_EQ(capture().windowsList().TheWindowsList[0].info.handle, 2u);

    // A window that closed between the list and the search is not read.
    windows.windowGone = true;
    capture().windowScan();
    EXPECT_EQ(capture().candidateText(), "");
    EXPECT_EQ(windows.visitedWindows.size(), 1u);
}

}  // namespace
}  // namespace zn::testing
