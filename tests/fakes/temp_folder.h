// A private temporary folder, removed with everything in it at the end of its scope.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace zn::testing {

class TempFolder {
public:
    TempFolder() {
#ifdef _WIN32
        // No mkdtemp: try fresh random names until one is ours.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            auto candidate = std::filesystem::temp_directory_path() /
                             ("zintrel-" + std::to_string(random()));
            std::error_code failed;
            if (std::filesystem::create_directory(candidate, failed)) path_ = candidate;
        }
        if (path_.empty()) throw std::runtime_error("no temporary folder could be made");
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "zintrel-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const {
        return path_;
    }
    std::filesystem::path operator/(const std::string& name) const {
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

}  // namespace zn::testing
