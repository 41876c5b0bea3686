// The setup program's four windows as Qt widgets, placed as designed. Each
// shows what its logic holds and forwards clicks and closes to its handlers.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>

#include "setup/setup_windows.h"

namespace zn::setup {

class BackdropView : public QWidget {
    Q_OBJECT
public:
    BackdropView(SetupProgram& program);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    SetupProgram& program_;
    QWidget* picture_;
};

// The three dialogs share how they close: every close, from a button, the
// window manager or the rules, reaches the logic's FormClose once per close.
class SetupDialog : public QDialog {
    Q_OBJECT
public:
    SetupDialog(SetupProgram& program, QWidget* parent);
    void done(int result) override;
    // Centred on the screen, then modal until closed.
    void runModal();

protected:
    virtual void formClose() {}
    SetupProgram& program_;
};

class LicenceView : public SetupDialog {
    Q_OBJECT
public:
    LicenceView(SetupProgram& program, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
    void formClose() override;
};

class InstallationView : public SetupDialog {
    Q_OBJECT
public:
    InstallationView(SetupProgram& program, QWidget* parent);
    void showLogic();

protected:
    void formClose() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void handle(void (TForm1::*handler)());
    void keepControls();

    QLineEdit* folder_;
    QCheckBox* desktop_;
    QCheckBox* startMenu_;
    QPushButton* browse_;
    QPushButton* install_;
    QPushButton* quit_;
    QLabel* notice_;
    QFrame* completion_;
    QCheckBox* runNow_;
    QCheckBox* releaseNotes_;
};

class ChooserView : public SetupDialog {
    Q_OBJECT
public:
    ChooserView(SetupProgram& program, QWidget* parent);
    void showLogic();

protected:
    void showEvent(QShowEvent* event) override;
    void formClose() override;

private:
    void handle(const std::function<void(TForm3&)>& handler);

    QComboBox* places_;
    QListWidget* directories_;
    QLineEdit* folder_;
};

}  // namespace zn::setup
