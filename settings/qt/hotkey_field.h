// The options dialog's hotkey field: shows a combination as its shortcut
// text and takes the next combination the user presses.
#pragma once

#include <QLineEdit>

#include "desktop/shortcut_text.h"
#include "platform/keyboard_layout.h"

namespace zn {

class HotkeyField : public QLineEdit {
    Q_OBJECT
public:
    explicit HotkeyField(const KeyboardLayout& layout, QWidget* parent = nullptr);

    ShortcutValue value() const { return value_; }
    void setValue(ShortcutValue value);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const KeyboardLayout& layout_;
    ShortcutValue value_ = 0;
};

}  // namespace zn
