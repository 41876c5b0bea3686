#include "platform/linux/x11_window_list.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_set>

namespace zn {
namespace {

// A name longer than this is cut (at a character boundary); the rules read
// at most a few hundred bytes of any title.
constexpr std::uint32_t kMaxNameBytes = 4096;
// A bound on the windows one visit walks, whatever the client tree holds.
constexpr std::size_t kMaxDescendants = 100'000;

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPointer<Reply> owned(Reply* reply) {
    return ReplyPointer<Reply>(reply, &std::free);
}

xcb_atom_t internAtom(xcb_connection_t* connection, const std::string& name) {
    const auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(name.size()), name.c_str()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Drops an incomplete UTF-8 sequence left at the end by the cut.
void dropCutCharacter(std::string& text) {
    std::size_t start = text.size();
    while (start > 0 && (std::uint8_t(text[start - 1]) & 0xC0) == 0x80) --start;
    if (start == 0) return;
    const auto lead = std::uint8_t(text[start - 1]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (text.size() - (start - 1) < length) text.resize(start - 1);
}

// WM_NAME of type STRING is Latin-1.
std::string latin1ToUtf8(std::string_view text) {
    std::string converted;
    for (const char character : text) {
        const auto byte = std::uint8_t(character);
        if (byte < 0x80) {
            converted += character;
        } else {
            converted += char(0xC0 | (byte >> 6));
            converted += char(0x80 | (byte & 0x3F));
        }
    }
    return converted;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return fold(x) == fold(y);
    });
}

}  // namespace

X11WindowList::X11WindowList(const char* displayName)
    : displayName_(displayName ? displayName : ""), useDefaultDisplay_(displayName == nullptr) {}

X11WindowList::~X11WindowList() {
    if (connection_) xcb_disconnect(connection_);
}

// Connects on first use and again after the server went away.
bool X11WindowList::connected() {
    if (connection_ && !xcb_connection_has_error(connection_)) return true;
    if (connection_) xcb_disconnect(connection_);
    int screenNumber = 0;
    connection_ = xcb_connect(useDefaultDisplay_ ? nullptr : displayName_.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_)) return false;
    auto screen = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screen.rem; ++i) xcb_screen_next(&screen);
    if (!screen.rem) return false;
    root_ = screen.data->root;
    stackingAtom_ = internAtom(connection_, "_NET_CLIENT_LIST_STACKING");
    netNameAtom_ = internAtom(connection_, "_NET_WM_NAME");
    utf8Atom_ = internAtom(connection_, "UTF8_STRING");
    pidAtom_ = internAtom(connection_, "_NET_WM_PID");
    return true;
}

std::vector<xcb_window_t> X11WindowList::childrenTopFirst(xcb_window_t window) {
    const auto tree =
        owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!tree) return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    std::vector<xcb_window_t> topFirst(children,
                                       children + xcb_query_tree_children_length(tree.get()));
    std::reverse(topFirst.begin(), topFirst.end());  // the server lists bottom to top
    return topFirst;
}

std::vector<xcb_window_t> X11WindowList::frontToBack() {
    std::vector<xcb_window_t> windows;
    const auto stacking = owned(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, stackingAtom_, XCB_ATOM_WINDOW, 0, 1u << 16),
        nullptr));
    if (stackingAtom_ != XCB_ATOM_NONE && stacking && stacking->type == XCB_ATOM_WINDOW &&
        stacking->format == 32) {
        const auto* listed =
            static_cast<const xcb_window_t*>(xcb_get_property_value(stacking.get()));
        windows.assign(listed, listed + xcb_get_property_value_length(stacking.get()) / 4);
        std::reverse(windows.begin(), windows.end());
    }
    const std::unordered_set<xcb_window_t> managed(windows.begin(), windows.end());
    for (const xcb_window_t child : childrenTopFirst(root_)) {
        if (!managed.count(child)) windows.push_back(child);
    }
    return windows;
}

