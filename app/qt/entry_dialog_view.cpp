#include "app/qt/entry_dialog_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <limits>

#include "platform/qt/centre_on_screen.h"
#include "platform/qt/qt_message_boxes.h"

namespace zn {
namespace {

constexpr const char* kHeading = "Bookmark details";

// The label with its note under it in a smaller, quieter type: the longer
// notes would not fit beside the label in a field's width.
QString captionText(const char* label, const char* note) {
    QString text = QString::fromLatin1(label).toHtmlEscaped();
    if (note)
        text += QStringLiteral("<br><span style=\"font-size:small; color:#6a7480\">%1</span>")
                    .arg(QString::fromLatin1(note).toHtmlEscaped());
    return text;
}

}  // namespace

EntryDialogView::EntryDialogView(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TwAdd"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 10, 16, 10);
    layout->setSpacing(2);

    auto* heading = new QLabel(QString::fromLatin1(kHeading), this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setUnderline(true);
    heading->setFont(headingFont);
    layout->addWidget(heading);
    layout->addSpacing(6);

    site_ = addField(layout, "Edit1", "Web Site Address:", nullptr);
    description_ = addField(layout, "Edit2", "Site Description:", "(optional)");
    userName_ =
        addField(layout, "Edit3", "User Name:", "(optional - if site requires a user name)");
    password_ = addField(layout, "Edit4", "Password:", "(optional - if site requires a password)");
    layout->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("BitBtn1"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("BitBtn2"));
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    layout->addLayout(buttons);
    // Esc and the close box reach reject() through QDialog itself.
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(site_, description_);
    setTabOrder(description_, userName_);
    setTabOrder(userName_, password_);
    setTabOrder(password_, ok_);
    setTabOrder(ok_, cancel_);

    setFixedSize(kEntryDialogWidth, kEntryDialogHeight);
}

QLineEdit* EntryDialogView::addField(QVBoxLayout* layout, const char* objectName, const char* label,
                                     const char* note) {
    auto* title = new QLabel(captionText(label, note), this);
    title->setTextFormat(Qt::RichText);
    title->setWordWrap(true);
    layout->addWidget(title);

    auto* field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(objectName));
    field->setFixedWidth(kEntryFieldWidth);
    // The default limit would silently cut a long address or password.
    field->setMaxLength(std::numeric_limits<int>::max());
    title->setBuddy(field);
    layout->addWidget(field);
    layout->addSpacing(6);
    return field;
}

void EntryDialogView::load(const TwAdd& logic) {
    setWindowTitle(toQt(logic.Caption));
    site_->setText(toQt(logic.Edit1));
    description_->setText(toQt(logic.Edit2));
    userName_->setText(toQt(logic.Edit3));
    password_->setText(toQt(logic.Edit4));
}

void EntryDialogView::store(TwAdd& logic) const {
    logic.Edit1 = fromQt(site_->text());
    logic.Edit2 = fromQt(description_->text());
    logic.Edit3 = fromQt(userName_->text());
    logic.Edit4 = fromQt(password_->text());
}

bool EntryDialogView::run(TwAdd& logic) {
    load(logic);
    centreOnScreen(*this);
    site_->setFocus();
    if (exec() != QDialog::Accepted) return false;
    store(logic);
    return true;
}

}  // namespace zn
