// The export file on Windows: written beside its target and moved over it,
// so that a failure leaves the old file whole. The store is the registry,
// which no file path reaches.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/win32/win32_handles.h"
#include "znreg/export_file.h"
#include "znreg/reg_file.h"

namespace zn::regtool {

void writeExportFile(const std::string& path, const std::string& text,
                     const std::vector<std::string>& /*storeFiles*/) {
    const RegToolError cannotCreate("Cannot create file " + path);
    char fullPath[MAX_PATH];
    char* fileName = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, fullPath, &fileName);
    if (length == 0 || length >= MAX_PATH || !fileName || !*fileName) throw cannotCreate;
    const std::string folder(fullPath, static_cast<std::size_t>(fileName - fullPath));
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "zn", 0, temporary)) throw cannotCreate;
    // Deleted unless it was moved over the target.
    struct TemporaryFile {
        const char* path;
        bool moved = false;
        ~TemporaryFile() {
            if (!moved) DeleteFileA(path);
        }
    } temporaryFile{temporary};
    win32::FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) throw cannotCreate;
    for (std::size_t written = 0; written < text.size();) {
        DWORD step = 0;
        const DWORD wanted =
            static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1 << 20));
        if (!WriteFile(file.get(), text.data() + written, wanted, &step, nullptr) || step == 0)
            throw cannotCreate;
        written += step;
    }
    if (!FlushFileBuffers(file.get()) || !file.close()) throw cannotCreate;
    if (!MoveFileExA(temporary, fullPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw cannotCreate;
    temporaryFile.moved = true;
}

}  // namespace zn::regtool
