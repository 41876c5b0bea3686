#include "import/folder_lookup.h"

#include <iterator>

namespace zn {

int specialFolderId(TOrvRoots root) {
    static constexpr int kIds[] = {0, -1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 18, 19, 20, 21};
    return kIds[static_cast<int>(root)];
}

unsigned TOrvInfoFlagSet::pickerOptions() const {
    static constexpr unsigned kOptions[] = {0x1, 0x2, 0x4, 0x8, 0x1000, 0x2000, 0};
    unsigned options = 0;
    for (unsigned flag = 0; flag < std::size(kOptions); ++flag)
        if (bits_ & (1u << flag)) options |= kOptions[flag];
    return options;
}

bool TOrvFolderLookup::Browse(FolderPicker& picker) {
    if (BeforeLookup) BeforeLookup(*this);
    FolderPickerRequest request;
    request.rootFolderId = specialFolderId(LookupRoot);
    request.options = LookupFlags.pickerOptions();
    request.writePathToStatus = LookupFlags.contains(TOrvInfoFlags::DisplayPath);
    request.caption = LookupCaption;
    request.initialFolder = Text;
    const auto chosen = picker.pickFolder(request);
    if (chosen) {
        const std::string old = Text;
        Text = *chosen;
        if (*chosen != old && OnPathChanged) OnPathChanged(old, *chosen);
    }
    if (AfterLookup) AfterLookup(*this);
    return chosen.has_value();
}

}  // namespace zn
