#include "platform/qt/qt_shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "platform/qt/qt_message_boxes.h"

namespace zn {

QUrl documentUrl(const QString& target, const QString& workingFolder,
                 const QString& programFolder) {
    if (target.isEmpty()) return {};
    const QFileInfo asGiven(target);
    if (!workingFolder.isEmpty()) {
        const QFileInfo document(QDir(workingFolder), target);
        return document.isFile() ? QUrl::fromLocalFile(document.absoluteFilePath()) : QUrl();
    }
    if (asGiven.isAbsolute()) return asGiven.exists() ? QUrl::fromLocalFile(target) : QUrl();
    const QFileInfo besideProgram(QDir(programFolder), target);
    if (!target.contains(QLatin1Char('/')) && besideProgram.isFile())
        return QUrl::fromLocalFile(besideProgram.absoluteFilePath());
    // Where the Debian package puts the program's own documents.
    const QFileInfo packaged(QDir(programFolder), QStringLiteral("../share/zintrel/") + target);
    if (!target.contains(QLatin1Char('/')) && packaged.isFile())
        return QUrl::fromLocalFile(packaged.absoluteFilePath());
    return QUrl::fromUserInput(target);
}

void QtShell::openDocument(const std::string& target, const std::string& workingFolder) {
    const QUrl url =
        documentUrl(toQt(target), toQt(workingFolder), QCoreApplication::applicationDirPath());
    if (url.isValid()) QDesktopServices::openUrl(url);
}

void QtShell::startProgram(const std::string& program, const std::string& parameter) {
    // One argument, whatever blanks, quotes or semicolons it holds; none
    // when it is empty.
    QProcess::startDetached(toQt(program),
                            parameter.empty() ? QStringList() : QStringList{toQt(parameter)});
}

}  // namespace zn
