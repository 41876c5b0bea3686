#include "platform/linux/chromium_session.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <map>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/linux/json_reader.h"
#include "platform/linux/loopback_http.h"
#include "platform/utf8.h"

namespace zn {
namespace {

constexpr std::chrono::milliseconds kDevToolsLimit{1000};

// The session commands we read; every other one is stepped over.
enum SessionCommand : std::uint8_t {
    kSetTabWindow = 0,
    kSetTabIndexInWindow = 2,
    kTabClosedOld = 3,
    kWindowClosedOld = 4,
    kNavigationPrunedFromBack = 5,
    kUpdateTabNavigation = 6,
    kSetSelectedNavigationIndex = 7,
    kSetSelectedTabInIndex = 8,
    kNavigationPrunedFromFront = 11,
    kTabClosed = 16,
    kWindowClosed = 17,
    kSetActiveWindow = 20,
    kNavigationPruned = 24,
};

// Reads the little-endian fields of one command's payload, 4-byte aligned
// where the browser's serialised records are.
class PayloadReader {
public:
    explicit PayloadReader(std::string_view payload) : payload_(payload) {}

    std::optional<std::int32_t> int32() {
        if (payload_.size() - offset_ < 4) return std::nullopt;
        std::uint32_t value = 0;
        for (int byte = 3; byte >= 0; --byte)
            value = (value << 8) | std::uint8_t(payload_[offset_ + std::size_t(byte)]);
        offset_ += 4;
        return std::int32_t(value);
    }
    // Bytes, then padding up to the next multiple of 4.
    std::optional<std::string_view> bytes(std::size_t count) {
        if (payload_.size() - offset_ < count) return std::nullopt;
        const auto taken = payload_.substr(offset_, count);
        offset_ = std::min(payload_.size(), offset_ + ((count + 3) & ~std::size_t(3)));
        return taken;
    }
    // A length in units, then the units; the view holds length * unitSize bytes.
    std::optional<std::string_view> lengthPrefixed(std::size_t unitSize) {
        const auto length = int32();
        if (!length || *length < 0 || std::size_t(*length) > payload_.size() / unitSize)
            return std::nullopt;
        return bytes(std::size_t(*length) * unitSize);
    }

private:
    std::string_view payload_;
    std::size_t offset_ = 0;
};

std::string utf16ToUtf8(std::string_view units) {
    std::string text;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        char32_t unit = std::uint8_t(units[i]) | (std::uint8_t(units[i + 1]) << 8);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < units.size()) {
            const char32_t low = std::uint8_t(units[i + 2]) | (std::uint8_t(units[i + 3]) << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(text, unit);  // a lone surrogate becomes U+FFFD
    }
    return text;
}

// A navigation as the file holds it: the offset of its command, decoded only
// for the one page asked for.
using NavigationCommands = std::map<std::int32_t, std::uint32_t>;

struct Window {
    std::int32_t selectedTab = 0;
    std::uint32_t closes = 0;
    bool open = false;
};

struct Tab {
    std::int32_t window = 0;
    const Window* windowState = nullptr;  // never null once the tab is made
    std::uint32_t windowOpening = 0;      // the window's close count when the tab joined it
    std::int32_t visualIndex = 0;
    std::int32_t currentNavigation = 0;
    std::uint64_t order = 0;  // when first seen: breaks ties between equal visual indices
    NavigationCommands navigations;
};

// Bounds no browser comes near; a file past them is not a session it wrote.
// They keep the state small and every command cheap, so a forged file costs
// time and memory in proportion to its size.
constexpr std::size_t kMaxTabsAndWindows = 1u << 15;
constexpr std::size_t kMaxNavigations = 1u << 17;
constexpr std::size_t kMaxShiftedNavigations = 1u << 16;

// The pickled navigation: payload size, tab, index, URL, UTF-16 title, then
// fields we do not need.
struct NavigationFields {
    std::int32_t tab = 0;
    std::int32_t index = 0;
    std::string_view url;
    std::string_view title;  // UTF-16LE code units
};

std::optional<NavigationFields> navigationFields(std::string_view payload) {
    PayloadReader reader(payload);
    const auto size = reader.int32(), tab = reader.int32(), index = reader.int32();
    if (!size || !tab || !index || *index < 0) return std::nullopt;
    const auto url = reader.lengthPrefixed(1);
    const auto title = url ? reader.lengthPrefixed(2) : std::nullopt;
    if (!title) return std::nullopt;
    return NavigationFields{*tab, *index, *url, *title};
}

// The browser's state as the commands so far leave it. Closing a window
// does not visit its tabs: each tab remembers which opening of its window it
// joined, and a tab whose window has closed since counts as gone.
class SessionState {
public:
    explicit SessionState(std::string_view file) : file_(file) {}

