// Opening documents and addresses with the desktop's handlers, and starting
// programs without a command interpreter.
#pragma once

#include <QUrl>

#include "platform/shell.h"

namespace zn {

// What the desktop is asked to open. A document named relative to a working
// folder opens as that file, or not at all when the folder does not hold it.
// Without a working folder an existing absolute path opens as a file, and
// anything else is an address: a site is never resolved against a folder.
QUrl documentUrl(const QString& target, const QString& workingFolder);

class QtShell : public Shell {
public:
    void openDocument(const std::string& target, const std::string& workingFolder) override;
    void startProgram(const std::string& program, const std::string& parameter) override;
};

}  // namespace zn
