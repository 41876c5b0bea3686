// The real file system of the platform the tests run on, with what a test
// makes fail (folders that cannot be listed, files that cannot be read,
// rewritten, copied or deleted) and, for setup, a home folder and a current
// folder of the test's own.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/fakes/native_file_system.h"

namespace zn::testing {

class TestFileSystem : public NativeFileSystem {
public:
    // Empty: the real one.
    std::string current;
    std::string home;  // also moves the Windows folder and the places beneath it
    std::set<std::string> unlistable, unreadable, unwritable;
    std::set<std::string> failingCopies;  // by destination
    std::set<std::string> failingDeletions;
    std::function<void(const std::string&)> beforeDelete;

    std::string currentFolder() const override {
        return current.empty() ? NativeFileSystem::currentFolder() : current;
    }
    std::string homeFolder() const override {
        return home.empty() ? NativeFileSystem::homeFolder() : home;
    }
    std::string windowsFolder() const override {
        if (home.empty()) return NativeFileSystem::windowsFolder();
        return (std::filesystem::path(home) / ".local" / "bin").make_preferred().string();
    }
    std::vector<std::string> places() const override {
        if (home.empty()) return NativeFileSystem::places();
        return {home, root()};
    }
    std::string root() const { return std::filesystem::path(homeFolder()).root_path().string(); }

    std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder) const override {
        if (unlistable.count(folder)) return std::nullopt;
        return NativeFileSystem::listFolder(folder);
    }
    std::optional<std::string> readWholeFile(const std::string& path) const override {
        if (unreadable.count(path)) return std::nullopt;
        return NativeFileSystem::readWholeFile(path);
    }
    bool replaceFile(const std::string& path, const std::string& content) override {
        return !unwritable.count(path) && NativeFileSystem::replaceFile(path, content);
    }
    bool copyFile(const std::string& from, const std::string& to) override {
        return !failingCopies.count(to) && NativeFileSystem::copyFile(from, to);
    }
    bool deleteFile(const std::string& path) override {
        if (beforeDelete) beforeDelete(path);
        return !failingDeletions.count(path) && NativeFileSystem::deleteFile(path);
    }
};

}  // namespace zn::testing