    // False once the file has passed a bound.
    bool apply(std::uint32_t commandOffset, std::uint8_t command, std::string_view payload) {
        PayloadReader reader(payload);
        switch (command) {
            case kSetTabWindow: {
                const auto window = reader.int32(), tab = reader.int32();
                if (window && tab) {
                    Window& joined = windowAt(*window);
                    joined.open = true;
                    if (Tab* found = tabAt(*tab)) {
                        found->window = *window;
                        found->windowState = &joined;
                        found->windowOpening = joined.closes;
                    }
                }
                break;
            }
            case kSetTabIndexInWindow:
                if (const auto tab = reader.int32(), index = reader.int32(); tab && index) {
                    if (Tab* found = tabAt(*tab)) found->visualIndex = *index;
                }
                break;
            case kSetSelectedNavigationIndex:
                if (const auto tab = reader.int32(), index = reader.int32(); tab && index) {
                    if (Tab* found = tabAt(*tab)) found->currentNavigation = *index;
                }
                break;
            case kSetSelectedTabInIndex:
                if (const auto window = reader.int32(), index = reader.int32(); window && index) {
                    Window& selected = windowAt(*window);
                    selected.open = true;
                    selected.selectedTab = *index;
                }
                break;
            case kSetActiveWindow:
                if (const auto window = reader.int32()) activeWindow_ = *window;
                break;
            case kTabClosedOld:
            case kTabClosed:
                if (const auto tab = reader.int32()) closeTab(*tab);
                break;
            case kWindowClosedOld:
            case kWindowClosed:
                if (const auto window = reader.int32()) {
                    Window& closed = windowAt(*window);
                    closed = Window{0, closed.closes + 1, false};
                }
                break;
            case kUpdateTabNavigation:
                if (const auto fields = navigationFields(payload)) {
                    if (Tab* tab = tabAt(fields->tab)) {
                        const auto [entry, added] =
                            tab->navigations.insert_or_assign(fields->index, commandOffset);
                        if (added) ++navigationCount_;
                    }
                }
                break;
            case kNavigationPrunedFromBack:
                if (const auto tab = reader.int32(), count = reader.int32(); tab && count)
                    prune(*tab, *count, INT32_MAX);
                break;
            case kNavigationPrunedFromFront:
                if (const auto tab = reader.int32(), count = reader.int32(); tab && count)
                    prune(*tab, 0, *count);
                break;
            case kNavigationPruned:
                if (const auto tab = reader.int32(), index = reader.int32(), count = reader.int32();
                    tab && index && count) {
                    prune(*tab, *index, *count);
                }
                break;
            default:
                break;
        }
        withinBounds_ = withinBounds_ && tabs_.size() + windows_.size() <= kMaxTabsAndWindows &&
                        navigationCount_ <= kMaxNavigations &&
                        shiftedNavigations_ <= kMaxShiftedNavigations;
        return withinBounds_;
    }

    std::optional<BrowserPage> selectedPage() const {
        if (!withinBounds_) return std::nullopt;
        const auto window = shownWindow();
        if (!window) return std::nullopt;
        std::vector<const Tab*> inWindow;
        for (const auto& [id, tab] : tabs_) {
            if (tab.window == *window && shows(tab)) inWindow.push_back(&tab);
        }
        std::sort(inWindow.begin(), inWindow.end(), [](const Tab* left, const Tab* right) {
            return std::tie(left->visualIndex, left->order) <
                   std::tie(right->visualIndex, right->order);
        });
        const std::int32_t selected = windows_.at(*window).selectedTab;
        const Tab& tab = *inWindow[std::size_t(
            std::clamp<std::int32_t>(selected, 0, std::int32_t(inWindow.size()) - 1))];
        // The current entry, else the nearest before it, else the first.
        auto entry = tab.navigations.upper_bound(tab.currentNavigation);
        if (entry != tab.navigations.begin()) --entry;
        return pageOfCommand(entry->second);
    }

private:
    static bool live(const Tab& tab) { return tab.windowOpening == tab.windowState->closes; }

    static bool shows(const Tab& tab) {
        return !tab.navigations.empty() && live(tab) && tab.windowState->open;
    }

