#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "platform/qt/qt_message_boxes.h"

namespace zn {

namespace {

// A file manager offers copied files with their paths as a text form too;
// that is a file list, not a text to paste.
bool isFileList(const QMimeData& data) {
    if (!data.hasUrls()) return false;
    const QList<QUrl> urls = data.urls();
    return !urls.isEmpty() &&
           std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

}  // namespace

bool QtClipboard::hasText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText() && !isFileList(*data);
}

std::string QtClipboard::text() const {
    return hasText() ? fromQt(QGuiApplication::clipboard()->text()) : std::string();
}

void QtClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(toQt(text));
}

}  // namespace zn