// All requests go out before the first reply is awaited: one round trip for
// the whole list.
std::vector<std::string> X11WindowList::names(const std::vector<xcb_window_t>& windows) {
    constexpr std::uint32_t kLongs = kMaxNameBytes / 4;
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows) {
        cookies.emplace_back(
            xcb_get_property(connection_, 0, window, netNameAtom_, utf8Atom_, 0, kLongs),
            xcb_get_property(connection_, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                             kLongs));
    }
    std::vector<std::string> result;
    result.reserve(windows.size());
    for (const auto& [netName, wmName] : cookies) {
        const auto utf8 = owned(xcb_get_property_reply(connection_, netName, nullptr));
        const auto legacy = owned(xcb_get_property_reply(connection_, wmName, nullptr));
        std::string name;
        if (utf8 && utf8->type == utf8Atom_ && utf8->format == 8 &&
            xcb_get_property_value_length(utf8.get()) > 0) {
            name.assign(static_cast<const char*>(xcb_get_property_value(utf8.get())),
                        std::size_t(xcb_get_property_value_length(utf8.get())));
        } else if (legacy && legacy->format == 8) {
            const std::string_view text(
                static_cast<const char*>(xcb_get_property_value(legacy.get())),
                std::size_t(xcb_get_property_value_length(legacy.get())));
            name = legacy->type == XCB_ATOM_STRING ? latin1ToUtf8(text) : std::string(text);
        }
        name.resize(std::min(name.find('\0'), name.size()));
        dropCutCharacter(name);
        result.push_back(std::move(name));
    }
    return result;
}

std::vector<TopLevelWindow> X11WindowList::topLevelWindows() {
    if (!connected()) return {};
    const auto windows = frontToBack();
    const auto titles = names(windows);
    discardEvents();
    std::vector<TopLevelWindow> list;
    list.reserve(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) list.push_back({windows[i], titles[i]});
    return list;
}

WindowHandle X11WindowList::findWindow(const std::string& title) {
    for (const auto& window : topLevelWindows()) {
        if (window.title == title) return window.handle;
    }
    return 0;
}

bool X11WindowList::existsTitled(const std::string& title) {
    if (!connected()) return false;
    std::vector<xcb_window_t> windows;
    for (const xcb_window_t top : childrenTopFirst(root_)) {
        windows.push_back(top);
        // A window manager's frame holds the program's window one level down.
        const auto inner = childrenTopFirst(top);
        windows.insert(windows.end(), inner.begin(), inner.end());
    }
    const auto titles = names(windows);
    discardEvents();
    return std::any_of(titles.begin(), titles.end(), [&title](const std::string& name) {
        return equalIgnoringAsciiCase(name, title);
    });
}

std::string X11WindowList::frontTitleOf(pid_t process) {
    if (!connected() || process <= 0) return {};
    const auto windows = frontToBack();
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows)
        cookies.push_back(
            xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1));
    std::vector<xcb_window_t> ofProcess;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto reply = owned(xcb_get_property_reply(connection_, cookies[i], nullptr));
        if (reply && reply->type == XCB_ATOM_CARDINAL && reply->format == 32 &&
            xcb_get_property_value_length(reply.get()) == 4 &&
            *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())) ==
                std::uint32_t(process)) {
            ofProcess.push_back(windows[i]);
        }
    }
    // A browser keeps an unmapped leader window of its own, named after the
    // program, that may stack above the window the user sees: a shown
    // window's title comes first.
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    attributeCookies.reserve(ofProcess.size());
    for (const xcb_window_t window : ofProcess)
        attributeCookies.push_back(xcb_get_window_attributes(connection_, window));
    std::vector<bool> viewable;
    for (const auto& cookie : attributeCookies) {
        const auto attributes =
            owned(xcb_get_window_attributes_reply(connection_, cookie, nullptr));
        viewable.push_back(attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE);
    }
    std::string title;
    std::string hiddenTitle;
    auto titles = names(ofProcess);
    for (std::size_t i = 0; i < titles.size() && title.empty(); ++i) {
        if (titles[i].empty()) continue;
        if (viewable[i])
            title = std::move(titles[i]);
        else if (hiddenTitle.empty())
            hiddenTitle = std::move(titles[i]);
    }
    discardEvents();
    return title.empty() ? hiddenTitle : title;
}

// Errors about windows that went away while we asked arrive as events on a
// connection that otherwise receives none; they would only pile up.
void X11WindowList::discardEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
}

// Depth first, each window before its children, topmost child first.
void X11WindowList::visitDescendants(WindowHandle window,
                                     const std::function<bool(const std::string& text)>& visit) {
    if (!connected() || window == 0 || window > UINT32_MAX) return;
    std::vector<xcb_window_t> order;
    std::vector<xcb_window_t> pending = childrenTopFirst(xcb_window_t(window));
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty() && order.size() < kMaxDescendants) {
        const xcb_window_t next = pending.back();
        pending.pop_back();
        order.push_back(next);
        auto children = childrenTopFirst(next);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    const auto texts = names(order);
    discardEvents();
    for (const auto& text : texts) {
        if (!visit(text)) return;
    }
}

}  // namespace zn
