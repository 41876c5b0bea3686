// libFuzzer target for the .reg reader. Any input either fails with a
// RegToolError or reads; what it read is written back, in both file forms,
// and must read back to the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "znreg/reg_file.h"

namespace {

using zn::regtool::CodePage;
using zn::regtool::ExportedKey;
using zn::regtool::RegFileChange;
using zn::regtool::RegFileFormat;
using zn::regtool::RegToolError;

std::vector<RegFileChange> parse(const std::string& text, CodePage codePage) {
    try {
        return zn::regtool::parseRegFile(text, "fuzz.reg", codePage);
    } catch (const RegToolError&) {
        return {};
    }
}

// Each value set goes out alone under its key and must come back the same.
void checkRoundTrip(const RegFileChange& change, const RegFileFormat& format) {
    const ExportedKey key{change.key, {{change.valueName, change.value}}};
    const auto back = zn::regtool::parseRegFile(zn::regtool::writeRegFile({key}, format),
                                                "back.reg", format.codePage);
    if (back.size() != 2 || back[1].kind != RegFileChange::Kind::SetValue ||
        back[1].key.path != change.key.path || back[1].valueName != change.valueName ||
        back[1].value.type != change.value.type || back[1].value.data != change.value.data)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    parse(text, CodePage::Utf8);
    for (const auto& change : parse(text, CodePage::Windows1252)) {
        if (change.kind != RegFileChange::Kind::SetValue) continue;
        checkRoundTrip(change, {});
        checkRoundTrip(change, {.v5 = true, .codePage = CodePage::Windows1252});
    }
    return 0;
}
