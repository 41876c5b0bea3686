// libFuzzer targets for the small text readers, one per build (FUZZ_COMMA_TEXT,
// FUZZ_ADDRESS_LINE, FUZZ_PROFILE_STRING): any input reads, within the limits
// the fuzzer sets on time and memory, and what it gives keeps its promises.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "capture/comma_text.h"
#include "import/bookmark_file.h"
#include "platform/profile_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
#if defined(FUZZ_COMMA_TEXT)
    for (const auto& item : zn::readCommaText(text)) {
        if (item.find('\0') != std::string::npos) std::abort();  // the reply ends at a zero byte
    }
#elif defined(FUZZ_ADDRESS_LINE)
    const auto copied = zn::addressOfLine(text);
    const auto viewed = zn::addressInLine(text);
    if (copied.has_value() != viewed.has_value() || (copied && *copied != *viewed)) std::abort();
    for (const auto& line : zn::splitTextLines(text).lines) zn::addressInLine(line);
#elif defined(FUZZ_PROFILE_STRING)
    // The first two bytes choose the buffer size and where the names end.
    if (size < 2) return 0;
    const std::size_t bufferSize = data[0];
    const std::string_view rest = text.substr(2);
    const std::size_t split = std::min<std::size_t>(data[1] % 16, rest.size());
    const std::string value =
        zn::profileStringFromText(rest.substr(split), rest.substr(0, split / 2),
                                  rest.substr(split / 2, split - split / 2), "default", bufferSize);
    if (value != "default" && bufferSize > 0 && value.size() >= bufferSize) std::abort();
#endif
    return 0;
}
