// Which process the number in a browser's profile lock names. A browser in a
// Flatpak sandbox counts process numbers in a namespace of its own, so the
// number it writes into its lock means nothing to the host: while a sandbox
// of that app runs, the number is looked up among the sandbox's processes.
// Snap confinement keeps the host's numbers, so a Snap's lock is read as a
// native browser's is.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/browser_files.h"

namespace zn {

struct ProcessFolders {
    std::filesystem::path proc;        // /proc
    std::filesystem::path runtimeDir;  // $XDG_RUNTIME_DIR; Flatpak lists its sandboxes in .flatpak/
};

// The process-number namespaces ("pid:[…]", as <proc>/<pid>/ns/pid names
// them) of the running sandboxes of a Flatpak app: each instance folder whose
// info names the app and whose bwrapinfo.json names a child process that
// still exists.
std::vector<std::string> flatpakNamespaces(const ProcessFolders& folders, std::string_view app);

// True when a process of one of these namespaces has this number in it (the
// last number of its status "NSpid:" line).
bool processInNamespaces(const std::filesystem::path& proc,
                         const std::vector<std::string>& namespaces, pid_t numberInside);

// The lock check for a browser place: for a Flatpak app's place, the app's
// sandboxes while one runs; otherwise, and for a browser started on that
// folder outside any sandbox, the host's processes.
LockHolderAlive lockHolderCheck(const ProcessFolders& folders, std::string_view flatpakApp);

}  // namespace zn
