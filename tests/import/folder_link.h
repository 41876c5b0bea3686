// A link to a folder for the time of a test: a symbolic link on Linux, and on
// Windows one the system makes (a user may lack the right to) or, under Wine,
// whose own call makes nothing, a Unix symbolic link inside the Wine drive,
// which Wine lists as a linked folder. It goes before the folders do: a
// removal of the whole tree would follow it out of the tree on Windows.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zn::testing {

class FolderLink {
public:
    FolderLink(const std::filesystem::path& target, const std::filesystem::path& link)
        : link_(link) {
#ifdef _WIN32
        if (runUnix({"ln", "-s", unixName(target), unixName(link)})) {
            wine_ = true;
        } else {
            CreateSymbolicLinkA(link.string().c_str(), target.string().c_str(),
                                SYMBOLIC_LINK_FLAG_DIRECTORY |
                                    SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
        }
        const DWORD attributes = GetFileAttributesA(link.string().c_str());
        made_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
        std::error_code failed;
        std::filesystem::create_directory_symlink(target, link, failed);
        made_ = !failed;
#endif
    }
    ~FolderLink() {
        if (!made_) return;
#ifdef _WIN32
        // Wine takes a Unix link for its folder, which it will not remove.
        if (wine_)
            runUnix({"rm", unixName(link_)});
        else
            RemoveDirectoryA(link_.string().c_str());
#else
        std::error_code ignored;
        std::filesystem::remove(link_, ignored);
#endif
    }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;

    bool made() const { return made_; }

private:
#ifdef _WIN32
    // One of Wine's own exports; nothing when the test runs on Windows itself.
    template <typename Function>
    static Function wineExport(const char* module, const char* name) {
        // Through the type of no arguments, which any function pointer casts to.
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(module), name)));
    }
    static std::string unixName(const std::filesystem::path& path) {
        const auto convert =
            wineExport<char*(__cdecl*)(const wchar_t*)>("kernel32.dll", "wine_get_unix_file_name");
        char* name = convert ? convert(path.wstring().c_str()) : nullptr;
        if (!name) return {};
        std::string text = name;
        HeapFree(GetProcessHeap(), 0, name);
        return text;
    }
    // Runs a Unix program to its end; false when it did not run or failed.
    static bool runUnix(std::vector<std::string> arguments) {
        const auto spawn =
            wineExport<LONG(__cdecl*)(char* const*, int)>("ntdll.dll", "__wine_unix_spawnvp");
        if (!spawn) return false;
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            if (argument.empty()) return false;
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        return spawn(argv.data(), TRUE) == 0;
    }
    bool wine_ = false;
#endif
    std::filesystem::path link_;
    bool made_ = false;
};

}  // namespace zn::testing
