#include "import/file_collector.h"

#include <algorithm>

#include "platform/path_separator.h"

namespace zn {
namespace {

constexpr char kSeparator = kPathSeparator;

// Names in the locale's order ignoring letter case. Names that differ only in
// case are different files here, unlike on a case-blind file system, so both
// stay, in byte order.
class SortedNames {
public:
    explicit SortedNames(const TextCollation& collation) : collation_(collation) {}

    void insert(std::string name) {
        Item item{collation_.sortKeyIgnoringCase(name), std::move(name)};
        // Kept sorted while filling: a folder's entries come out in order.
        const auto place = std::upper_bound(items_.begin(), items_.end(), item, before);
        if (place != items_.begin() && !before(*(place - 1), item)) return;  // the same name
        items_.insert(place, std::move(item));
    }

    template <typename Visit>
    void forEach(Visit visit) const {
        for (const Item& item : items_) visit(item.name);
    }

private:
    struct Item {
        std::string key;
        std::string name;
    };
    static bool before(const Item& a, const Item& b) {
        return a.key != b.key ? a.key < b.key : a.name < b.name;
    }

    const TextCollation& collation_;
    std::vector<Item> items_;
};

}  // namespace

std::string normalisedSearchFolder(const std::string& folder) {
    std::string text = folder;
    if (text.empty() || text.back() != kSeparator) text += kSeparator;
    // The folder part: the last separator goes, unless it is the first
    // character or follows another separator (or, on Windows, a drive's colon).
    const std::size_t last = text.size() - 1;
    if (last > 0 && !separatorStaysAfter(text[last - 1])) text.erase(last);
    if (text.back() != kSeparator) text += kSeparator;
    return text;
}

bool TOrvFileCollector::Collect() {
    LocatedObjects.clear();
    entered_.clear();
    if (InitialDirectory.empty()) InitialDirectory = files_.currentFolder();
    InitialDirectory = normalisedSearchFolder(InitialDirectory);
    return visit(InitialDirectory);
}

bool TOrvFileCollector::visit(const std::string& folder) {
    if (const auto identity = files_.folderIdentity(folder))
        if (!entered_.insert(*identity).second) return false;
    pump_.processWaitingMessages();
    if (OnDirectoryFound) OnDirectoryFound(*this);

    // One listing serves both passes: every subfolder, and the files that match.
    SortedNames subfolders(collation_);
    SortedNames matches(collation_);
    if (const auto entries = files_.listFolder(folder)) {
        for (const FolderEntry& entry : *entries) {
            if (entry.kind == FolderEntry::Kind::Folder)
                subfolders.insert(entry.name + kSeparator);
            else if (entry.kind == FolderEntry::Kind::File &&
                     files_.matchesMask(entry.name, FileMask))
                matches.insert(entry.name);
        }
    }

    bool found = false;
    matches.forEach([&](const std::string& name) {
        LocatedObjects.push_back(folder + name);
        found = true;
        if (OnFileFound) OnFileFound(*this, LocatedObjects.back());
    });
    subfolders.forEach([&](const std::string& name) { visit(folder + name); });
    return found;
}

}  // namespace zn
