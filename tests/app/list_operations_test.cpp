// The list panel's operations, driven through the fakes: what reaches the
// list, the store, the clipboard, the shell and the user's message boxes.
#include "tests/app/app_fixture.h"

namespace zn::testing {
namespace {

using Entries = std::vector<BookmarkEntry>;
using Sites = std::vector<std::string>;

const BookmarkEntry kAlpha{"http://alpha.example", "Alpha", "ann", "a-pass"};
const BookmarkEntry kMiddle{"http://middle.example", "Middle", "", ""};
const BookmarkEntry kOmega{"http://omega.example", "Omega", "", "o-pass"};

class ListOperations : public AppFixture {
protected:
    TForm1& startWith(const Entries& entries) {
        storeVault(entries);
        return startUnlocked();
    }
    void setFlag(const char* name, bool on) {
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, name,
                          {RegType::Dword, encodeDwordData(on ? 1 : 0)});
    }
    void setText(const char* name, const std::string& text) {
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, name,
                          {RegType::String, encodeStringData(text)});
    }
    void selectSite(const std::string& site) { form->list().select(form->list().findBySite(site)); }
    std::optional<std::string> selectedSite() const {
        const auto row = form->list().selected();
        return row ? std::optional(form->list().at(*row).site) : std::nullopt;
    }
    // The entry dialog ends with these fields (nullopt: as the logic filled
    // them) and OK, or without OK.
    void typeEntry(std::optional<BookmarkEntry> typed, bool pressOk = true,
                   std::function<void()> whileOpen = nullptr) {
        FakeDialogs::EntryDialogScript script;
        script.typed = std::move(typed);
        script.pressOk = pressOk;
        script.whileOpen = std::move(whileOpen);
        dialogs.typeEntry(std::move(script));
    }
    // A capture arriving while a dialog or box is open: a row added and saved.
    std::function<void()> captureMeanwhile(const std::string& site) {
        return [this, site] {
            form->list().add({site, "captured", "", ""});
            form->saveAllEntries();
        };
    }
};

TEST_F(ListOperations, AddStoresTheFieldsExactlyAsTyped) {
    startWith({kOmega});
    typeEntry(BookmarkEntry{"", "", "", ""});
    typeEntry(BookmarkEntry{" www.spaced.example ", " d ", "u", " p "});
    form->BitBtn1Click();
    form->BitBtn1Click();

    ASSERT_EQ(dialogs.shownEntryDialogs.size(), 2u);
    EXPECT_EQ(dialogs.shownEntryDialogs[0].Caption, "New Bookmark");
    const Entries expected{{"", "", "", ""}, {" www.spaced.example ", " d ", "u", " p "}, kOmega};
    EXPECT_EQ(form->list().entries(), expected);
    EXPECT_EQ(storedEntries(), expected);

    // The empty site still sorts first in the next run.
    startUnlocked();
    EXPECT_EQ(form->list().entries(), expected);
}

TEST_F(ListOperations, AddingASiteTheListHoldsGivesASecondRow) {
    startWith({kAlpha});
    typeEntry(BookmarkEntry{kAlpha.site, "again", "", ""});
    form->BitBtn1Click();
    EXPECT_EQ(siteColumn(), (Sites{kAlpha.site, kAlpha.site}));
    EXPECT_EQ(storedEntries().size(), 2u);
}

TEST_F(ListOperations, EachUseOfTheDialogStartsFromTheLogicsFieldsNotTheLastUse) {
    startWith({kAlpha});
    selectSite(kAlpha.site);
    typeEntry(std::nullopt, false);  // Edit, cancelled
    form->BitBtn7Click();
    typeEntry(std::nullopt, false);  // Add, cancelled
    form->BitBtn1Click();
    clipboard.setText("http://pasted.example");
    typeEntry(std::nullopt, false);  // Paste, cancelled
    form->Paste1Click();

    ASSERT_EQ(dialogs.shownEntryDialogs.size(), 3u);
    EXPECT_EQ(dialogs.shownEntryDialogs[0].Caption, "Edit Bookmark");
    EXPECT_EQ(dialogs.shownEntryDialogs[0].entry(), kAlpha);
    EXPECT_EQ(dialogs.shownEntryDialogs[1].Caption, "New Bookmark");
    EXPECT_EQ(dialogs.shownEntryDialogs[1].entry(), BookmarkEntry{});
    EXPECT_EQ(dialogs.shownEntryDialogs[2].Caption, "New Bookmark");
    EXPECT_EQ(dialogs.shownEntryDialogs[2].entry(),
              (BookmarkEntry{"http://pasted.example", "", "", ""}));
}

