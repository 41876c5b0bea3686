// Fakes of the import's own ports: a message pump that counts, a folder
// picker and an import dialog that follow a script, and a file system that
// refuses chosen folders and files on top of the real one.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "import/import_dialog.h"
#include "tests/fakes/counting_pump.h"
#include "tests/fakes/native_file_system.h"

namespace zn::testing {

class ScriptedFolderPicker : public FolderPicker {
public:
    std::optional<std::string> pickFolder(const FolderPickerRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    std::optional<std::string> answer;  // nothing: the user cancels
    std::vector<FolderPickerRequest> requests;
};

// The real file system, except for what a test makes fail.
class FailingFileSystem : public NativeFileSystem {
public:
    std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder) const override {
        if (unlistable.count(folder)) return std::nullopt;
        return NativeFileSystem::listFolder(folder);
    }
    std::optional<std::string> readWholeFile(const std::string& path) const override {
        if (unreadable.count(path)) return std::nullopt;
        return NativeFileSystem::readWholeFile(path);
    }
    bool replaceFile(const std::string& path, const std::string& content) override {
        if (unwritable.count(path)) return false;
        return NativeFileSystem::replaceFile(path, content);
    }
    bool deleteFile(const std::string& path) override {
        if (beforeDelete) beforeDelete(path);
        return NativeFileSystem::deleteFile(path);
    }
    std::set<std::string> unlistable, unreadable, unwritable;
    std::function<void(const std::string&)> beforeDelete;
};

// The import dialog: its script works the controls through the logic, as a
// user would, then presses "Import Now" (true) or "Cancel" (false).
class ScriptedImportDialogs : public ImportDialogs {
public:
    bool runImportDialog(TwImport& dialog) override {
        ++shown;
        dialog.FormShow();
        return script ? script(dialog) : false;
    }
    std::function<bool(TwImport&)> script;
    int shown = 0;
};

}  // namespace zn::testing
