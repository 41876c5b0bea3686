#include "platform/win32/win32_shell_links.h"

#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace zn::win32 {
namespace {

// One reference to a COM interface, released with its scope.
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

// The shell's link object with the two interfaces a link file needs.
struct LinkObject {
    ComPointer<IUnknown> object;
    ComPointer<IShellLinkA> link;
    ComPointer<IPersistFile> file;
};

[[noreturn]] void raise(const char* what, HRESULT result) {
    char text[96];
    std::snprintf(text, sizeof text, "%s (error %08lX)", what, static_cast<unsigned long>(result));
    throw std::runtime_error(text);
}

void makeLinkObject(LinkObject& made) {
    HRESULT result =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         IID_IUnknown, made.object.out());
    if (FAILED(result)) raise("The shell cannot make shortcuts", result);
    result = made.object->QueryInterface(IID_IShellLinkA, made.link.out());
    if (FAILED(result)) raise("The shortcut object has no link interface", result);
    result = made.object->QueryInterface(IID_IPersistFile, made.file.out());
    if (FAILED(result)) raise("The shortcut object cannot be saved", result);
}

std::wstring wide(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), converted.data(),
                        length);
    return converted;
}

}  // namespace

ComApartment::ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
    if (initialised_) CoUninitialize();
}

void Win32ShellLinks::createLink(const std::string& target, const std::string& linkPath) {
    LinkObject made;
    makeLinkObject(made);
    // A link that cannot be written is not reported: setup goes on without it.
    made.link->SetPath(target.c_str());
    made.file->Save(wide(linkPath).c_str(), FALSE);
}

void Win32ShellLinks::renameLink(const std::string& from, const std::string& to) {
    MoveFileA(from.c_str(), to.c_str());
}

std::string Win32ShellLinks::linkTarget(const std::string& linkPath) const {
    LinkObject made;
    makeLinkObject(made);
    if (FAILED(made.file->Load(wide(linkPath).c_str(), STGM_READ))) return {};
    std::vector<char> path(MAX_PATH + 1);
    if (FAILED(made.link->GetPath(path.data(), MAX_PATH, nullptr, SLGP_RAWPATH))) return {};
    return path.data();
}

}  // namespace zn::win32