TEST_F(ListOperations, CancelChangesNothingAndDoesNotSave) {
    startWith({kAlpha, kOmega});
    selectSite(kOmega.site);
    const int writesBefore = registry.writeCount();
    const BookmarkEntry typed{"http://typed.example", "t", "t", "t"};

    typeEntry(typed, false);
    form->BitBtn1Click();
    typeEntry(typed, false);
    form->BitBtn7Click();
    clipboard.setText("www.pasted.example");
    typeEntry(typed, false);
    form->Paste1Click();

    EXPECT_EQ(dialogs.shownEntryDialogs.size(), 3u);
    EXPECT_EQ(form->list().entries(), (Entries{kAlpha, kOmega}));
    EXPECT_EQ(registry.writeCount(), writesBefore);
    EXPECT_EQ(selectedSite(), kOmega.site);
}

TEST_F(ListOperations, EditMovesTheRowToItsSortedPlaceAndKeepsItSelected) {
    startWith({kAlpha, kMiddle, kOmega});
    selectSite(kAlpha.site);
    typeEntry(BookmarkEntry{"http://zulu.example", "Zulu", "zed", "z-pass"});
    form->BitBtn7Click();

    const Entries expected{kMiddle, kOmega, {"http://zulu.example", "Zulu", "zed", "z-pass"}};
    EXPECT_EQ(form->list().entries(), expected);
    EXPECT_EQ(selectedSite(), "http://zulu.example");
    EXPECT_EQ(storedEntries(), expected);
}

TEST_F(ListOperations, EditChangesTheRowSelectedWhenTheDialogEnds) {
    startWith({kMiddle, kOmega});
    selectSite(kMiddle.site);
    // Rows captured meanwhile land before and after the edited one.
    typeEntry(BookmarkEntry{kMiddle.site, "edited", "eve", "e-pass"}, true, [this] {
        captureMeanwhile("http://aaa.example")();
        captureMeanwhile("http://nnn.example")();
    });
    form->BitBtn7Click();

    const Entries expected{{"http://aaa.example", "captured", "", ""},
                           {kMiddle.site, "edited", "eve", "e-pass"},
                           {"http://nnn.example", "captured", "", ""},
                           kOmega};
    EXPECT_EQ(form->list().entries(), expected);
    EXPECT_EQ(storedEntries(), expected);
}

TEST_F(ListOperations, EditWithoutASelectionDoesNothing) {
    startWith({kAlpha});
    const int writesBefore = registry.writeCount();
    form->BitBtn7Click();
    EXPECT_TRUE(dialogs.shownEntryDialogs.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(registry.writeCount(), writesBefore);
}

TEST_F(ListOperations, RemoveAsksAndOnlyYesRemoves) {
    startWith({kAlpha, kOmega});
    form->BitBtn2Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(messages.shown[0].text,
              "There is no item selected to be removed. First select the site that you want to "
              "remove then Click the Remove button.");

    selectSite(kAlpha.site);
    const int writesBefore = registry.writeCount();
    messages.answer(MessageAnswer::No);
    form->BitBtn2Click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].kind, MessageKind::Confirm);
    EXPECT_EQ(messages.shown[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.shown[1].text, "Are you sure that you want to remove this bookmark?");
    EXPECT_EQ(form->list().size(), 2u);
    EXPECT_EQ(registry.writeCount(), writesBefore);

    messages.answer(MessageAnswer::Yes);
    form->BitBtn2Click();
    EXPECT_EQ(form->list().entries(), (Entries{kOmega}));
    EXPECT_EQ(storedEntries(), (Entries{kOmega}));
    EXPECT_FALSE(form->list().selected());
}

