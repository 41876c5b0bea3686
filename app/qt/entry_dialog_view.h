// The entry dialog's window: four plain single-line fields under their
// labels, OK and Cancel. Made once and reused; each use copies the logic's
// caption and fields in, and the fields back out only after OK.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/entry_dialog.h"

namespace zn {

inline constexpr int kEntryDialogWidth = 282;
inline constexpr int kEntryDialogHeight = 307;
inline constexpr int kEntryFieldWidth = 250;

class EntryDialogView : public QDialog {
    Q_OBJECT
public:
    explicit EntryDialogView(QWidget* parent = nullptr);

    // Shows the dialog modally, centred on the screen; true when it ended with OK.
    bool run(TwAdd& logic);

    QLineEdit* siteField() const { return site_; }
    QLineEdit* descriptionField() const { return description_; }
    QLineEdit* userNameField() const { return userName_; }
    QLineEdit* passwordField() const { return password_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void load(const TwAdd& logic);
    void store(TwAdd& logic) const;

private:
    QLineEdit* addField(QVBoxLayout* layout, const char* objectName, const char* label,
                        const char* note);

    QLineEdit* site_ = nullptr;
    QLineEdit* description_ = nullptr;
    QLineEdit* userName_ = nullptr;
    QLineEdit* password_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace zn
