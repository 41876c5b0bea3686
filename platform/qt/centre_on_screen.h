// Places a window centred on the screen, as the program's dialogs open. Set
// before showing: a dialog then no longer centres itself over its parent.
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zn {

inline void centreOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    window.move(area.x() + (area.width() - window.width()) / 2,
                area.y() + (area.height() - window.height()) / 2);
}

}  // namespace zn
