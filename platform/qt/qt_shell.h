// Opening documents and addresses with the desktop's handlers, and starting
// programs without a command interpreter.
#pragma once

#include "platform/shell.h"

namespace zn {

class QtShell : public Shell {
public:
    void openDocument(const std::string& target, const std::string& workingFolder) override;
    void startProgram(const std::string& program, const std::string& parameter) override;
};

}  // namespace zn
