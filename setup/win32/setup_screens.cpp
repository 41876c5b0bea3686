#include "setup/win32/setup_screens.h"

namespace zn::setup::win32 {

Win32SetupScreens::~Win32SetupScreens() = default;

void Win32SetupScreens::attach(SetupProgram& program, HWND applicationWindow) {
    backdrop_ = std::make_unique<BackdropView>(program, applicationWindow);
    licence_ = std::make_unique<LicenceView>(program, backdrop_->handle());
    installation_ = std::make_unique<InstallationView>(program, backdrop_->handle());
    chooser_ = std::make_unique<ChooserView>(program, backdrop_->handle());
}

void Win32SetupScreens::maximizeBackdrop() {
    // Where no window manager answers for it (an X server without one under
    // Wine), a maximize keeps the window's size: cover the work area first.
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    SetWindowPos(backdrop_->handle(), nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(backdrop_->handle(), SW_MAXIMIZE);
}

void Win32SetupScreens::closeBackdrop() {
    ShowWindow(backdrop_->handle(), SW_HIDE);
}

void Win32SetupScreens::showLicenceModal() {
    licence_->runModal();
}

void Win32SetupScreens::hideLicence() {
    licence_->hide();
}

void Win32SetupScreens::closeLicence() {
    licence_->close();
}

bool Win32SetupScreens::installationVisible() const {
    return installation_->visible();
}

void Win32SetupScreens::showInstallationModal() {
    installation_->showLogic();
    installation_->runModal();
}

void Win32SetupScreens::hideInstallation() {
    installation_->hide();
}

void Win32SetupScreens::closeInstallation() {
    installation_->close();
}

void Win32SetupScreens::refreshInstallation() {
    installation_->showLogic();
}

void Win32SetupScreens::showChooserModal() {
    chooser_->runModal();
}

void Win32SetupScreens::closeChooser() {
    chooser_->close();
}

void Win32SetupScreens::processMessages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The quit belongs to the outer loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (zn::win32::translateDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Win32SetupScreens::terminate() {
    PostQuitMessage(0);
}

}  // namespace zn::setup::win32
