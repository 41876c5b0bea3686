// libFuzzer targets for the browser file readers, one per build
// (FUZZ_FIREFOX_SESSION, FUZZ_CHROMIUM_SESSION, FUZZ_LOCAL_STATE,
// FUZZ_DEVTOOLS_LIST). Slowness and memory growth count as findings through
// the fuzzer's limits. The JSON readers are also held to a reference built on
// a DOM parser: where it takes the text, they must give what it gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "platform/linux/chromium_session.h"
#include "platform/linux/firefox_session.h"
#include "platform/linux/json_reader.h"

namespace {

using nlohmann::json;

bool same(const std::optional<zn::BrowserPage>& left, const std::optional<zn::BrowserPage>& right) {
    return left.has_value() == right.has_value() &&
           (!left || (left->url == right->url && left->title == right->title));
}

// A DOM parser rounds numbers past 64 bits to floating point, where the reader
// takes the nearest end of the range: such texts are not compared.
bool hasHugeNumber(std::string_view text) {
    std::size_t run = 0;
    for (const char c : text) {
        run = c >= '0' && c <= '9' ? run + 1 : 0;
        if (run > 18) return true;
    }
    return false;
}

// What the DOM parser takes the reader must take too, nested at any depth.
// That parser ends a text at its first zero byte where the reader refuses
// one, so both are given the text up to it.
void checkAccepted(std::string_view text, const json& parsed) {
    if (!parsed.is_discarded() && !zn::jsonValid(text, SIZE_MAX)) std::abort();
}

[[maybe_unused]] std::size_t referenceIndex(const json& object, const char* member,
                                            std::size_t fallback) {
    const auto found = object.find(member);
    if (found == object.end()) return fallback;
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        return value < 1 ? 0 : std::size_t(value - 1);
    }
    if (found->is_number_integer()) {
        const auto value = found->get<std::int64_t>();
        return value < 1 ? 0 : std::size_t(value - 1);
    }
    return fallback;
}

[[maybe_unused]] const json* referenceElement(const json& object, const char* member,
                                              std::size_t index) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(member);
    if (found == object.end() || !found->is_array() || found->empty()) return nullptr;
    return &(*found)[std::min(index, found->size() - 1)];
}

[[maybe_unused]] std::string referenceString(const json& object, const char* member) {
    const auto found = object.find(member);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

[[maybe_unused]] std::optional<zn::BrowserPage> referenceFirefoxPage(const json& session) {
    const json* window =
        referenceElement(session, "windows", referenceIndex(session, "selectedWindow", 0));
    const json* tab =
        window ? referenceElement(*window, "tabs", referenceIndex(*window, "selected", 0))
               : nullptr;
    const json* entry =
        tab ? referenceElement(*tab, "entries", referenceIndex(*tab, "index", SIZE_MAX)) : nullptr;
    if (!entry || !entry->is_object()) return std::nullopt;
    zn::BrowserPage page{referenceString(*entry, "url"), referenceString(*entry, "title")};
    if (page.url.empty()) return std::nullopt;
    return page;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    [[maybe_unused]] const std::string_view text = input.substr(0, input.find('\0'));
#if defined(FUZZ_FIREFOX_SESSION)
    if (const auto inflated = zn::inflateMozLz4(input)) zn::firefoxSelectedPage(*inflated);
    const json parsed = json::parse(text, nullptr, false);
    checkAccepted(text, parsed);
    const auto page = zn::firefoxSelectedPage(text);
    if (!parsed.is_discarded() && zn::jsonValid(text) && !hasHugeNumber(text) &&
        !same(page, referenceFirefoxPage(parsed)))
        std::abort();
#elif defined(FUZZ_CHROMIUM_SESSION)
    // Most inputs get past the header this way.
    zn::chromiumSessionPage(std::string("SNSS\3\0\0\0", 8) + std::string(input));
    const auto page = zn::chromiumSessionPage(input);
    if (page && page->url.empty()) std::abort();
#elif defined(FUZZ_LOCAL_STATE)
    checkAccepted(text, json::parse(text, nullptr, false));
    const std::string profile = zn::chromiumLastUsedProfile(input);
    if (profile.empty() || profile == "." || profile == ".." ||
        profile.find('/') != std::string::npos || profile.find('\0') != std::string::npos)
        std::abort();
#elif defined(FUZZ_DEVTOOLS_LIST)
    checkAccepted(text, json::parse(text, nullptr, false));
    const auto page = zn::devToolsFirstPage(input);
    if (page && page->url.empty()) std::abort();
#endif
    return 0;
}
