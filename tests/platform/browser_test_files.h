// Browser files as the browsers write them, for the tests of the readers
// and of the places the page query looks in.
#pragma once

#include <lz4.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <ostream>
#include <string>

#include "platform/linux/browser_files.h"

namespace zn {

inline bool operator==(const BrowserPage& left, const BrowserPage& right) {
    return left.url == right.url && left.title == right.title;
}
inline void PrintTo(const BrowserPage& page, std::ostream* out) {
    *out << "{" << page.url << ", " << page.title << "}";
}

namespace testing {

inline void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

inline std::string mozLz4(const std::string& text, std::uint32_t declared) {
    std::string block(std::size_t(LZ4_compressBound(int(text.size()))), '\0');
    block.resize(std::size_t(
        LZ4_compress_default(text.data(), block.data(), int(text.size()), int(block.size()))));
    std::string file("mozLz40\0", 8);
    for (int byte = 0; byte < 4; ++byte) file += char(declared >> (8 * byte));
    return file + block;
}

inline std::string mozLz4(const std::string& text) {
    return mozLz4(text, std::uint32_t(text.size()));
}

// A process id that no longer names a process.
inline pid_t deadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

inline std::string thisHost() {
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

// Session commands as the browser writes them.
class SessionWriter {
public:
    SessionWriter& command(std::uint8_t id, std::initializer_list<std::int32_t> fields) {
        std::string payload;
        for (const auto field : fields) appendInt(payload, field);
        return raw(id, payload);
    }
    SessionWriter& navigation(std::int32_t tab, std::int32_t index, const std::string& url,
                              const std::u16string& title) {
        std::string pickle;
        appendInt(pickle, tab);
        appendInt(pickle, index);
        appendInt(pickle, std::int32_t(url.size()));
        pickle += url;
        pad(pickle);
        appendInt(pickle, std::int32_t(title.size()));
        for (const char16_t unit : title) pickle += {char(unit & 0xFF), char(unit >> 8)};
        pad(pickle);
        std::string payload;
        appendInt(payload, std::int32_t(pickle.size()));
        return raw(6, payload + pickle);
    }
    SessionWriter& raw(std::uint8_t id, const std::string& payload) {
        const std::size_t size = payload.size() + 1;
        file_ += {char(size & 0xFF), char(size >> 8), char(id)};
        file_ += payload;
        return *this;
    }
    const std::string& file() const { return file_; }

private:
    static void appendInt(std::string& out, std::int32_t value) {
        for (int byte = 0; byte < 4; ++byte) out += char(std::uint32_t(value) >> (8 * byte));
    }
    static void pad(std::string& out) { out.resize((out.size() + 3) & ~std::size_t(3), '\0'); }

    std::string file_{"SNSS\3\0\0\0", 8};
};

}  // namespace testing
}  // namespace zn
