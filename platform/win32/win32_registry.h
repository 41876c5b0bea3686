// The registry port over the Windows registry itself (advapi32): the vault
// lives in the real HKEY_CURRENT_USER\SOFTWARE\Halvorn\Bookmarks, where the
// registry editor and every other tool see it.
//
// The Windows registry has no transactions a program can rely on (Wine has
// none at all), so a batch keeps an undo log: everything it changes is noted
// as it was before it changes, both in memory and in a journal key of the
// store, and a batch dropped without commit puts it all back. A key rewritten
// whole (the list of entries) is written beside itself and renamed into
// place, so that even a kill or a power loss leaves the old contents or the
// new. A batch a kill interrupts leaves its journal, and whoever next opens
// a key puts back what the journal names first: the store holds every write
// of a batch or none. docs/vault-format.md describes the keys involved.
//
// Every batch and every rewrite holds the store's named mutex, so that two
// programs saving at once take turns instead of spoiling each other's
// half-written keys.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win32/win32_handles.h"

namespace zn::win32 {

struct UndoLog;

// The named mutex every program sharing one store takes before it changes
// the store's keys beside the ones it means; one handle per registry object.
class StoreMutex {
public:
    explicit StoreMutex(const std::string& sandbox);

    using Hold = NamedMutex::Hold;
    // Waits as long as another program can reasonably hold it; a program
    // killed while holding it leaves it free, its half-done work to settle.
    Hold take() const;

private:
    NamedMutex mutex_;
};

class Win32Registry : public Registry {
public:
    // The real roots.
    Win32Registry();
    // Every root lives under HKEY_CURRENT_USER\<sandbox>\<root name> instead,
    // so that tests never touch the user's own keys; the sandbox goes with
    // the object.
    static std::unique_ptr<Win32Registry> inSandbox(const std::string& sandbox);
    // Another process's sandbox, left as it is: neither emptied now nor
    // removed at the end.
    static std::unique_ptr<Win32Registry> sharingSandbox(const std::string& sandbox);
    ~Win32Registry() override;

    std::unique_ptr<RegistryKey> openKey(RegRoot root, const std::string& path,
                                         bool create) override;
    bool deleteKey(RegRoot root, const std::string& path) override;
    std::unique_ptr<RegistryBatch> beginBatch() override;

    // The names of a key's sub-keys, in the registry's order; empty when the
    // key is missing.
    std::vector<std::string> subKeyNames(RegRoot root, const std::string& path);

    // Used by the keys and batches: where a root lives and what a batch must undo.
    struct Location {
        HKEY base;
        std::string prefix;  // empty, or the sandbox's path with a trailing "\"
    };
    Location locate(RegRoot root) const;
    UndoLog* undoLog() const { return undo_; }
    void setUndoLog(UndoLog* log) { undo_ = log; }
    const StoreMutex& storeMutex() const { return mutex_; }
    struct KeyAt {
        HKEY base;
        std::string path;
    };
    // Where a batch keeps its journal while it is open.
    KeyAt journal() const;
    // Puts back what a batch that never finished changed, once no other
    // program is in the middle of one. The usual case, no journal, is one look-up.
    void settleInterruptedBatch();

private:
    explicit Win32Registry(std::string sandbox);

    std::string sandbox_;
    bool ownsSandbox_ = false;
    StoreMutex mutex_;
    UndoLog* undo_ = nullptr;
};

// A key path in its canonical form: names joined by single "\", no leading,
// trailing or doubled separators.
std::string canonicalKeyPath(const std::string& path);

}  // namespace zn::win32
