// The setup program's four windows: the backdrop (TForm5), the licence
// screen (TForm4), the installation screen (TForm1) and the directory chooser
// (TForm3), their handlers and the order that chains them: a 100 ms timer
// brings up the licence, Agree a 300 ms timer the installation screen.
#pragma once

#include <string>
#include <vector>

#include "app/handler_dispatcher.h"
#include "platform/instance_channel.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "platform/window_list.h"
#include "setup/installation.h"

namespace zn::setup {

inline constexpr const char* kSetupTitle = "Setup";
inline constexpr const char* kRunningMessage =
    "Please be sure that another version of Zintrel is not currently running on your system.";
inline constexpr const char* kInstallingNotice = "Installing Please Wait.......";

// What the rules ask of the windows. A modal show returns when the window
// has closed; every close, whoever asks for it, reaches the window's FormClose.
class SetupScreens {
public:
    virtual ~SetupScreens() = default;
    virtual void maximizeBackdrop() = 0;
    virtual void closeBackdrop() = 0;

    virtual void showLicenceModal() = 0;
    virtual void hideLicence() = 0;
    virtual void closeLicence() = 0;

    virtual bool installationVisible() const = 0;
    virtual void showInstallationModal() = 0;
    virtual void hideInstallation() = 0;
    virtual void closeInstallation() = 0;
    // Shows what the installation screen's logic holds now: its fields, the
    // notice, the completion panel. Painted at once, even inside a handler.
    virtual void refreshInstallation() = 0;

    virtual void showChooserModal() = 0;
    virtual void closeChooser() = 0;

    // Lets waiting window messages be handled.
    virtual void processMessages() = 0;
    // Ends the message loop and with it the program.
    virtual void terminate() = 0;
};

struct SetupServices {
    Registry& registry;
    FileSystem& files;
    ShellLinks& links;
    MessageBoxes& messages;
    Shell& shell;
    Timers& timers;
    WindowList& windows;
    SetupScreens& screens;
    // A running copy's hand-over line: it answers where no window title can
    // be seen (Wayland). None: the window title alone tells.
    InstanceChannel* runningCopy = nullptr;
};

class SetupProgram;

// The backdrop: the application's main window, shown maximized behind the rest.
class TForm5 {
public:
    explicit TForm5(SetupProgram& program) : program_(program) {}
    void FormShow();

private:
    SetupProgram& program_;
};

// The licence screen. Agreement stays pending until Agree.
class TForm4 {
public:
    explicit TForm4(SetupProgram& program) : program_(program) {}
    void FormCreate() { agreementPending = true; }
    void FormShow();
    void Button1Click();  // "Agree"
    void Button2Click();  // "Cancel"
    void FormClose();

    bool agreementPending = false;

private:
    SetupProgram& program_;
};

// The installation screen and the run state it shares with the installation.
class TForm1 {
public:
    explicit TForm1(SetupProgram& program);

    // The controls.
    std::string folderField;
    bool desktopBox = false;
    bool startMenuBox = false;
    bool installingNoticeShown = false;
    bool completionPanelShown = false;
    // On the completion panel, never shown and always checked.
    bool runNowBox = true;
    bool releaseNotesBox = true;

    void FormCreate();
    void Timer1Timer();
    void Timer4Timer();
    void BitBtn1Click();  // "Browse"
    void BitBtn3Click();  // "Install"
    void BitBtn2Click();  // "Quit"
    void Button1Click();  // the completion panel's "OK"
    void FormClose();

    // Whether a copy of the main program runs; warns once if so.
    void findwindowa();

    Installation installation;
    bool ended() const { return ended_; }

private:
    SetupProgram& program_;
    bool ended_ = false;
};

// One line of the directory list: an open folder on the way down to the
// current one, or a folder inside it.
struct DirectoryLine {
    std::string path;
    std::string caption;
    int depth = 0;
    bool open = false;
};

// The folder a directory proposes to install into.
std::string proposedFolder(const std::string& directory);

// The directory chooser: places where the drive list was, the directory list
// and the folder field it fills.
class TForm3 {
public:
    explicit TForm3(SetupProgram& program) : program_(program) {}

    std::vector<std::string> places;
    int placeIndex = 0;
    std::string treeDirectory;
    std::vector<DirectoryLine> directoryLines;
    std::string folderField;

    void FormShow();
    void DirectoryListBox1Change();
    // A click on a line opens it.
    void DirectoryListBox1Click(int line);
    void DriveComboBox1Change(int place);
    void BitBtn1Click();  // "OK"
    void FormClose();

private:
    // By value: the directory often comes from the lines it replaces.
    void setTreeDirectory(std::string directory);
    SetupProgram& program_;
};

// The whole program: its services and its four windows.
class SetupProgram {
public:
    explicit SetupProgram(SetupServices services);
    // The windows' creation, in order: the backdrop, the licence screen, the
    // installation screen (whose creation arms the first timer), the chooser.
    void create();
    SetupProgram(const SetupProgram&) = delete;
    SetupProgram& operator=(const SetupProgram&) = delete;

    SetupServices services;
    HandlerDispatcher dispatcher;
    TForm5 backdrop;
    TForm4 licence;
    TForm1 installationScreen;
    TForm3 chooser;
};

}  // namespace zn::setup
