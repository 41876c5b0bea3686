#include "platform/linux/firefox_session.h"

#include <lz4.h>

#include <algorithm>
#include <cstdint>

#include "platform/linux/json_reader.h"

namespace zn {
namespace {

constexpr std::string_view kMozLz4Magic{"mozLz40\0", 8};
constexpr std::size_t kMozLz4Header = 12;
// LZ4 expands a byte of block to at most 255 bytes of text.
constexpr std::size_t kLz4MaxRatio = 255;
constexpr std::size_t kMaxSessionFile = kMozLz4Header + LZ4_COMPRESSBOUND(kMaxSessionText);
constexpr std::size_t kMaxProfilesIni = 1u << 20;

// The 1-based position a member names, as an index clamped to what exists;
// fallback when the member is no integer.
std::size_t clampedIndex(std::optional<std::string_view> member, std::size_t fallback) {
    const auto value = jsonInteger(member);
    if (!value) return fallback;
    return *value < 1 ? 0 : std::size_t(*value - 1);
}

std::filesystem::path profilePath(const std::filesystem::path& root, const std::string& path,
                                  bool relative) {
    const std::filesystem::path given(path);
    return relative && !given.is_absolute() ? root / given : given;
}

}  // namespace

std::optional<std::string> inflateMozLz4(std::string_view file) {
    if (file.size() < kMozLz4Header || file.substr(0, kMozLz4Magic.size()) != kMozLz4Magic)
        return std::nullopt;
    std::uint32_t size = 0;
    for (int byte = 3; byte >= 0; --byte) size = (size << 8) | std::uint8_t(file[8 + byte]);
    const std::string_view block = file.substr(kMozLz4Header);
    if (size > kMaxSessionText || size > block.size() * kLz4MaxRatio || block.size() > INT32_MAX)
        return std::nullopt;
    std::string text(size, '\0');
    const int inflated =
        LZ4_decompress_safe(block.data(), text.data(), int(block.size()), int(text.size()));
    if (inflated < 0 || std::uint32_t(inflated) != size) return std::nullopt;
    return text;
}

std::optional<BrowserPage> firefoxSelectedPage(std::string_view sessionJson) {
    const auto json = JsonText::read(sessionJson);
    if (!json) return std::nullopt;
    const auto session = json->members(json->value(), {"windows", "selectedWindow"});
    const auto window =
        session[0] ? json->elementOrLast(*session[0], clampedIndex(session[1], 0)) : std::nullopt;
    if (!window) return std::nullopt;
    const auto windowMembers = json->members(*window, {"tabs", "selected"});
    const auto tab = windowMembers[0]
                         ? json->elementOrLast(*windowMembers[0], clampedIndex(windowMembers[1], 0))
                         : std::nullopt;
    if (!tab) return std::nullopt;
    // Without an index the newest entry is the current one.
    const auto tabMembers = json->members(*tab, {"entries", "index"});
    const auto entry =
        tabMembers[0] ? json->elementOrLast(*tabMembers[0], clampedIndex(tabMembers[1], SIZE_MAX))
                      : std::nullopt;
    if (!entry) return std::nullopt;
    const auto entryMembers = json->members(*entry, {"url", "title"});
    BrowserPage page{jsonString(entryMembers[0]).value_or(""),
                     jsonString(entryMembers[1]).value_or("")};
    if (page.url.empty()) return std::nullopt;
    return page;
}

std::vector<std::filesystem::path> firefoxDefaultProfiles(std::string_view profilesIni,
                                                          const std::filesystem::path& root) {
    std::vector<std::filesystem::path> profiles;
    const auto sections = parseIni(profilesIni);
    for (const auto& section : sections) {
        const std::string path = section.value("Default");
        if (section.name.starts_with("Install") && !path.empty())
            profiles.push_back(profilePath(root, path, true));
    }
    for (const auto& section : sections) {
        const std::string path = section.value("Path");
        if (section.name.starts_with("Profile") && section.value("Default") == "1" && !path.empty())
            profiles.push_back(profilePath(root, path, section.value("IsRelative") != "0"));
    }
    return profiles;
}

bool firefoxRunning(const std::filesystem::path& profile, const LockHolderAlive& alive) {
    const auto pid = lockLinkPid(profile / "lock", '+');
    return pid && alive(*pid);
}

std::vector<std::filesystem::path> firefoxRunningSessions(const std::filesystem::path& root,
                                                          const LockHolderAlive& alive) {
    std::vector<std::filesystem::path> sessions;
    const auto profilesIni = readBoundedFile(root / "profiles.ini", kMaxProfilesIni);
    if (!profilesIni) return sessions;
    for (const auto& profile : firefoxDefaultProfiles(*profilesIni, root)) {
        auto session = profile / "sessionstore-backups" / "recovery.jsonlz4";
        if (std::find(sessions.begin(), sessions.end(), session) == sessions.end() &&
            firefoxRunning(profile, alive)) {
            sessions.push_back(std::move(session));
        }
    }
    return sessions;
}

std::optional<BrowserPage> firefoxSessionFilePage(const std::filesystem::path& file) {
    const auto content = readBoundedFile(file, kMaxSessionFile);
    const auto text = content ? inflateMozLz4(*content) : std::nullopt;
    return text ? firefoxSelectedPage(*text) : std::nullopt;
}

}  // namespace zn
