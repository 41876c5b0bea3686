#include "settings/qt/options_dialog_view.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSvgWidget>
#include <QVBoxLayout>

#include "platform/qt/centre_on_screen.h"
#include "platform/qt/qt_message_boxes.h"

namespace zn {
namespace {

constexpr int kDialogWidth = 339;
constexpr int kDialogHeight = 458;
constexpr int kBannerHeight = 58;

}  // namespace

OptionsDialogView::OptionsDialogView(TwOptions& logic, const HandlerDispatcher& dispatcher,
                                     const KeyboardLayout& layout, QWidget* parent)
    : QDialog(parent), logic_(logic), dispatcher_(dispatcher) {
    setObjectName(QStringLiteral("TwOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(kDialogWidth, kDialogHeight);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 10);
    // The main window's banner, drawn for this narrower window.
    auto* banner = new QSvgWidget(QStringLiteral(":/zintrel/banner-narrow.svg"), this);
    banner->setFixedSize(kDialogWidth, kBannerHeight);
    outer->addWidget(banner);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 4, 12, 0);
    auto* heading = new QLabel(QStringLiteral("Zintrel Configuration"), this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setUnderline(true);
    heading->setFont(headingFont);
    body->addWidget(heading);

    auto* keys = new QFormLayout;
    hotKey1_ = new HotkeyField(layout, this);
    hotKey1_->setObjectName(QStringLiteral("HotKey1"));
    hotKey2_ = new HotkeyField(layout, this);
    hotKey2_->setObjectName(QStringLiteral("HotKey2"));
    keys->addRow(QStringLiteral("Hot Key to Unhide:"), hotKey1_);
    keys->addRow(QStringLiteral("Hot Key to Add Bookmark:"), hotKey2_);
    body->addLayout(keys);

    autostart_ = addCheckBox("autostartBox", "Automatically start when Windows loads:");
    messages_ = addCheckBox("messagesBox", "Show confirmation when a bookmark is added");
    autoHide_ = addCheckBox("autoHideBox", "Automatically hide after opening bookmark");
    icon_ = addCheckBox("iconBox", "Show Icon on Windows Taskbar");
    keepPass_ = addCheckBox("keepPassBox", "Remember Password for current session ");
    showUser_ = addCheckBox("showUserBox", "Show User Name/Password when opening site");
    for (QCheckBox* box : {autostart_, messages_, autoHide_, icon_, keepPass_, showUser_})
        body->addWidget(box);

    body->addWidget(new QLabel(QStringLiteral("Browser used to open bookmarks:"), this));
    auto* browserRow = new QHBoxLayout;
    browser_ = new QLineEdit(this);
    browser_->setObjectName(QStringLiteral("browserField"));
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setFixedWidth(32);
    browse->setAutoDefault(false);
    browserRow->addWidget(browser_);
    browserRow->addWidget(browse);
    body->addLayout(browserRow);

    auto* changePassword = new QPushButton(QStringLiteral("Change Password"), this);
    changePassword->setObjectName(QStringLiteral("changePasswordButton"));
    changePassword->setAutoDefault(false);
    body->addWidget(changePassword, 0, Qt::AlignLeft);
    body->addStretch();
    outer->addLayout(body);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addSpacing(12);
    outer->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        logic_.browserField = fromQt(browser_->text());
        dispatcher_.run([this] { logic_.BrowseClick(); });
        browser_->setText(toQt(logic_.browserField));
    });
    connect(changePassword, &QPushButton::clicked, this,
            [this] { dispatcher_.run([this] { logic_.ChangePasswordClick(); }); });
}

QCheckBox* OptionsDialogView::addCheckBox(const char* objectName, const char* text) {
    auto* box = new QCheckBox(QString::fromLatin1(text), this);
    box->setObjectName(QString::fromLatin1(objectName));
    // The text stands to the left of its box.
    box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

void OptionsDialogView::showLogic() {
    hotKey1_->setValue(logic_.HotKey1);
    hotKey2_->setValue(logic_.HotKey2);
    autostart_->setChecked(logic_.autostartBox);
    messages_->setChecked(logic_.messagesBox);
    autoHide_->setChecked(logic_.autoHideBox);
    icon_->setChecked(logic_.iconBox);
    keepPass_->setChecked(logic_.keepPassBox);
    showUser_->setChecked(logic_.showUserBox);
    browser_->setText(toQt(logic_.browserField));
}

void OptionsDialogView::keepControls() {
    logic_.HotKey1 = hotKey1_->value();
    logic_.HotKey2 = hotKey2_->value();
    logic_.autostartBox = autostart_->isChecked();
    logic_.messagesBox = messages_->isChecked();
    logic_.autoHideBox = autoHide_->isChecked();
    logic_.iconBox = icon_->isChecked();
    logic_.keepPassBox = keepPass_->isChecked();
    logic_.showUserBox = showUser_->isChecked();
    logic_.browserField = fromQt(browser_->text());
}

bool OptionsDialogView::run() {
    showLogic();
    centreOnScreen(*this);
    const bool accepted = exec() == QDialog::Accepted;
    keepControls();
    return accepted;
}

std::optional<std::string> chooseProgramFile(const std::string& initialFile, QWidget* parent) {
    const QString chosen =
        QFileDialog::getOpenFileName(parent, QStringLiteral("Browser"), toQt(initialFile),
                                     QStringLiteral("Executable Files (*);;All Files (*)"));
    if (chosen.isEmpty()) return std::nullopt;
    return fromQt(chosen);
}

}  // namespace zn
