#include "platform/win32/win32_folder_picker.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <memory>

#include "platform/win32/win32_services.h"

namespace zn::win32 {
namespace {

// The shell hands out item id lists the caller frees with CoTaskMemFree.
struct IdListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

// COM for the picker's lifetime, left as it was found: a thread that already
// runs COM in another mode keeps it, and is not uninitialised by us.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

std::optional<std::string> pathOf(LPCITEMIDLIST list) {
    char path[MAX_PATH] = {};
    if (!list || !SHGetPathFromIDListA(list, path) || !path[0]) return std::nullopt;
    return std::string(path);
}

int CALLBACK pickerEvent(HWND picker, UINT message, LPARAM lParam, LPARAM data) {
    const auto& request = *reinterpret_cast<const FolderPickerRequest*>(data);
    if (message == BFFM_INITIALIZED) {
        RECT bounds{};
        GetWindowRect(picker, &bounds);
        SetWindowPos(picker, nullptr,
                     centredOffset(GetSystemMetrics(SM_CXSCREEN), bounds.right - bounds.left),
                     centredOffset(GetSystemMetrics(SM_CYSCREEN), bounds.bottom - bounds.top), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const DWORD attributes = GetFileAttributesA(request.initialFolder.c_str());
        if (!request.initialFolder.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY))
            SendMessageA(picker, BFFM_SETSELECTIONA, TRUE,
                         reinterpret_cast<LPARAM>(request.initialFolder.c_str()));
    } else if (message == BFFM_SELCHANGED) {
        const auto path = pathOf(reinterpret_cast<LPCITEMIDLIST>(lParam));
        if (request.writePathToStatus)
            SendMessageA(picker, BFFM_SETSTATUSTEXTA, 0,
                         reinterpret_cast<LPARAM>(path ? path->c_str() : ""));
        SendMessageA(picker, BFFM_ENABLEOK, 0, path ? TRUE : FALSE);
    }
    return 0;
}

}  // namespace

std::optional<std::string> Win32FolderPicker::pickFolder(const FolderPickerRequest& request) {
    const ComScope com;
    HWND owner = messageOwner();
    IdList root;
    if (request.rootFolderId >= 0) {
        ITEMIDLIST* list = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(owner, request.rootFolderId, &list)))
            root.reset(list);
    }
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = root.get();
    info.pszDisplayName = displayName;
    info.lpszTitle = request.caption.empty() ? nullptr : request.caption.c_str();
    info.ulFlags = request.options;
    info.lpfn = pickerEvent;
    info.lParam = reinterpret_cast<LPARAM>(&request);
    const IdList chosen(SHBrowseForFolderA(&info));
    return pathOf(chosen.get());
}

}  // namespace zn::win32
