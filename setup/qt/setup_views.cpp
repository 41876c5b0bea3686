#include "setup/qt/setup_views.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <initializer_list>

#include "platform/qt/qt_message_boxes.h"
#include "setup/qt/picture_widget.h"

namespace zn::setup {
namespace {

constexpr Qt::WindowFlags kFixedFrame =
    Qt::CustomizeWindowHint | Qt::WindowTitleHint;  // no title-bar buttons, no system menu

QFont timesFont(int pixelHeight, bool bold, bool underline) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

// Places a label as designed. Where the face drawing it is wider than the
// one it was designed for, it moves left so that it ends before rightLimit
// (by default the window's edge), and is centred when even that fails.
QLabel* placeLabel(QWidget* parent, const QString& text, int left, int top, int rightLimit = 0) {
    auto* label = new QLabel(text, parent);
    label->adjustSize();
    const int limit = rightLimit > 0 ? rightLimit : parent->width() - 4;
    if (left + label->width() > limit) left = std::max(limit - label->width(), 0);
    if (left == 0) left = std::max((parent->width() - label->width()) / 2, 0);
    label->move(left, top);
    return label;
}

void fitFont(QLabel* label, const QFont& font) {
    const QPoint designed = label->pos();
    label->setFont(font);
    label->adjustSize();
    const int room = label->parentWidget()->width() - 4;
    if (designed.x() + label->width() > room)
        label->move(std::max((room + 4 - label->width()) / 2, 0), designed.y());
}

QPushButton* placeButton(QWidget* parent, const char* name, const QString& text, QRect rect) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}

QString licenceText() {
    QFile file(QStringLiteral(":/setup/licence.txt"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

}  // namespace

BackdropView::BackdropView(SetupProgram& program)
    : QWidget(nullptr, Qt::Window | kFixedFrame), program_(program) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Zintrel Setup"));
    resize(536, 348);
    picture_ = new PictureWidget(QStringLiteral(":/setup/backdrop.svg"), this);
    picture_->setObjectName(QStringLiteral("backdropPicture"));
    picture_->setGeometry(rect());
    auto* caption = new QLabel(QStringLiteral("Zintrel Setup"), this);
    caption->setFont(timesFont(35, true, true));
    caption->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    caption->move(5, 8);
    caption->adjustSize();
}

void BackdropView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    picture_->setGeometry(rect());
}

void BackdropView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    program_.dispatcher.run([this] { program_.backdrop.FormShow(); });
}

SetupDialog::SetupDialog(SetupProgram& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | kFixedFrame), program_(program) {}

void SetupDialog::done(int result) {
    QDialog::done(result);
    program_.dispatcher.run([this] { formClose(); });
}

void SetupDialog::runModal() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    exec();
}

LicenceView::LicenceView(SetupProgram& program, QWidget* parent) : SetupDialog(program, parent) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("License Agreement & Disclaimer"));
    setFixedSize(551, 348);
    auto* background = new PictureWidget(QStringLiteral(":/setup/background.svg"), this);
    background->setGeometry(rect());
    auto* heading =
        placeLabel(this, QStringLiteral("Zintrel License Agreement and Disclaimer"), 52, 29);
    heading->setStyleSheet(QStringLiteral("color: blue;"));
    fitFont(heading, timesFont(21, false, true));
    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Memo1"));
    text->setGeometry(6, 64, 539, 225);
    text->setReadOnly(true);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setPlainText(licenceText());
    auto* agree = placeButton(this, "Button1", QStringLiteral("Agree"), {159, 312, 75, 25});
    auto* cancel = placeButton(this, "Button2", QStringLiteral("Cancel"), {280, 312, 75, 25});
    agree->setDefault(true);
    connect(agree, &QPushButton::clicked, this,
            [this] { program_.dispatcher.run([this] { program_.licence.Button1Click(); }); });
    connect(cancel, &QPushButton::clicked, this,
            [this] { program_.dispatcher.run([this] { program_.licence.Button2Click(); }); });
}

void LicenceView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    program_.dispatcher.run([this] { program_.licence.FormShow(); });
}

