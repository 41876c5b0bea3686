#include "platform/qt/qt_tray_icon.h"

#include <stdexcept>

namespace zn {

QtTrayIcon::QtTrayIcon(const QIcon& icon, const QString& hint) : icon_(icon) {
    icon_.setToolTip(hint);
}

void QtTrayIcon::setEnabled(bool enabled) {
    if (enabled && !QSystemTrayIcon::isSystemTrayAvailable())
        throw std::runtime_error("Cannot create shell notification Icon");
    enabled_ = enabled;
    icon_.setVisible(enabled);
}

}  // namespace zn
