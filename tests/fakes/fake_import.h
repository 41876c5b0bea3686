// Fakes of the import's own ports: a message pump that counts, and a folder
// picker and an import dialog that follow a script; with them the file system
// that refuses chosen folders and files.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "import/import_dialog.h"
#include "tests/fakes/counting_pump.h"
#include "tests/fakes/fake_file_system.h"

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