void LicenceView::formClose() {
    program_.licence.FormClose();
}

InstallationView::InstallationView(SetupProgram& program, QWidget* parent)
    : SetupDialog(program, parent) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Installation"));
    setFixedSize(347, 184);
    auto* background = new PictureWidget(QStringLiteral(":/setup/background.svg"), this);
    background->setGeometry(rect());
    auto* banner = new PictureWidget(QStringLiteral(":/setup/banner.svg"), this);
    banner->setGeometry(10, 2, 331, 62);

    placeLabel(this, QStringLiteral("Install to:"), 53, 79, 100);
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("Edit1"));
    folder_->setGeometry(102, 76, 145, 21);
    browse_ = placeButton(this, "BitBtn1", QStringLiteral("Browse"), {249, 78, 58, 17});
    desktop_ = new QCheckBox(this);
    desktop_->setObjectName(QStringLiteral("CheckBox1"));
    desktop_->move(111, 103);
    desktop_->adjustSize();
    placeLabel(this, QStringLiteral("Add Icon to Deskop"), 135, 104);
    startMenu_ = new QCheckBox(this);
    startMenu_->setObjectName(QStringLiteral("CheckBox2"));
    startMenu_->move(111, 123);
    startMenu_->adjustSize();
    placeLabel(this, QStringLiteral("Add Link to Start Menu"), 135, 125);
    install_ = placeButton(this, "BitBtn3", QStringLiteral("Install"), {85, 151, 75, 25});
    quit_ = placeButton(this, "BitBtn2", QStringLiteral("Quit"), {173, 151, 75, 25});
    setTabOrder(folder_, desktop_);
    setTabOrder(desktop_, startMenu_);
    setTabOrder(startMenu_, browse_);
    setTabOrder(browse_, install_);
    setTabOrder(install_, quit_);

    // Shown inside the window while the installation runs.
    notice_ = new QLabel(QString::fromLatin1(kInstallingNotice), this);
    notice_->setObjectName(QStringLiteral("Panel2"));
    notice_->setGeometry(32, 71, 289, 110);
    notice_->setAlignment(Qt::AlignCenter);
    notice_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    notice_->setLineWidth(2);
    notice_->setAutoFillBackground(true);
    notice_->setFont(timesFont(16, true, false));
    notice_->hide();

    completion_ = new QFrame(this);
    completion_->setObjectName(QStringLiteral("Panel1"));
    completion_->setGeometry(32, 71, 289, 110);
    completion_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    completion_->setLineWidth(2);
    completion_->setMidLineWidth(1);
    completion_->setAutoFillBackground(true);
    auto* done = placeLabel(completion_, QStringLiteral("Install Completed Successfully!"), 55, 15);
    done->setStyleSheet(QStringLiteral("color: navy;"));
    fitFont(done, timesFont(16, false, false));
    placeLabel(completion_, QStringLiteral("Zintrel will now run so that you may"), 55, 40);
    placeLabel(completion_, QStringLiteral("enter your new password and customize settings."), 20,
               56);
    auto* ok = placeButton(completion_, "Button1", QStringLiteral("OK"), {110, 80, 75, 20});
    runNow_ = new QCheckBox(QStringLiteral("Run Zintrel Now"), completion_);
    runNow_->setObjectName(QStringLiteral("CheckBox3"));
    runNow_->hide();
    releaseNotes_ = new QCheckBox(QStringLiteral("View Release Notes"), completion_);
    releaseNotes_->setObjectName(QStringLiteral("CheckBox4"));
    releaseNotes_->hide();
    completion_->hide();

    connect(browse_, &QPushButton::clicked, this, [this] { handle(&TForm1::BitBtn1Click); });
    connect(install_, &QPushButton::clicked, this, [this] { handle(&TForm1::BitBtn3Click); });
    connect(quit_, &QPushButton::clicked, this, [this] { handle(&TForm1::BitBtn2Click); });
    connect(ok, &QPushButton::clicked, this, [this] { handle(&TForm1::Button1Click); });
}

void InstallationView::handle(void (TForm1::*handler)()) {
    keepControls();
    TForm1& logic = program_.installationScreen;
    program_.dispatcher.run([&] { (logic.*handler)(); });
    if (!logic.ended()) showLogic();
}

