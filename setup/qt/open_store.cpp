#include "setup/qt/open_store.h"

#include <QMessageBox>

#include "app/handler_dispatcher.h"
#include "platform/linux/registry_location.h"
#include "platform/qt/qt_message_boxes.h"

namespace zn::setup {

std::unique_ptr<SqliteRegistry> openStoreOrExplain(const QString& applicationTitle) {
    try {
        return SqliteRegistry::open(registryLocation().string());
    } catch (const std::exception& failure) {
        QMessageBox::critical(nullptr, applicationTitle, toQt(withFullStop(failure.what())));
        return nullptr;
    }
}

}  // namespace zn::setup
