#include "capture/windows_list.h"

namespace zn {

void TWindowsList::Refresh() {
    TheWindowsList.clear();
    for (TopLevelWindow& window : windows_.topLevelWindows())
        if (AcceptEmptyNames || !window.title.empty())
            TheWindowsList.push_back({std::move(window.title), TWindowInfo{window.handle}});
}

}  // namespace zn