TEST_F(ListOperations, RemoveTakesTheSelectedRowAfterTheQuestion) {
    startWith({kMiddle, kOmega});
    selectSite(kMiddle.site);
    messages.whileShowing(captureMeanwhile("http://aaa.example"));
    messages.answer(MessageAnswer::Yes);
    form->BitBtn2Click();
    EXPECT_EQ(siteColumn(), (Sites{"http://aaa.example", kOmega.site}));
    EXPECT_EQ(storedEntries().size(), 2u);
}

TEST_F(ListOperations, OnlyALeftClickUpdatesRemoveAndEdit) {
    startWith({kAlpha, kOmega});
    EXPECT_FALSE(form->removeEnabled());
    EXPECT_FALSE(form->editEnabled());

    selectSite(kAlpha.site);  // by keyboard or right button: no change yet
    EXPECT_FALSE(form->removeEnabled());
    form->ListView1Click();
    EXPECT_TRUE(form->removeEnabled());
    EXPECT_TRUE(form->editEnabled());

    // After a removal nothing is selected, yet both stay enabled.
    messages.answer(MessageAnswer::Yes);
    form->BitBtn2Click();
    EXPECT_EQ(siteColumn(), Sites{kOmega.site});
    EXPECT_FALSE(form->list().selected());
    EXPECT_TRUE(form->removeEnabled());
    EXPECT_TRUE(form->editEnabled());
    form->BitBtn2Click();
    EXPECT_EQ(messages.shown.back().text.rfind("There is no item selected", 0), 0u);

    form->ListView1Click();
    EXPECT_FALSE(form->removeEnabled());
    EXPECT_FALSE(form->editEnabled());
}

TEST_F(ListOperations, TheContextMenuFollowsTheSelectionWhenItOpens) {
    startWith({kAlpha});
    form->PopupMenu2Popup();
    const auto& closed = form->listMenu();
    EXPECT_FALSE(closed.open || closed.edit || closed.copy || closed.remove);

    selectSite(kAlpha.site);
    form->PopupMenu2Popup();
    const auto& open = form->listMenu();
    EXPECT_TRUE(open.open && open.edit && open.copy && open.remove);
    EXPECT_FALSE(form->removeEnabled());  // the buttons wait for a left click
}

TEST_F(ListOperations, CopyPutsExactlyTheSiteOnTheClipboard) {
    startWith({kAlpha});
    clipboard.setText("before");
    form->Copy1Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown[0].text, "There is no bookmark selected to copy.");
    EXPECT_EQ(clipboard.contents, "before");

    selectSite(kAlpha.site);
    form->Copy1Click();
    EXPECT_EQ(clipboard.contents, kAlpha.site);
}

TEST_F(ListOperations, PasteWithoutTextOnTheClipboardOnlyTellsSo) {
    startWith({});
    clipboard.holdNoText();
    form->Paste1Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[0].text, "There is no text in the clipboard.");
    EXPECT_TRUE(dialogs.shownEntryDialogs.empty());
}

TEST_F(ListOperations, PasteAsksOnlyWhenTheTextDoesNotStartLikeAnAddress) {
    startWith({});
    for (const char* address : {"http://a.example", "HTTPS://b.example", "wWw.c.example", "htt"}) {
        clipboard.setText(address);
        typeEntry(std::nullopt);
        form->Paste1Click();
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form->list().size(), 4u);
    EXPECT_EQ(storedEntries().size(), 4u);

    for (const char* doubtful : {"ww", "", "ftp://d.example", " www.e.example"}) {
        clipboard.setText(doubtful);
        messages.answer(MessageAnswer::No);
        form->Paste1Click();
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown.back().kind, MessageKind::Confirm);
        EXPECT_EQ(messages.shown.back().text,
                  std::string("The clipboard contains the text: ") + doubtful +
                      " This does not appear to be a valid web address, are you sure that you "
                      "want to paste this to Zintrel?");
    }
    EXPECT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(dialogs.shownEntryDialogs.size(), 4u);  // No never opened the dialog
    EXPECT_EQ(form->list().size(), 4u);

    clipboard.setText("my notes");
    messages.answer(MessageAnswer::Yes);
    typeEntry(std::nullopt);
    form->Paste1Click();
    EXPECT_EQ(form->list().findBySite("my notes").has_value(), true);
}

