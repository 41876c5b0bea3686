// The setup windows as the rules see them, over the Qt views.
#pragma once

#include <memory>

#include "setup/qt/setup_views.h"

namespace zn::setup {

class QtSetupScreens : public SetupScreens {
public:
    QtSetupScreens() = default;
    ~QtSetupScreens() override;
    // Makes the views of the program's windows; the backdrop is their parent.
    void attach(SetupProgram& program);
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
    std::unique_ptr<BackdropView> backdrop_;
    // Children of the backdrop, which deletes them.
    LicenceView* licence_ = nullptr;
    InstallationView* installation_ = nullptr;
    ChooserView* chooser_ = nullptr;
};

}  // namespace zn::setup
