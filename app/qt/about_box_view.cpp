#include "app/qt/about_box_view.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/qt/ok_button_row.h"

namespace zn {
namespace {

const char* const kQuickStart = R"(
<h2 style="color:#12325a">Thank you for choosing Zintrel!</h2>
<p>Zintrel keeps your web bookmarks, with the user names and passwords that
belong to them, behind your master password.</p>
<p><b>Zintrel runs hidden</b> every time you log in. Call it up with
<b>Ctrl+Alt+P</b>, and press Ctrl+Alt+P again to hide it.</p>
<p>Press <b>Ctrl+Alt+B</b> to add the site that your web browser is showing.</p>
<p>Click <b>Options</b> to change the hotkeys and other settings,
<b>double click</b> a bookmark to open it in your browser, and click
<b>Hide</b> to hide Zintrel until you need it again.</p>
)";

}  // namespace

AboutBoxView::AboutBoxView(TwAbout& logic, const HandlerDispatcher& dispatcher, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TwAbout"));
    setWindowTitle(QStringLiteral("Thanks for choosing Zintrel"));
    auto* layout = new QVBoxLayout(this);
    auto* guide = new QTextBrowser(this);
    guide->setHtml(QString::fromUtf8(kQuickStart));
    layout->addWidget(guide);
    auto* ok = addOkButtonRow(this, layout, ButtonPlace::Right);
    connect(ok, &QPushButton::clicked, this, [this, &logic, &dispatcher] {
        dispatcher.run([&] { logic.BitBtn1Click(); });
        accept();
    });
    resize(420, 330);
}

}  // namespace zn