TEST_F(ListOperations, OpenShowsTheUserNameBoxBeforeTheBrowserStarts) {
    startWith({kAlpha, kOmega});
    selectSite(kAlpha.site);
    messages.whileShowing([this] { EXPECT_TRUE(shell.launches.empty()); });
    form->ListView1DblClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[0].text,
              "A user name and password has been assigned to this site:\r\rUser Name: ann"
              "\r\rPassword: a-pass");
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_FALSE(shell.launches[0].program);
    EXPECT_EQ(shell.launches[0].target, kAlpha.site);
    EXPECT_EQ(shell.launches[0].argumentOrFolder, "");

    // A password without a user name shows no box.
    selectSite(kOmega.site);
    form->ListView1DblClick();
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(shell.launches.size(), 2u);
    EXPECT_TRUE(view.visible);  // AutoHide is off by default
}

TEST_F(ListOperations, OpenWithShowUserOffShowsNoBox) {
    setFlag("ShowUser", false);
    startWith({kAlpha});
    selectSite(kAlpha.site);
    form->ListView1DblClick();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(shell.launches.size(), 1u);
}

TEST_F(ListOperations, OpenHandsTheSiteToTheBrowserAsOneUnchangedArgument) {
    const std::string site = "http://x.example/a b?q=\"quoted\";rm -rf ~ 'x'";
    setText("DefBrowser", "/opt/my browser/browser");
    startWith({{site, "", "", ""}});
    selectSite(site);
    form->ListView1DblClick();
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_TRUE(shell.launches[0].program);
    EXPECT_EQ(shell.launches[0].target, "/opt/my browser/browser");
    EXPECT_EQ(shell.launches[0].argumentOrFolder, site);
}

TEST_F(ListOperations, ASiteThatReadsAsABrowserOptionGoesToTheDesktopInstead) {
    const std::string site = "--renderer-cmd-prefix=/tmp/x";
    setText("DefBrowser", "/opt/browser");
    startWith({{site, "", "", ""}});
    selectSite(site);
    form->ListView1DblClick();
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_FALSE(shell.launches[0].program);
    EXPECT_EQ(shell.launches[0].target, site);
}

TEST_F(ListOperations, AutoHideHidesAfterOpeningAndAlsoWithNothingSelected) {
    setFlag("AutoHide", true);
    startWith({kOmega});
    form->ListView1DblClick();
    EXPECT_TRUE(shell.launches.empty());
    EXPECT_FALSE(view.visible);

    form->ShowWindow();
    selectSite(kOmega.site);
    form->ListView1DblClick();
    EXPECT_EQ(shell.launches.size(), 1u);
    EXPECT_FALSE(view.visible);
}

TEST_F(ListOperations, HelpOpensThePageFromTheInstallFolderElseBesideTheProgram) {
    startWith({});
    form->BitBtn8Click();
    setText("Installdir", "/opt/zintrel");
    startUnlocked();
    form->BitBtn8Click();

    ASSERT_EQ(shell.launches.size(), 2u);
    EXPECT_FALSE(shell.launches[0].program);
    EXPECT_EQ(shell.launches[0].target, "znhelp.htm");
    EXPECT_EQ(shell.launches[0].argumentOrFolder, "/home/user/.local/opt/znvault");
    EXPECT_EQ(shell.launches[1].target, "znhelp.htm");
    EXPECT_EQ(shell.launches[1].argumentOrFolder, "/opt/zintrel");
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace zn::testing
