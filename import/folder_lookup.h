// TOrvFolderLookup: a one-line field holding a folder path, with a browse
// button that opens the platform's folder picker. The picker's root and
// options are kept as the field's settings and handed to the picker.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

#include "platform/folder_picker.h"

namespace zn {

// Where the picker's tree starts: a shell special folder, or (Expanded) no
// root at all.
enum class TOrvRoots {
    csidlDesktop,
    csidlDesktopExpanded,
    csidlPrograms,
    csidlControlPanel,
    csidlPrinters,
    csidlPersonal,
    csidlFavorites,
    csidlStartup,
    csidlRecent,
    csidlSendto,
    csidlRecycleBin,
    csidlStartMenu,
    csidlDesktopDirectory,
    csidlMyComputer,
    csidlNetwork,
    csidlNetworkNeighborhood,
    csidlFonts,
    csidlTemplates,
};
// The special folder's number; -1 for csidlDesktopExpanded.
int specialFolderId(TOrvRoots root);

enum class TOrvInfoFlags {
    FileSystemDirsOnly,
    DontGoBelowDomain,
    StatusText,
    FileSystemAncestors,
    LookupForComputer,
    LookupForPrinter,
    DisplayPath,  // the field itself writes the selection's path to the status line
};

class TOrvInfoFlagSet {
public:
    TOrvInfoFlagSet(std::initializer_list<TOrvInfoFlags> flags) {
        for (const TOrvInfoFlags flag : flags) bits_ |= bit(flag);
    }
    bool contains(TOrvInfoFlags flag) const { return (bits_ & bit(flag)) != 0; }
    bool operator==(const TOrvInfoFlagSet&) const = default;
    // The picker options the set stands for (DisplayPath is none of them).
    unsigned pickerOptions() const;

private:
    static unsigned bit(TOrvInfoFlags flag) { return 1u << static_cast<unsigned>(flag); }
    unsigned bits_ = 0;
};

using TOrvPathChange = std::function<void(const std::string& oldPath, const std::string& newPath)>;

class TOrvFolderLookup {
public:
    std::string Text;
    bool Enabled = true;
    bool ButtonEnabled = true;
    TOrvRoots LookupRoot = TOrvRoots::csidlDesktopExpanded;
    TOrvInfoFlagSet LookupFlags{TOrvInfoFlags::FileSystemDirsOnly, TOrvInfoFlags::StatusText};
    std::string LookupCaption;
    std::function<void(TOrvFolderLookup&)> BeforeLookup;
    std::function<void(TOrvFolderLookup&)> AfterLookup;
    TOrvPathChange OnPathChanged;

    // The browse button: true when a folder was chosen.
    bool Browse(FolderPicker& picker);
};

}  // namespace zn
