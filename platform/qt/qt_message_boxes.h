// Message boxes as Qt dialogs.
#pragma once

#include <QString>
#include <string_view>

#include "platform/message_boxes.h"

class QWidget;

namespace zn {

class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QString applicationTitle) : title_(std::move(applicationTitle)) {}
    MessageAnswer show(MessageKind kind, const std::string& text, MessageButtons buttons) override;
    void showApplicationError(const std::string& text) override;
    void showPlain(const std::string& text) override;

private:
    QString title_;
};

// The rules' byte strings are UTF-8 on Linux.
inline QString toQt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
inline std::string fromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace zn