void InstallationView::keepControls() {
    TForm1& logic = program_.installationScreen;
    logic.folderField = fromQt(folder_->text());
    logic.desktopBox = desktop_->isChecked();
    logic.startMenuBox = startMenu_->isChecked();
}

void InstallationView::showLogic() {
    const TForm1& logic = program_.installationScreen;
    folder_->setText(toQt(logic.folderField));
    desktop_->setChecked(logic.desktopBox);
    startMenu_->setChecked(logic.startMenuBox);
    runNow_->setChecked(logic.runNowBox);
    releaseNotes_->setChecked(logic.releaseNotesBox);
    notice_->setVisible(logic.installingNoticeShown);
    completion_->setVisible(logic.completionPanelShown);
    // What the panel covers can no longer be reached from the keyboard.
    for (QWidget* covered :
         std::initializer_list<QWidget*>{folder_, browse_, desktop_, startMenu_, install_, quit_})
        covered->setEnabled(!logic.completionPanelShown && !logic.installingNoticeShown);
    if (logic.completionPanelShown) completion_->findChild<QPushButton*>()->setFocus();
    if (logic.installingNoticeShown) notice_->raise();
    repaint();
}

void InstallationView::formClose() {
    program_.installationScreen.FormClose();
}

void InstallationView::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the installation screen: only Quit and OK do.
    if (event->key() == Qt::Key_Escape) return event->accept();
    QDialog::keyPressEvent(event);
}

ChooserView::ChooserView(SetupProgram& program, QWidget* parent) : SetupDialog(program, parent) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Choose Installation Directory"));
    setFixedSize(303, 261);
    places_ = new QComboBox(this);
    places_->setObjectName(QStringLiteral("DriveComboBox1"));
    places_->setGeometry(2, 3, 157, 21);
    directories_ = new QListWidget(this);
    directories_->setObjectName(QStringLiteral("DirectoryListBox1"));
    directories_->setGeometry(0, 26, 297, 185);
    placeLabel(this, QStringLiteral("Install Directory:"), 4, 216);
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("Edit1"));
    folder_->setGeometry(85, 214, 212, 21);
    auto* ok = placeButton(this, "BitBtn1", QStringLiteral("OK"), {213, 239, 84, 20});
    ok->setDefault(true);

    connect(places_, &QComboBox::activated, this, [this](int place) {
        handle([place](TForm3& form) { form.DriveComboBox1Change(place); });
    });
    connect(directories_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int line = directories_->row(item);
        // The list is refilled by the click; let the click finish first.
        QMetaObject::invokeMethod(
            this,
            [this, line] { handle([line](TForm3& form) { form.DirectoryListBox1Click(line); }); },
            Qt::QueuedConnection);
    });
    connect(folder_, &QLineEdit::textEdited, this,
            [this](const QString& text) { program_.chooser.folderField = fromQt(text); });
    connect(ok, &QPushButton::clicked, this,
            [this] { handle([](TForm3& form) { form.BitBtn1Click(); }); });
}

void ChooserView::handle(const std::function<void(TForm3&)>& handler) {
    program_.dispatcher.run([&] { handler(program_.chooser); });
    if (isVisible()) showLogic();
}

void ChooserView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    handle([](TForm3& form) { form.FormShow(); });
}

void ChooserView::showLogic() {
    const TForm3& logic = program_.chooser;
    places_->clear();
    for (const auto& place : logic.places) places_->addItem(toQt(place));
    places_->setCurrentIndex(logic.placeIndex);
    directories_->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const auto& line : logic.directoryLines) {
        auto* item = new QListWidgetItem(line.open ? open : closed, toQt(line.caption));
        item->setData(Qt::UserRole, line.depth);
        directories_->addItem(item);
        // Each level is indented under the one above it.
        item->setText(QString(line.depth * 2, QLatin1Char(' ')) + item->text());
    }
    folder_->setText(toQt(logic.folderField));
}

void ChooserView::formClose() {
    program_.chooser.FormClose();
}

}  // namespace zn::setup
