// unzn: removes Zintrel again. No window of its own: its questions and its
// report are message boxes.
#include <QApplication>

#include "app/handler_dispatcher.h"
#include "platform/linux/hand_over_socket.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/x11_window_list.h"
#include "platform/qt/qt_message_boxes.h"
#include "setup/qt/open_store.h"
#include "setup/uninstaller.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString title = QString::fromLatin1(zn::setup::kUninstallTitle);
    QApplication::setApplicationName(title);

    const auto registry = zn::setup::openStoreOrExplain(title);
    if (!registry) return 1;
    zn::QtMessageBoxes messages(title);
    zn::LinuxFileSystem files;
    zn::X11WindowList windows;
    zn::HandOverSocket runningCopy(zn::handOverFolder());
    zn::setup::Uninstaller uninstaller(*registry, files, messages, windows, &runningCopy);
    return zn::HandlerDispatcher(messages).run([&] { uninstaller.run(); }) ? 0 : 1;
}