    Window& windowAt(std::int32_t id) { return windows_[id]; }

    // The tab, made anew when it was gone.
    Tab* tabAt(std::int32_t id) {
        auto [found, added] = tabs_.try_emplace(id);
        if (!added && live(found->second)) return &found->second;
        navigationCount_ -= found->second.navigations.size();
        // Until it joins a window the tab counts as in window 0.
        const Window& unassigned = windowAt(0);
        found->second = Tab{};
        found->second.windowState = &unassigned;
        found->second.windowOpening = unassigned.closes;
        found->second.order = nextOrder_++;
        return &found->second;
    }

    void closeTab(std::int32_t id) {
        const auto found = tabs_.find(id);
        if (found == tabs_.end()) return;
        navigationCount_ -= found->second.navigations.size();
        tabs_.erase(found);
    }

    // Removes count entries from index on; later entries move down by count.
    void prune(std::int32_t id, std::int32_t index, std::int32_t count) {
        const auto found = tabs_.find(id);
        if (found == tabs_.end() || !live(found->second) || count <= 0 || index < 0) return;
        Tab& tab = found->second;
        const std::int64_t end = std::int64_t(index) + count;
        NavigationCommands& navigations = tab.navigations;
        const auto first = navigations.lower_bound(index);
        const auto last =
            end > INT32_MAX ? navigations.end() : navigations.lower_bound(std::int32_t(end));
        for (auto gone = first; gone != last;) {
            gone = navigations.erase(gone);
            --navigationCount_;
        }
        // The later entries keep their order, so each goes back in at the end.
        std::vector<NavigationCommands::node_type> later;
        for (auto moved = last; moved != navigations.end();)
            later.push_back(navigations.extract(moved++));
        shiftedNavigations_ += later.size();
        for (auto& node : later) {
            node.key() -= count;
            navigations.insert(navigations.end(), std::move(node));
        }
        if (tab.currentNavigation >= end)
            tab.currentNavigation -= count;
        else if (tab.currentNavigation >= index)
            tab.currentNavigation = std::max(0, index - 1);
    }

    // The active window when it still shows tabs, else the first one that does.
    std::optional<std::int32_t> shownWindow() const {
        std::optional<std::int32_t> first;
        for (const auto& [id, tab] : tabs_) {
            if (!shows(tab)) continue;
            if (activeWindow_ && tab.window == *activeWindow_) return activeWindow_;
            if (!first || tab.window < *first) first = tab.window;
        }
        return first;
    }

    std::optional<BrowserPage> pageOfCommand(std::uint32_t offset) const {
        const std::size_t size =
            std::uint8_t(file_[offset]) | (std::uint8_t(file_[offset + 1]) << 8);
        const auto fields = navigationFields(file_.substr(offset + 3, size - 1));
        if (!fields || fields->url.empty()) return std::nullopt;
        return BrowserPage{std::string(fields->url), utf16ToUtf8(fields->title)};
    }

