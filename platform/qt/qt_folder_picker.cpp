#include "platform/qt/qt_folder_picker.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScreen>
#include <QTimer>

#include "platform/qt/qt_message_boxes.h"

namespace zn {

std::optional<std::string> QtFolderPicker::pickFolder(const FolderPickerRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), toQt(request.caption));
    dialog.setObjectName(QStringLiteral("folderPicker"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QString initial = toQt(request.initialFolder);
    if (!initial.isEmpty() && QDir(initial).exists())
        dialog.setDirectory(initial);
    else
        dialog.setDirectory(QDir::rootPath());
    // Centred once it has its size, as the picker opens.
    QTimer::singleShot(0, &dialog, [&dialog] {
        const QScreen* screen = dialog.screen();
        if (!screen) return;
        const QSize size = dialog.frameGeometry().size();
        dialog.move(centredOffset(screen->geometry().width(), size.width()),
                    centredOffset(screen->geometry().height(), size.height()));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return fromQt(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

}  // namespace zn
