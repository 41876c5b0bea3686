// The setup windows as the rules see them, over the native views.
#pragma once

#include <memory>

#include "setup/win32/setup_views.h"

namespace zn::setup::win32 {

class Win32SetupScreens : public SetupScreens {
public:
    Win32SetupScreens() = default;
    ~Win32SetupScreens() override;
    // Makes the views of the program's windows: the application window owns
    // the backdrop, the backdrop the others.
    void attach(SetupProgram& program, HWND applicationWindow);
    BackdropView& backdrop() { return *backdrop_; }

    void maximizeBackdrop() override;
    void closeBackdrop() override;
    void showLicenceModal() override;
    void hideLicence() override;
    void closeLicence() override;
    bool installationVisible() const override;
    void showInstallationModal() override;
    void hideInstallation() override;
    void closeInstallation() override;
    void refreshInstallation() override;
    void showChooserModal() override;
    void closeChooser() override;
    void processMessages() override;
    void terminate() override;

private:
    // Declared first so that it goes last: it owns the dialogs' windows.
    std::unique_ptr<BackdropView> backdrop_;
    std::unique_ptr<LicenceView> licence_;
    std::unique_ptr<InstallationView> installation_;
    std::unique_ptr<ChooserView> chooser_;
};

}  // namespace zn::setup::win32
