// The capture action: asks the browsers which page they show, looks for an
// America Online window, lets the user choose when more than one answered, and
// adds each chosen page as a bookmark unless its site is already listed.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "app/main_window_view.h"
#include "capture/chooser.h"
#include "capture/windows_list.h"
#include "platform/beep.h"
#include "platform/message_boxes.h"
#include "platform/message_pump.h"
#include "platform/page_query.h"
#include "platform/shell.h"
#include "platform/window_list.h"

namespace zn {

inline constexpr const char* kPasswordFirstWarning =
    "You have not entered your password, you must first enter the password before adding new "
    "bookmark. Click OK and enter your password.";
inline constexpr const char* kAlreadyListedMessage =
    "This bookmark is already in your Zintrel list.";
inline constexpr const char* kAddedMessageEnd = " has been added to your Zintrel.";

inline constexpr const char* kNetscapeService = "Netscape";
inline constexpr const char* kIExploreService = "IExplore";
inline constexpr const char* kPageQueryTopic = "WWW_GetWindowInfo";
// Two blanks between the words: the America Online main window's own title.
inline constexpr const char* kAmericaOnlineTitle = "America  Online";
inline constexpr const char* kKeywordText = "Keyword";

struct CaptureServices {
    PageQuery& pages;
    WindowList& windows;
    Shell& shell;
    Beep& beep;
    MessageBoxes& messages;
    ChooserDialog& chooser;
    MessagePump& messagePump;
};

class PageCapture {
public:
    PageCapture(TForm1& form, MainWindowView& window, CaptureServices services);

    // The capture hotkey and the tray's "&Add Bookmark". Refused while an
    // earlier capture still shows its chooser or a message box.
    void captureCurrentPage();

    // The America Online source: leaves its page in candidateText(), empty
    // when there is none.
    void windowScan();
    // Called for every descendant of the America Online window, in order;
    // false stops the visit.
    bool childWindowVisit(const std::string& text);

    const std::string& candidateText() const { return candidateText_; }
    TwBoth& chooser() { return wBoth_; }
    TWindowsList& windowsList() { return WindowsList1; }

private:
    struct Source {
        bool answered = false;
        bool selected = true;
        std::string site;
        std::string description;
    };
    enum { Netscape, IExplore, AmericaOnline, SourceCount };
    using Sources = std::array<Source, SourceCount>;

    std::optional<std::string> queryPage(const std::string& service);
    Source pageFromReply(const std::optional<std::string>& reply) const;
    bool chooseSources(Sources& sources);
    void addPage(const Source& source);

    TForm1& form_;
    MainWindowView& window_;
    CaptureServices services_;
    TWindowsList WindowsList1;
    TwBoth wBoth_;
    bool keywordMarker_ = false;
    std::string candidateText_;
    bool capturing_ = false;
};

}  // namespace zn
