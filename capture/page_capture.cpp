#include "capture/page_capture.h"

#include <algorithm>
#include <utility>

#include "capture/comma_text.h"
#include "vault/record.h"

namespace zn {
namespace {

constexpr std::size_t kAmericaOnlineTitleLength = 15;

bool isAmericaOnlineTitle(const std::string& title) {
    return title.compare(0, kAmericaOnlineTitleLength, kAmericaOnlineTitle) == 0;
}

// Clears a flag however the action ends, a failed save included.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

PageCapture::PageCapture(TForm1& form, MainWindowView& window, CaptureServices services)
    : form_(form), window_(window), services_(services), WindowsList1(services.windows) {
    WindowsList1.AcceptEmptyNames = false;
}

void PageCapture::captureCurrentPage() {
    // A hotkey still reaches us while our own boxes are open; a second run
    // would add pages under the first one's feet.
    if (capturing_) return;
    const FlagGuard capturing(capturing_);

    if (!form_.listLoaded()) {
        services_.messages.show(MessageKind::Warning, kPasswordFirstWarning, MessageButtons::Ok);
        form_.ShowWindow();
        return;
    }

    Sources sources;
    const auto netscapeReply = queryPage(kNetscapeService);
    const auto iexploreReply = queryPage(kIExploreService);
    sources[Netscape] = pageFromReply(netscapeReply);
    sources[IExplore] = pageFromReply(iexploreReply);
    windowScan();
    if (!candidateText_.empty()) {
        // Another program's window text: as unsafe as a page's.
        BookmarkEntry page = entryFromOutside(candidateText_, candidateText_);
        if (!page.site.empty())
            sources[AmericaOnline] =
                Source{true, true, std::move(page.site), std::move(page.description)};
    }

    const auto answered = std::count_if(sources.begin(), sources.end(),
                                        [](const Source& source) { return source.answered; });
    if (answered >= 2 && !chooseSources(sources)) return;

    for (const Source& source : sources)
        if (source.answered && source.selected) addPage(source);
}

std::optional<std::string> PageCapture::queryPage(const std::string& service) {
    if (auto reply = services_.pages.request(service)) return reply;
    // A browser that is not running may be started by its service name, and
    // asked once more if it started; one that runs and did not answer is
    // neither started again nor kept waiting a second time.
    if (!services_.pages.lastRequestRefused()) return std::nullopt;
    if (!services_.shell.startMinimised(service, kPageQueryTopic)) return std::nullopt;
    return services_.pages.request(service);
}

PageCapture::Source PageCapture::pageFromReply(const std::optional<std::string>& reply) const {
    if (!reply) return {};
    const std::vector<std::string> items = readCommaText(*reply);
    // A reply without an address is no page: it must not become a bookmark
    // without a site. A reply without a title gives an empty description.
    if (items.empty()) return {};
    // The page chooses these texts: they must not plant log-in data.
    BookmarkEntry page = entryFromOutside(items[0], items.size() > 1 ? items[1] : std::string());
    if (page.site.empty()) return {};
    return Source{true, true, std::move(page.site), std::move(page.description)};
}

bool PageCapture::chooseSources(Sources& sources) {
    for (std::size_t source = 0; source < SourceCount; ++source)
        if (sources[source].answered) wBoth_.box(source).caption = sources[source].site;
    for (std::size_t source = 0; source < SourceCount; ++source) {
        wBoth_.box(source).checked = false;
        wBoth_.box(source).visible = false;
    }
    for (std::size_t source = 0; source < SourceCount; ++source)
        if (sources[source].answered) wBoth_.box(source).visible = true;

    if (!services_.chooser.runChooser(wBoth_)) return false;
    for (std::size_t source = 0; source < SourceCount; ++source)
        sources[source].selected = wBoth_.box(source).checked;
    return true;
}

void PageCapture::addPage(const Source& source) {
    if (form_.list().findBySite(source.site)) {
        window_.bringToFront();
        services_.messages.show(MessageKind::Information, kAlreadyListedMessage,
                                MessageButtons::Ok);
    } else {
        // The confirmation comes first; the row and the save follow it.
        if (form_.settings().messages) {
            window_.bringToFront();
            services_.messages.show(MessageKind::Information, source.site + kAddedMessageEnd,
                                    MessageButtons::Ok);
        }
        form_.list().add(BookmarkEntry{source.site, source.description, "", ""});
        form_.saveAllEntries();
    }
    services_.beep.play();
}

void PageCapture::windowScan() {
    candidateText_.clear();
    keywordMarker_ = false;
    WindowsList1.Refresh();
    const auto& lines = WindowsList1.TheWindowsList;
    const auto line = std::find_if(lines.begin(), lines.end(), [](const WindowsListLine& entry) {
        return isAmericaOnlineTitle(entry.title);
    });
    if (line == lines.end()) return;

    // A window that closed meanwhile has no children to read.
    if (const WindowHandle window = services_.windows.findWindow(line->title))
        services_.windows.visitDescendants(
            window, [this](const std::string& text) { return childWindowVisit(text); });
    services_.messagePump.processWaitingMessages();
}

bool PageCapture::childWindowVisit(const std::string& text) {
    candidateText_ = text;
    if (keywordMarker_) return false;
    if (text == kKeywordText) keywordMarker_ = true;
    return true;
}

}  // namespace zn
