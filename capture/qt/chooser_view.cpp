#include "capture/qt/chooser_view.h"

#include <QLabel>
#include <QPushButton>

#include "platform/qt/qt_message_boxes.h"

namespace zn {
using namespace chooser_layout;

ChooserView::ChooserView(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TwBoth"));
    setWindowTitle(QString::fromLatin1(kChooserCaption));
    setFixedSize(kClientWidth, kClientHeight);

    auto* label = new QLabel(QString::fromLatin1(kChooserFirstLine) + QLatin1Char('\n') +
                                 QString::fromLatin1(kChooserSecondLine),
                             this);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(0, kLabelTop, kClientWidth, kLabelHeight);

    for (std::size_t source = 0; source < boxes_.size(); ++source) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(source + 1));
        box->setGeometry(kBoxLeft, kBoxTops[source], kBoxWidth, kBoxHeight);
        boxes_[source] = box;
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    ok->setGeometry(kClientWidth / 2 - kButtonWidth - 6, kButtonTop, kButtonWidth, kButtonHeight);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setGeometry(kClientWidth / 2 + 6, kButtonTop, kButtonWidth, kButtonHeight);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ChooserView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

bool ChooserView::run(TwBoth& dialog) {
    for (std::size_t source = 0; source < boxes_.size(); ++source) {
        const ChooserBox& shown = dialog.box(source);
        QCheckBox* box = boxes_[source];
        // An address's "&" is text, not the mark of a keyboard shortcut.
        box->setText(toQt(shown.caption).replace(QLatin1Char('&'), QLatin1String("&&")));
        // A long address is cut by the box; the whole of it shows as its tip.
        box->setToolTip(toQt(shown.caption));
        box->setChecked(shown.checked);
        box->setVisible(shown.visible);
    }
    if (exec() != QDialog::Accepted) return false;
    for (std::size_t source = 0; source < boxes_.size(); ++source)
        dialog.box(source).checked = boxes_[source]->isChecked();
    return true;
}

}  // namespace zn
