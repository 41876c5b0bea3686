// Kernel handles closed with their scope: an open file, a file search, and a
// named mutex shared with other programs.
#pragma once

#include <windows.h>

#include <string>

namespace zn::win32 {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    // Closes now, reporting whether the last writes reached the file.
    bool close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || handle == nullptr || CloseHandle(handle);
    }

private:
    HANDLE handle_;
};

// A FindFirstFileA search; the first match lands in found.
class FindHandle {
public:
    FindHandle(const std::string& pattern, WIN32_FIND_DATAA& found)
        : handle_(FindFirstFileA(pattern.c_str(), &found)) {}
    ~FindHandle() {
        if (valid()) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// A mutex other programs open by the same name. A hold lets it go with its
// scope; a holder that dies leaves it abandoned, and the next taker owns it
// all the same (and settles whatever the dead holder left half done).
class NamedMutex {
public:
    explicit NamedMutex(const std::string& name)
        : handle_(CreateMutexA(nullptr, FALSE, name.c_str())) {}

    class Hold {
    public:
        explicit Hold(HANDLE held) : held_(held) {}
        Hold(Hold&& other) noexcept : held_(other.held_) { other.held_ = nullptr; }
        Hold& operator=(Hold&&) = delete;
        ~Hold() {
            if (held_) ReleaseMutex(held_);
        }
        explicit operator bool() const { return held_ != nullptr; }

    private:
        HANDLE held_;
    };
    // An empty hold when the mutex could not be made or not taken in time.
    Hold take(DWORD waitMs) const {
        if (!handle_.valid()) return Hold(nullptr);
        const DWORD waited = WaitForSingleObject(handle_.get(), waitMs);
        return Hold(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED ? handle_.get() : nullptr);
    }

private:
    FileHandle handle_;
};

}  // namespace zn::win32
