// Stores the two lists of saved_lists.h in turn, for ever, in a sandbox the
// test made, so that the test can kill it in the middle of a save. Sets the
// event named on its command line once the first list is stored.
#include <windows.h>

#include "platform/win32/win32_registry.h"
#include "tests/win32/saved_lists.h"
#include "vault/entry_store.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const auto registry = zn::win32::Win32Registry::sharingSandbox(argv[1]);
    const auto shorter = zn::testing::shorterSavedList();
    const auto longer = zn::testing::longerSavedList();
    zn::saveAllEntries(*registry, zn::testing::kSavedListsKey, shorter, {});
    HANDLE stored = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (!stored) return 1;
    SetEvent(stored);
    for (;;) {
        zn::saveAllEntries(*registry, zn::testing::kSavedListsKey, longer, {});
        zn::saveAllEntries(*registry, zn::testing::kSavedListsKey, shorter, {});
    }
}
