#include "platform/qt/qt_tray_icon.h"

#include <QCursor>

#include "platform/qt/qt_message_boxes.h"

namespace zn {
namespace {

TrayMouseMessage mouseMessageOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return TrayMouseMessage::LeftButtonUp;
        case QSystemTrayIcon::DoubleClick:
            return TrayMouseMessage::LeftButtonDoubleClick;
        case QSystemTrayIcon::Context:
            return TrayMouseMessage::RightButtonUp;
        default:
            return TrayMouseMessage::Other;
    }
}

}  // namespace

QtTrayIcon::QtTrayIcon(const QIcon& icon) : icon_(icon) {
    QObject::connect(&icon_, &QSystemTrayIcon::activated, &icon_,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (handler_) handler_(mouseMessageOf(reason));
                     });
}

bool QtTrayIcon::addIcon(const std::string& tip) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    icon_.setToolTip(toQt(tip));
    icon_.show();
    return true;
}

void QtTrayIcon::modifyIcon(const std::string& tip) {
    icon_.setToolTip(toQt(tip));
}

ScreenPoint QtTrayIcon::cursorPosition() const {
    const QPoint position = QCursor::pos();
    return {position.x(), position.y()};
}

}  // namespace zn
