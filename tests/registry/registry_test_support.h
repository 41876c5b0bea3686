// Temporary folders, environment overrides and the sample entries shared by
// the store and znreg tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "tests/fakes/temp_folder.h"
#include "vault/entry_cipher.h"
#include "vault/record.h"

namespace zn::testing {

// Sets or clears one variable for the scope of a test.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value)
        : name_(std::move(name)) {
        if (const char* old = ::getenv(name_.c_str())) previous_ = old;
        apply(value);
    }
    ~ScopedEnvironment() { apply(previous_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void apply(const std::optional<std::string>& value) {
#ifdef _WIN32
        // An empty value removes the variable.
        ::_putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
#endif
    }
    std::string name_;
    std::optional<std::string> previous_;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

inline const std::string& sampleVerifier() {
    static const std::string verifier = MakeVerifier("correct horse");
    return verifier;
}

// Under sampleVerifier() this entry enciphers to a text holding a zero byte
// and bytes above 0x7F: the cases a store that treats data as C text loses.
inline BookmarkEntry entryWithZeroInCiphertext() {
    return {"https://halvorn.example/", "\xFBlvorn", "alice", "p\xE4ss"};
}

}  // namespace zn::testing
