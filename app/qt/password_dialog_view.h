// The set-password dialog's window: two masked fields and an OK button, no
// Cancel and no title-bar buttons.
#pragma once

#include <QDialog>
#include <QLineEdit>

#include "app/handler_dispatcher.h"
#include "app/password_dialog.h"

namespace zn {

class PasswordDialogView : public QDialog {
    Q_OBJECT
public:
    PasswordDialogView(TwPassword& logic, const HandlerDispatcher& dispatcher,
                       QWidget* parent = nullptr);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pressOk();

    TwPassword& logic_;
    const HandlerDispatcher& dispatcher_;
    QLineEdit* first_;
    QLineEdit* second_;
};

}  // namespace zn
