#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "platform/qt/qt_message_boxes.h"

namespace zn {

QUrl documentUrl(const QString& target, const QString& workingFolder) {
    if (target.isEmpty()) return {};
    if (!workingFolder.isEmpty()) {
        const QFileInfo document(QDir(workingFolder), target);
        if (document.isFile()) return QUrl::fromLocalFile(document.absoluteFilePath());
        // The Debian package keeps the program's own documents apart from it.
        const QFileInfo packaged(QDir(workingFolder), QStringLiteral("../share/zintrel/") + target);
        return packaged.isFile() ? QUrl::fromLocalFile(packaged.absoluteFilePath()) : QUrl();
    }
    const QFileInfo asGiven(target);
    if (asGiven.isAbsolute()) return asGiven.exists() ? QUrl::fromLocalFile(target) : QUrl();
    return QUrl::fromUserInput(target);
}

void QtShell::openDocument(const std::string& target, const std::string& workingFolder) {
    const QUrl url = documentUrl(toQt(target), toQt(workingFolder));
    if (url.isValid()) QDesktopServices::openUrl(url);
}

void QtShell::startProgram(const std::string& program, const std::string& parameter) {
    // One argument, whatever blanks, quotes or semicolons it holds; none
    // when it is empty.
    QProcess::startDetached(toQt(program),
                            parameter.empty() ? QStringList() : QStringList{toQt(parameter)});
}

}  // namespace zn
