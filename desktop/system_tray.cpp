#include "desktop/system_tray.h"

#include <stdexcept>
#include <utility>

namespace zn {
namespace {

// The first characters of a UTF-8 text, never cutting one in two.
std::string firstCharacters(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t taken = 0; end < text.size() && taken < count; ++taken) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return text.substr(0, end);
}

}  // namespace

TOrvSystemTray::TOrvSystemTray(NotificationArea& area, std::string applicationTitle,
                               bool applicationMinimised)
    : area_(area), applicationMinimised_(applicationMinimised) {
    tip_ = firstCharacters(applicationTitle, kTrayTipLength);
    area_.setNotificationHandler([this](TrayMouseMessage message) { notify(message); });
    area_.setArrivalHandler([this] { ShellArrived(); });
}

TOrvSystemTray::~TOrvSystemTray() {
    area_.setArrivalHandler(nullptr);
    area_.setNotificationHandler(nullptr);
    if (enabled_) removeIcon();
}

void TOrvSystemTray::setEnabled(bool enabled) {
    awaitingShell_ = false;
    enabled_ = enabled;
    if (enabled_ && (normalIcon_ || applicationMinimised_))
        addIcon();
    else
        removeIcon();
}

void TOrvSystemTray::switchOffUntilTheShellArrives() {
    setEnabled(false);
    awaitingShell_ = true;
}

void TOrvSystemTray::ShellArrived() {
    if (!awaitingShell_) return;
    // Refused again: it stays off, as at start-up, and nobody is told.
    try {
        setEnabled(true);
    } catch (const std::exception&) {
        enabled_ = false;
    }
}

void TOrvSystemTray::setNormalIcon(bool normalIcon) {
    normalIcon_ = normalIcon;
    if (normalIcon_ && enabled_)
        addIcon();
    else if (!normalIcon_ && enabled_ && !applicationMinimised_)
        removeIcon();
}

void TOrvSystemTray::setHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    tip_ = firstCharacters(hint_, kTrayTipLength);
    modifyIcon();
}

void TOrvSystemTray::addIcon() {
    if (!enabled_ || !area_.shellCapable() || iconShown_) return;
    if (!area_.addIcon(tip_)) throw std::runtime_error(kTrayRefusedMessage);
    iconShown_ = true;
}

void TOrvSystemTray::removeIcon() {
    if (!area_.shellCapable()) return;
    area_.removeIcon();
    iconShown_ = false;
}

void TOrvSystemTray::modifyIcon() {
    // An icon the desktop refused has nothing to change.
    if (enabled_ && area_.shellCapable() && iconShown_) area_.modifyIcon(tip_);
}

void TOrvSystemTray::notify(TrayMouseMessage message) {
    switch (message) {
        case TrayMouseMessage::LeftButtonUp:
            if (OnClick) OnClick();
            break;
        case TrayMouseMessage::LeftButtonDoubleClick:
            if (OnDblClick) OnDblClick();
            break;
        case TrayMouseMessage::RightButtonUp: {
            const ScreenPoint cursor = area_.cursorPosition();
            if (popupMenu_ && (!area_.applicationWindowVisible() || normalIcon_))
                popupMenu_->popUp(cursor);
            if (OnRightClick) OnRightClick(cursor);
            break;
        }
        case TrayMouseMessage::Other:
            break;
    }
}

void TOrvSystemTray::ApplicationMinimize() {
    if (enabled_) {
        if (iconShown_)
            modifyIcon();
        else
            addIcon();
    }
    applicationMinimised_ = true;
    if (OnMinimize) OnMinimize();
}

void TOrvSystemTray::ApplicationRestore() {
    if (enabled_ && !normalIcon_) removeIcon();
    if (OnRestore) OnRestore();
    applicationMinimised_ = false;
}

}  // namespace zn
