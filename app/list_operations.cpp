// The list panel's operations: add, edit, remove, copy, paste, open and
// help, and the rules that enable the commands. Every change ends with a
// save of the whole list; a cancelled dialog changes and saves nothing.
#include <filesystem>
#include <string>

#include "app/main_window.h"

namespace zn {
namespace {

constexpr const char* kNewBookmarkCaption = "New Bookmark";
constexpr const char* kEditBookmarkCaption = "Edit Bookmark";
constexpr const char* kNothingToRemoveMessage =
    "There is no item selected to be removed. First select the site that you want to remove "
    "then Click the Remove button.";
constexpr const char* kRemoveQuestion = "Are you sure that you want to remove this bookmark?";
constexpr const char* kNothingToCopyMessage = "There is no bookmark selected to copy.";
constexpr const char* kNoClipboardTextMessage = "There is no text in the clipboard.";
constexpr const char* kHelpFileName = "znhelp.htm";

// Byte-wise, so a multi-byte character never splits into a wrong match:
// only ASCII letters change.
std::string upperAsciiPrefix(const std::string& text, std::size_t length) {
    std::string prefix = text.substr(0, length);
    for (char& c : prefix)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return prefix;
}

bool looksLikeWebAddress(const std::string& text) {
    const std::string prefix = upperAsciiPrefix(text, 3);
    return prefix == "HTT" || prefix == "WWW";
}

std::string pasteQuestion(const std::string& text) {
    return "The clipboard contains the text: " + text +
           " This does not appear to be a valid web address, are you sure that you want to "
           "paste this to Zintrel?";
}

std::string userNameNotice(const BookmarkEntry& entry) {
    return "A user name and password has been assigned to this site:\r\rUser Name: " +
           entry.userName + "\r\rPassword: " + entry.password;
}

}  // namespace

void TForm1::ListView1Click() {
    const bool selected = list_.selected().has_value();
    removeEnabled_ = selected;
    editEnabled_ = selected;
}

void TForm1::PopupMenu2Popup() {
    const bool selected = list_.selected().has_value();
    listMenu_.open = selected;
    listMenu_.edit = selected;
    listMenu_.copy = selected;
    listMenu_.remove = selected;
}

void TForm1::BitBtn1Click() {
    wAdd_.fill(kNewBookmarkCaption, {});
    if (!services_.dialogs.runEntryDialog(wAdd_)) return;
    list_.add(wAdd_.entry());
    saveAllEntries();
}

void TForm1::BitBtn7Click() {
    const auto selected = list_.selected();
    if (!selected) return;
    wAdd_.fill(kEditBookmarkCaption, list_.at(*selected));
    if (!services_.dialogs.runEntryDialog(wAdd_)) return;

    // A capture may have added rows while the dialog was open: the selection
    // has followed the edited row, its old position may not have.
    const auto edited = list_.selected();
    if (!edited) return;
    const BookmarkEntry typed = wAdd_.entry();
    const std::size_t row = list_.setSite(*edited, typed.site);
    list_.setDetails(row, typed.description, typed.userName, typed.password);
    saveAllEntries();
}

void TForm1::BitBtn2Click() {
    if (!list_.selected()) {
        services_.messages.show(MessageKind::Information, kNothingToRemoveMessage,
                                MessageButtons::Ok);
        return;
    }
    if (services_.messages.show(MessageKind::Confirm, kRemoveQuestion, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    // Asked again: rows may have arrived while the question was showing.
    const auto selected = list_.selected();
    if (!selected) return;
    list_.remove(*selected);
    saveAllEntries();
}

void TForm1::Copy1Click() {
    const auto selected = list_.selected();
    if (!selected) {
        services_.messages.show(MessageKind::Warning, kNothingToCopyMessage, MessageButtons::Ok);
        return;
    }
    services_.clipboard.setText(list_.at(*selected).site);
}

void TForm1::Paste1Click() {
    if (!services_.clipboard.hasText()) {
        services_.messages.show(MessageKind::Information, kNoClipboardTextMessage,
                                MessageButtons::Ok);
        return;
    }
    wAdd_.Edit1 = services_.clipboard.text();
    if (!looksLikeWebAddress(wAdd_.Edit1) &&
        services_.messages.show(MessageKind::Confirm, pasteQuestion(wAdd_.Edit1),
                                MessageButtons::YesNo) == MessageAnswer::No)
        return;

    wAdd_.Caption = kNewBookmarkCaption;
    wAdd_.Edit2.clear();
    wAdd_.Edit3.clear();
    wAdd_.Edit4.clear();
    if (!services_.dialogs.runEntryDialog(wAdd_)) return;
    list_.add(wAdd_.entry());
    saveAllEntries();
}

void TForm1::ListView1DblClick() {
    if (const auto selected = list_.selected()) {
        // A copy: the notice lets other work change the list before the launch.
        const BookmarkEntry entry = list_.at(*selected);
        if (settings_.showUser && !entry.userName.empty())
            services_.messages.show(MessageKind::Information, userNameNotice(entry),
                                    MessageButtons::Ok);
        // A site beginning with "-" would reach the browser as one of its
        // options; the desktop's handler takes it as the address it claims to be.
        const bool readsAsOption = !entry.site.empty() && entry.site.front() == '-';
        if (settings_.defBrowser.empty() || readsAsOption)
            services_.shell.openSite(entry.site);
        else
            services_.shell.startProgram(settings_.defBrowser, entry.site);
    }
    if (settings_.autoHide) HideWindow();
}

void TForm1::BitBtn8Click() {
    // Without an installation the page sits beside the program. Help always
    // names its folder: a bare name would be taken as a web address.
    const std::string folder =
        installFolder_.empty()
            ? std::filesystem::path(services_.executablePath).parent_path().string()
            : installFolder_;
    services_.shell.openDocument(kHelpFileName, folder);
}

}  // namespace zn
