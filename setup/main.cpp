// setup: installs Zintrel from the folder it is started in. Wires the setup
// windows' logic to the Linux store, files, desktop entries and Qt views.
#include <QApplication>

#include "platform/linux/desktop_links.h"
#include "platform/linux/hand_over_socket.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/x11_window_list.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_timers.h"
#include "setup/qt/open_store.h"
#include "setup/qt/qt_setup_screens.h"

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(setup);
    QApplication application(argc, argv);
    const QString title = QString::fromLatin1(zn::setup::kSetupTitle);
    QApplication::setApplicationName(title);
    // The windows are laid out for Arial-sized text; fontconfig maps the
    // name to a metric-compatible face where one is installed.
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    QApplication::setFont(font);

    const auto registry = zn::setup::openStoreOrExplain(title);
    if (!registry) return 1;

    zn::QtMessageBoxes messages(title);
    zn::QtTimers timers;
    zn::QtShell shell;
    zn::LinuxFileSystem files;
    zn::DesktopEntryLinks links;
    zn::X11WindowList windows;
    zn::HandOverSocket runningCopy(zn::handOverFolder());
    zn::setup::QtSetupScreens screens;
    zn::setup::SetupProgram program(zn::setup::SetupServices{
        *registry, files, links, messages, shell, timers, windows, screens, &runningCopy});
    screens.attach(program);
    program.create();
    screens.backdrop().show();
    return QApplication::exec();
}
