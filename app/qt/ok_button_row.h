// The row that holds a dialog's lone OK button, the default button (Enter).
#pragma once

#include <QBoxLayout>
#include <QPushButton>

namespace zn {

enum class ButtonPlace { Centre, Right };

inline QPushButton* addOkButtonRow(QWidget* dialog, QBoxLayout* layout, ButtonPlace place) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    row->addWidget(ok);
    if (place == ButtonPlace::Centre) row->addStretch();
    layout->addLayout(row);
    return ok;
}

}  // namespace zn
