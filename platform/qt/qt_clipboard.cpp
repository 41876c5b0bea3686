#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/qt/qt_message_boxes.h"

namespace zn {

bool QtClipboard::hasText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    // A file manager's file list also carries a text form; it is not a text.
    return data && data->hasText() && !data->hasUrls() && !data->hasImage();
}

std::string QtClipboard::text() const {
    return hasText() ? fromQt(QGuiApplication::clipboard()->text()) : std::string();
}

void QtClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(toQt(text));
}

}  // namespace zn
