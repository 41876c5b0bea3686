#include "desktop/qt/tray_menu.h"

#include <QAction>
#include <QWindowStateChangeEvent>

namespace zn {

TrayMenu::TrayMenu(TForm1& form, QWidget& mainWindow) {
    setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this, &form](const char* name, const char* caption,
                                    void (TForm1::*handler)()) {
        QAction* action = addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [&form, handler] {
            form.dispatcher().run([&form, handler] { (form.*handler)(); });
        });
    };
    item("Activate1", "&Open", &TForm1::Activate1Click);
    item("AddBookmark1", "&Add Bookmark", &TForm1::AddBookmark1Click);
    QAction* quit = addAction(QStringLiteral("&Quit"));
    quit->setObjectName(QStringLiteral("Quit1"));
    QWidget* window = &mainWindow;
    connect(quit, &QAction::triggered, this, [window] { window->close(); });
}

void TrayMenu::popUp(ScreenPoint at) {
    popup(QPoint(at.x, at.y));
}

QAction* TrayMenu::item(const char* objectName) const {
    return findChild<QAction*>(QString::fromLatin1(objectName));
}

RestoreWatcher::RestoreWatcher(QWidget& window, std::function<void()> restored)
    : window_(window), restored_(std::move(restored)) {
    window_.installEventFilter(this);
}

bool RestoreWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !window_.isMinimized()) restored_();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zn
