#include "platform/qt/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace zn {
namespace {

QMessageBox::Icon iconFor(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Confirm:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// "\r" is how the rules break lines; Qt wants "\n".
QString boxText(const std::string& text) {
    QString result = toQt(text);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

// A box owned by a window that is hidden, or about to be, is never mapped: the
// active window lags behind a window that has only just been shown or hidden.
QWidget* boxOwner() {
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : nullptr;
}

}  // namespace

MessageAnswer QtMessageBoxes::show(MessageKind kind, const std::string& text,
                                   MessageButtons buttons) {
    QMessageBox box(
        iconFor(kind), QString::fromLatin1(messageCaption(kind)), boxText(text),
        buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
        boxOwner());
    box.setObjectName(QStringLiteral("messageBox"));
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtMessageBoxes::showApplicationError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, title_, boxText(text), QMessageBox::Ok,
                    boxOwner());
    box.setObjectName(QStringLiteral("applicationErrorBox"));
    box.exec();
}

void QtMessageBoxes::showPlain(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, title_, boxText(text), QMessageBox::Ok,
                    boxOwner());
    box.setObjectName(QStringLiteral("plainMessageBox"));
    box.exec();
}

}  // namespace zn
