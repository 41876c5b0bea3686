#include "platform/linux/chromium_session.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <system_error>
#include <vector>

#include "platform/linux/loopback_http.h"
#include "platform/utf8.h"

namespace zn {
namespace {

using nlohmann::json;

constexpr std::size_t kMaxSessionFile = 64u << 20;
constexpr std::size_t kMaxLocalState = 16u << 20;
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
    std::optional<std::string> utf8String() {
        const auto length = int32();
        if (!length || *length < 0) return std::nullopt;
        const auto text = bytes(std::size_t(*length));
        return text ? std::optional<std::string>(*text) : std::nullopt;
    }
    std::optional<std::string> utf16String() {
        const auto length = int32();
        if (!length || *length < 0 || std::size_t(*length) > payload_.size() / 2)
            return std::nullopt;
        const auto units = bytes(std::size_t(*length) * 2);
        if (!units) return std::nullopt;
        std::string text;
        for (std::size_t i = 0; i < units->size(); i += 2) {
            char32_t unit = std::uint8_t((*units)[i]) | (std::uint8_t((*units)[i + 1]) << 8);
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < units->size()) {
                const char32_t low =
                    std::uint8_t((*units)[i + 2]) | (std::uint8_t((*units)[i + 3]) << 8);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            appendUtf8(text, unit);  // a lone surrogate becomes U+FFFD
        }
        return text;
    }

private:
    std::string_view payload_;
    std::size_t offset_ = 0;
};

struct Tab {
    std::int32_t window = 0;
    std::int32_t visualIndex = 0;
    std::int32_t currentNavigation = 0;
    std::uint64_t order = 0;  // when first seen: breaks ties between equal visual indices
    std::map<std::int32_t, BrowserPage> navigations;
};

struct Window {
    std::int32_t selectedTab = 0;
};

// The browser's state as the commands so far leave it.
class SessionState {
public:
    void apply(std::uint8_t command, std::string_view payload) {
        PayloadReader reader(payload);
        switch (command) {
            case kSetTabWindow: {
                const auto window = reader.int32(), tab = reader.int32();
                if (window && tab) {
                    tabAt(*tab).window = *window;
                    windows_.try_emplace(*window);
                }
                break;
            }
            case kSetTabIndexInWindow:
                if (const auto tab = reader.int32(), index = reader.int32(); tab && index)
                    tabAt(*tab).visualIndex = *index;
                break;
            case kSetSelectedNavigationIndex:
                if (const auto tab = reader.int32(), index = reader.int32(); tab && index)
                    tabAt(*tab).currentNavigation = *index;
                break;
            case kSetSelectedTabInIndex:
                if (const auto window = reader.int32(), index = reader.int32(); window && index)
                    windows_[*window].selectedTab = *index;
                break;
            case kSetActiveWindow:
                if (const auto window = reader.int32()) activeWindow_ = *window;
                break;
            case kTabClosedOld:
            case kTabClosed:
                if (const auto tab = reader.int32()) tabs_.erase(*tab);
                break;
            case kWindowClosedOld:
            case kWindowClosed:
                if (const auto window = reader.int32()) closeWindow(*window);
                break;
            case kUpdateTabNavigation:
                updateNavigation(reader);
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
    }

    std::optional<BrowserPage> selectedPage() const {
        const auto window = shownWindow();
        if (!window) return std::nullopt;
        std::vector<const Tab*> inWindow;
        for (const auto& [id, tab] : tabs_) {
            if (tab.window == *window && !tab.navigations.empty()) inWindow.push_back(&tab);
        }
        if (inWindow.empty()) return std::nullopt;
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
        if (entry->second.url.empty()) return std::nullopt;
        return entry->second;
    }

private:
    Tab& tabAt(std::int32_t id) {
        auto [found, added] = tabs_.try_emplace(id);
        if (added) found->second.order = nextOrder_++;
        return found->second;
    }

    void closeWindow(std::int32_t window) {
        windows_.erase(window);
        std::erase_if(tabs_, [window](const auto& entry) { return entry.second.window == window; });
    }

    // The pickled navigation: payload size, tab, index, URL, UTF-16 title, then
    // fields we do not need.
    void updateNavigation(PayloadReader& reader) {
        const auto size = reader.int32(), tab = reader.int32(), index = reader.int32();
        auto url = reader.utf8String();
        auto title = reader.utf16String();
        if (!size || !tab || !index || *index < 0 || !url || !title) return;
        tabAt(*tab).navigations[*index] = BrowserPage{std::move(*url), std::move(*title)};
    }

    // Removes count entries from index on; later entries move down by count.
    void prune(std::int32_t id, std::int32_t index, std::int32_t count) {
        const auto found = tabs_.find(id);
        if (found == tabs_.end() || count <= 0 || index < 0) return;
        Tab& tab = found->second;
        const std::int64_t end = std::int64_t(index) + count;
        std::map<std::int32_t, BrowserPage> kept;
        for (auto& [position, page] : tab.navigations) {
            if (position < index) kept.emplace(position, std::move(page));
            if (position >= end) kept.emplace(std::int32_t(position - count), std::move(page));
        }
        tab.navigations = std::move(kept);
        if (tab.currentNavigation >= end)
            tab.currentNavigation -= count;
        else if (tab.currentNavigation >= index)
            tab.currentNavigation = std::max(0, index - 1);
    }

    // The active window when it still has tabs, else the first one that has.
    std::optional<std::int32_t> shownWindow() const {
        const auto hasTabs = [this](std::int32_t window) {
            return windows_.count(window) &&
                   std::any_of(tabs_.begin(), tabs_.end(), [window](const auto& entry) {
                       return entry.second.window == window && !entry.second.navigations.empty();
                   });
        };
        if (activeWindow_ && hasTabs(*activeWindow_)) return activeWindow_;
        for (const auto& [id, window] : windows_) {
            if (hasTabs(id)) return id;
        }
        return std::nullopt;
    }

    std::map<std::int32_t, Tab> tabs_;
    std::map<std::int32_t, Window> windows_;
    std::optional<std::int32_t> activeWindow_;
    std::uint64_t nextOrder_ = 0;
};

std::optional<std::string> stringAt(const json& object, const char* first, const char* second) {
    const auto outer = object.find(first);
    if (outer == object.end() || !outer->is_object()) return std::nullopt;
    const auto inner = outer->find(second);
    if (inner == outer->end()) return std::nullopt;
    if (inner->is_string()) return inner->get<std::string>();
    if (inner->is_array() && !inner->empty() && inner->front().is_string())
        return inner->front().get<std::string>();
    return std::nullopt;
}

// A profile name from Local State must stay inside the user-data folder.
bool safeFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

std::optional<BrowserPage> chromiumSessionPage(std::string_view file) {
    constexpr std::string_view kMagic = "SNSS";
    if (file.size() < 8 || file.substr(0, 4) != kMagic) return std::nullopt;
    const std::int32_t version = PayloadReader(file.substr(4, 4)).int32().value_or(0);
    if (version != 1 && version != 3) return std::nullopt;  // 2 and 4 are enciphered
    SessionState state;
    for (std::size_t offset = 8; file.size() - offset >= 2;) {
        const std::size_t size = std::uint8_t(file[offset]) | (std::uint8_t(file[offset + 1]) << 8);
        offset += 2;
        if (size == 0 || file.size() - offset < size) break;
        state.apply(std::uint8_t(file[offset]), file.substr(offset + 1, size - 1));
        offset += size;
    }
    return state.selectedPage();
}

std::string chromiumLastUsedProfile(std::string_view localState) {
    const json state = json::parse(localState, nullptr, false);
    if (state.is_object()) {
        for (const char* member : {"last_used", "last_active_profiles"}) {
            const auto name = stringAt(state, "profile", member);
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
                                     std::string_view hostName) {
    const std::filesystem::path link = userData / "SingletonLock";
    const auto pid = lockLinkPid(link, '-');
    if (!pid || !processAlive(*pid)) return std::nullopt;
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
    const json targets = json::parse(targetList, nullptr, false);
    if (!targets.is_array()) return std::nullopt;
    for (const auto& target : targets) {
        if (!target.is_object() || target.value("type", json()) != "page") continue;
        const auto url = target.find("url");
        if (url == target.end() || !url->is_string() || url->get<std::string>().empty())
            return std::nullopt;
        const auto title = target.find("title");
        return BrowserPage{url->get<std::string>(), title != target.end() && title->is_string()
                                                        ? title->get<std::string>()
                                                        : std::string()};
    }
    return std::nullopt;
}

std::optional<BrowserPage> chromiumPage(const std::filesystem::path& userData,
                                        std::string_view hostName, std::string_view titleSuffix,
                                        const WindowTitleOfProcess& windowTitle) {
    const auto process = chromiumProcess(userData, hostName);
    if (!process) return std::nullopt;
    if (const auto activePort = readBoundedFile(userData / "DevToolsActivePort", 4096)) {
        if (const auto port = devToolsPort(*activePort)) {
            const auto list = loopbackHttpGet(*port, "/json/list", kDevToolsLimit);
            if (const auto page = list ? devToolsFirstPage(*list) : std::nullopt) return page;
        }
    }
    const auto localState = readBoundedFile(userData / "Local State", kMaxLocalState);
    const auto profile = userData / chromiumLastUsedProfile(localState.value_or(""));
    const auto session = chromiumNewestSession(profile);
    if (session.empty()) return std::nullopt;
    const auto file = readBoundedFile(session, kMaxSessionFile);
    auto page = file ? chromiumSessionPage(*file) : std::nullopt;
    if (page && page->title.empty() && windowTitle)
        page->title = pageTitleFromWindow(windowTitle(*process), titleSuffix);
    return page;
}

}  // namespace zn
