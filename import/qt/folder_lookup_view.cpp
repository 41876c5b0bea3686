#include "import/qt/folder_lookup_view.h"

#include <QHBoxLayout>
#include <QStyle>

#include "platform/qt/qt_message_boxes.h"

namespace zn {

FolderLookupView::FolderLookupView(TOrvFolderLookup& logic, std::function<void()> browse,
                                   QWidget* parent)
    : QWidget(parent), logic_(logic) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("path"));
    button_ = new QToolButton(this);
    button_->setObjectName(QStringLiteral("browse"));
    button_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    button_->setToolTip(QStringLiteral("Browse for a folder"));
    layout->addWidget(edit_, 1);
    layout->addWidget(button_);
    connect(edit_, &QLineEdit::textEdited, this,
            [this](const QString& text) { logic_.Text = fromQt(text); });
    connect(button_, &QToolButton::clicked, this, [this, browse = std::move(browse)] {
        browse();
        showLogic();
    });
    showLogic();
}

void FolderLookupView::showLogic() {
    if (edit_->text() != toQt(logic_.Text)) edit_->setText(toQt(logic_.Text));
    edit_->setEnabled(logic_.Enabled);
    button_->setEnabled(logic_.ButtonEnabled);
}

}  // namespace zn