    std::string_view file_;
    std::unordered_map<std::int32_t, Tab> tabs_;
    std::unordered_map<std::int32_t, Window> windows_;
    std::optional<std::int32_t> activeWindow_;
    std::uint64_t nextOrder_ = 0;
    std::size_t navigationCount_ = 0;
    std::size_t shiftedNavigations_ = 0;
    bool withinBounds_ = true;
};

// A string member of an object member, or the first element of an array there.
std::optional<std::string> stringAt(const JsonText& json, std::string_view first,
                                    std::string_view second) {
    const auto outer = json.members(json.value(), {first})[0];
    const auto inner = outer ? json.members(*outer, {second})[0] : std::nullopt;
    if (!inner) return std::nullopt;
    if (const auto text = jsonString(inner)) return text;
    return jsonString(json.elementOrLast(*inner, 0));
}

// A profile name from Local State must stay inside the user-data folder.
bool safeFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

std::optional<BrowserPage> chromiumSessionPage(std::string_view file) {
    constexpr std::string_view kMagic = "SNSS";
    if (file.size() < 8 || file.size() > kMaxChromiumSessionFile || file.substr(0, 4) != kMagic)
        return std::nullopt;
    const std::int32_t version = PayloadReader(file.substr(4, 4)).int32().value_or(0);
    if (version != 1 && version != 3) return std::nullopt;  // 2 and 4 are enciphered
    SessionState state(file);
    for (std::size_t offset = 8; file.size() - offset >= 2;) {
        const std::size_t size = std::uint8_t(file[offset]) | (std::uint8_t(file[offset + 1]) << 8);
        if (size == 0 || file.size() - offset - 2 < size) break;
        if (!state.apply(std::uint32_t(offset), std::uint8_t(file[offset + 2]),
                         file.substr(offset + 3, size - 1)))
            return std::nullopt;
        offset += 2 + size;
    }
    return state.selectedPage();
}

std::string chromiumLastUsedProfile(std::string_view localState) {
    if (const auto json = JsonText::read(localState)) {
        for (const char* member : {"last_used", "last_active_profiles"}) {
            const auto name = stringAt(*json, "profile", member);
            if (name && safeFolderName(*name)) return *name;
        }
    }
    return "Default";
}

std::filesystem::path chromiumNewestSession(const std::filesystem::path& profile) {
    constexpr std::string_view kPrefix = "Session_";
    std::filesystem::path newest;
    std::uint64_t newestTime = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(profile / "Sessions", error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!name.starts_with(kPrefix)) continue;
        std::uint64_t time = 0;
        const char* last = name.data() + name.size();
        const auto [stop, failed] = std::from_chars(name.data() + kPrefix.size(), last, time);
        if (failed != std::errc() || stop != last) continue;
        if (newest.empty() || time > newestTime) {
            newest = entry->path();
            newestTime = time;
        }
    }
    return newest;
}

std::optional<pid_t> chromiumProcess(const std::filesystem::path& userData,
                                     std::string_view hostName, const LockHolderAlive& alive) {
    const std::filesystem::path link = userData / "SingletonLock";
    const auto pid = lockLinkPid(link, '-');
    if (!pid || !alive(*pid)) return std::nullopt;
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(link, error).string();
    if (error || target != std::string(hostName) + "-" + std::to_string(*pid)) return std::nullopt;
    return pid;
}

std::string pageTitleFromWindow(std::string_view windowTitle, std::string_view suffix) {
    const std::size_t at = windowTitle.rfind(suffix);
    return suffix.empty() || at == std::string_view::npos ? std::string()
                                                          : std::string(windowTitle.substr(0, at));
}

std::optional<std::uint16_t> devToolsPort(std::string_view activePortFile) {
    const std::string_view line = activePortFile.substr(0, activePortFile.find('\n'));
    unsigned port = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), port);
    const bool wholeLine = end == line.data() + line.size() || *end == '\r';
    if (error != std::errc() || !wholeLine || port == 0 || port > 65535) return std::nullopt;
    return std::uint16_t(port);
}

std::optional<BrowserPage> devToolsFirstPage(std::string_view targetList) {
    const auto json = JsonText::read(targetList);
    if (!json) return std::nullopt;
    std::optional<BrowserPage> page;
    json->forEachElement(json->value(), [&](std::string_view target) {
        const auto members = json->members(target, {"type", "url", "title"});
        if (jsonString(members[0]) != "page") return true;
        auto url = jsonString(members[1]);
        if (url && !url->empty())
            page = BrowserPage{std::move(*url), jsonString(members[2]).value_or("")};
        return false;
    });
    return page;
}

std::filesystem::path chromiumSessionFile(const std::filesystem::path& userData) {
    const auto localState = readBoundedFile(userData / "Local State", kMaxLocalStateFile);
    const auto profile =
        userData /
        chromiumLastUsedProfile(localState ? std::string_view(*localState) : std::string_view());
    const auto session = chromiumNewestSession(profile);
    return session.empty() ? chromiumNewestSession(userData) : session;
}

std::optional<BrowserPage> chromiumPage(const std::filesystem::path& userData, pid_t process,
                                        const std::filesystem::path& sessionFile,
                                        std::string_view titleSuffix,
                                        const WindowTitleOfProcess& windowTitle) {
    if (const auto activePort = readBoundedFile(userData / "DevToolsActivePort", 4096)) {
        if (const auto port = devToolsPort(*activePort)) {
            const auto list =
                loopbackHttpGet(*port, "/json/list", kDevToolsLimit, kMaxDevToolsList);
            if (const auto page = list ? devToolsFirstPage(*list) : std::nullopt) return page;
        }
    }
    if (sessionFile.empty()) return std::nullopt;
    const auto file = readBoundedFile(sessionFile, kMaxChromiumSessionFile);
    auto page = file ? chromiumSessionPage(*file) : std::nullopt;
    if (page && page->title.empty() && windowTitle)
        page->title = pageTitleFromWindow(windowTitle(process), titleSuffix);
    return page;
}

}  // namespace zn
