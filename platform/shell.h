// Handing documents, addresses and programs to the desktop.
#pragma once

#include <string>

namespace zn {

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a document or an address with the desktop's handler for it. With
    // a working folder, target is a file in it: that file, or nothing when
    // the folder lacks it. Without one, target is an address or an absolute
    // file path, never looked up in the program's folder or the path.
    // Failures are not reported.
    virtual void openDocument(const std::string& target, const std::string& workingFolder) = 0;
    // Opens a bookmark's site with the desktop's handler, only ever as an
    // address: a site that names a file or a program starts nothing.
    virtual void openSite(const std::string& site) { openDocument(site, ""); }
    // Starts a program with parameter as its single argument (no argument
    // when it is empty), never through a command interpreter. Failures are
    // not reported.
    virtual void startProgram(const std::string& program, const std::string& parameter) = 0;
    // The same, minimised and without taking the focus from the user's
    // window, for a program started only to be asked something; false when
    // the system refused to start it.
    virtual bool startMinimised(const std::string& program, const std::string& parameter) {
        startProgram(program, parameter);
        return true;
    }
};

}  // namespace zn
