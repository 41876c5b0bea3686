// Opening the user's store for setup and the uninstaller: a store that cannot
// be opened is explained in an error box, and the program ends.
#pragma once

#include <QString>
#include <memory>

#include "platform/linux/sqlite_registry.h"

namespace zn::setup {

// nullptr after the error box was shown.
std::unique_ptr<SqliteRegistry> openStoreOrExplain(const QString& applicationTitle);

}  // namespace zn::setup
