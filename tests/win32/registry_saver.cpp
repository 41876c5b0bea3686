// Saves lists into a sandbox the test made, for the tests that kill a save
// or run two at once.
//   registry_saver <sandbox> <event>: stores the two lists of saved_lists.h
//     in turn, for ever, and sets the event once the first is stored, so that
//     the test can kill it in the middle of a save.
//   registry_saver <sandbox> <gate> <tag> <times>: waits for the gate event,
//     then saves its own list `times` times; exits 0 when every save landed,
//     1 when one raised.
#include <windows.h>

#include <string>

#include "platform/win32/win32_registry.h"
#include "tests/win32/saved_lists.h"
#include "vault/entry_store.h"

namespace {

int saveForEver(zn::Registry& registry, const char* eventName) {
    const auto shorter = zn::testing::shorterSavedList();
    const auto longer = zn::testing::longerSavedList();
    zn::saveAllEntries(registry, zn::testing::kSavedListsKey, shorter, {});
    HANDLE stored = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (!stored) return 1;
    SetEvent(stored);
    for (;;) {
        zn::saveAllEntries(registry, zn::testing::kSavedListsKey, longer, {});
        zn::saveAllEntries(registry, zn::testing::kSavedListsKey, shorter, {});
    }
}

int saveAlongsideAnother(zn::Registry& registry, const char* gateName, const std::string& tag,
                         int times) {
    HANDLE gate = OpenEventA(SYNCHRONIZE, FALSE, gateName);
    if (!gate || WaitForSingleObject(gate, 30000) != WAIT_OBJECT_0) return 2;
    const auto list = zn::testing::concurrentSavedList(tag);
    try {
        for (int time = 0; time < times; ++time)
            zn::saveAllEntries(registry, zn::testing::kSavedListsKey, list, {});
    } catch (const zn::RegistryError&) {
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) return 2;
    const auto registry = zn::win32::Win32Registry::sharingSandbox(argv[1]);
    if (argc == 3) return saveForEver(*registry, argv[2]);
    return saveAlongsideAnother(*registry, argv[2], argv[3], std::stoi(argv[4]));
}
