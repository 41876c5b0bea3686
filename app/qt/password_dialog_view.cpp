#include "app/qt/password_dialog_view.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/qt/ok_button_row.h"
#include "platform/qt/qt_message_boxes.h"

namespace zn {

PasswordDialogView::PasswordDialogView(TwPassword& logic, const HandlerDispatcher& dispatcher,
                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      logic_(logic),
      dispatcher_(dispatcher) {
    setObjectName(QStringLiteral("TwPassword"));
    setWindowTitle(QStringLiteral("Enter Password Information"));
    auto* layout = new QVBoxLayout(this);
    auto* welcome = new QLabel(
        QStringLiteral("<b>Welcome to Zintrel!</b><br><br>"
                       "Please enter a unique password to access Zintrel. "
                       "This password is used to encrypt your Zintrel for complete security.<br>"
                       "(Note: The password must be at least 5 characters.)"),
        this);
    welcome->setWordWrap(true);
    layout->addWidget(welcome);

    auto* fields = new QFormLayout;
    first_ = new QLineEdit(this);
    first_->setObjectName(QStringLiteral("Edit1"));
    first_->setEchoMode(QLineEdit::Password);
    second_ = new QLineEdit(this);
    second_->setObjectName(QStringLiteral("Edit2"));
    second_->setEchoMode(QLineEdit::Password);
    fields->addRow(QStringLiteral("Enter Password:"), first_);
    fields->addRow(QStringLiteral("Re-Enter Password:"), second_);
    layout->addLayout(fields);

    auto* ok = addOkButtonRow(this, layout, ButtonPlace::Centre);
    connect(ok, &QPushButton::clicked, this, &PasswordDialogView::pressOk);

    setFixedWidth(360);
    setFixedHeight(sizeHint().height());
}

void PasswordDialogView::pressOk() {
    logic_.Edit1 = fromQt(first_->text());
    logic_.Edit2 = fromQt(second_->text());
    bool closes = false;
    dispatcher_.run([&] { closes = logic_.BitBtn1Click(); });
    if (closes) accept();
}

void PasswordDialogView::reject() {
    if (logic_.FormCloseQuery()) QDialog::reject();
}

void PasswordDialogView::keyPressEvent(QKeyEvent* event) {
    // Esc presses a dialog's Cancel button, and this one has none.
    if (event->matches(QKeySequence::Cancel)) return;
    QDialog::keyPressEvent(event);
}

void PasswordDialogView::closeEvent(QCloseEvent* event) {
    if (logic_.FormCloseQuery())
        QDialog::closeEvent(event);
    else
        event->ignore();
}

}  // namespace zn
