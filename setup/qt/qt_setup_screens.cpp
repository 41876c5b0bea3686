#include "setup/qt/qt_setup_screens.h"

#include <QApplication>
#include <QScreen>

namespace zn::setup {

QtSetupScreens::~QtSetupScreens() = default;

void QtSetupScreens::attach(SetupProgram& program) {
    backdrop_ = std::make_unique<BackdropView>(program);
    licence_ = new LicenceView(program, backdrop_.get());
    installation_ = new InstallationView(program, backdrop_.get());
    chooser_ = new ChooserView(program, backdrop_.get());
}

void QtSetupScreens::maximizeBackdrop() {
    // Without a window manager nothing would maximize it: cover the screen.
    if (const QScreen* screen = backdrop_->screen())
        backdrop_->setGeometry(screen->availableGeometry());
    backdrop_->setWindowState(Qt::WindowMaximized);
}

void QtSetupScreens::closeBackdrop() {
    backdrop_->close();
}

void QtSetupScreens::showLicenceModal() {
    licence_->runModal();
}

void QtSetupScreens::hideLicence() {
    licence_->hide();
}

void QtSetupScreens::closeLicence() {
    licence_->done(QDialog::Rejected);
}

bool QtSetupScreens::installationVisible() const {
    return installation_->isVisible();
}

void QtSetupScreens::showInstallationModal() {
    installation_->showLogic();
    installation_->runModal();
}

void QtSetupScreens::hideInstallation() {
    installation_->hide();
}

void QtSetupScreens::closeInstallation() {
    installation_->done(QDialog::Rejected);
}

void QtSetupScreens::refreshInstallation() {
    installation_->showLogic();
}

void QtSetupScreens::showChooserModal() {
    chooser_->runModal();
}

void QtSetupScreens::closeChooser() {
    chooser_->done(QDialog::Accepted);
}

void QtSetupScreens::processMessages() {
    QCoreApplication::processEvents();
}

void QtSetupScreens::terminate() {
    QCoreApplication::exit(0);
}

}  // namespace zn::setup
