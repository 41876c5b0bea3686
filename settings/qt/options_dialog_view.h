// The options dialog's window. It shows TwOptions' controls, forwards Browse
// and Change Password to it, and copies the controls back when it closes:
// the browser field keeps what it showed even after Cancel.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

#include "app/handler_dispatcher.h"
#include "platform/keyboard_layout.h"
#include "settings/options_dialog.h"
#include "settings/qt/hotkey_field.h"

namespace zn {

class OptionsDialogView : public QDialog {
    Q_OBJECT
public:
    OptionsDialogView(TwOptions& logic, const HandlerDispatcher& dispatcher,
                      const KeyboardLayout& layout, QWidget* parent = nullptr);

    // Fills the controls from the logic, runs modally, copies them back.
    bool run();

private:
    QCheckBox* addCheckBox(const char* objectName, const char* text);
    void showLogic();
    void keepControls();

    TwOptions& logic_;
    const HandlerDispatcher& dispatcher_;
    HotkeyField* hotKey1_;
    HotkeyField* hotKey2_;
    QCheckBox* autostart_ = nullptr;
    QCheckBox* messages_ = nullptr;
    QCheckBox* autoHide_ = nullptr;
    QCheckBox* icon_ = nullptr;
    QCheckBox* keepPass_ = nullptr;
    QCheckBox* showUser_ = nullptr;
    QLineEdit* browser_ = nullptr;
};

// The file-open dialog for choosing a browser program.
std::optional<std::string> chooseProgramFile(const std::string& initialFile, QWidget* parent);

}  // namespace zn
