#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "platform/qt/qt_message_boxes.h"

namespace zn {

void QtShell::openDocument(const std::string& target, const std::string& workingFolder) {
    const QString text = toQt(target);
    const QString folder = workingFolder.empty() ? QDir::currentPath() : toQt(workingFolder);
    // A file, named as it stands or from the working folder, opens as a file;
    // anything else is an address.
    const QFileInfo file(QDir(folder), text);
    const QUrl url = !text.isEmpty() && file.exists() ? QUrl::fromLocalFile(file.absoluteFilePath())
                                                      : QUrl::fromUserInput(text, folder);
    if (url.isValid()) QDesktopServices::openUrl(url);
}

void QtShell::startProgram(const std::string& program, const std::string& parameter) {
    // One argument, whatever blanks, quotes or semicolons it holds.
    QProcess::startDetached(toQt(program), {toQt(parameter)});
}

}  // namespace zn
