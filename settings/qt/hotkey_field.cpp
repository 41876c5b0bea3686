#include "settings/qt/hotkey_field.h"

#include <QKeyEvent>

#include "platform/qt/key_sequence.h"

namespace zn {
namespace {

// Keys that only take part in a combination, or that Qt cannot name.
bool isModifierOrUnknownKey(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
        case Qt::Key_unknown:
            return true;
        default:
            return false;
    }
}

}  // namespace

HotkeyField::HotkeyField(const KeyboardLayout& layout, QWidget* parent)
    : QLineEdit(parent), layout_(layout) {
    setReadOnly(true);
    setPlaceholderText(tr("None"));
    // An input method would swallow the very keys the field is there to see.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void HotkeyField::setValue(ShortcutValue value) {
    value_ = value;
    const std::string text = ShortCutToText(value_, layout_);
    setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

bool HotkeyField::event(QEvent* event) {
    // Claim every combination before window shortcuts and mnemonics do, so
    // that Alt+O is a hotkey here rather than the dialog's OK button.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void HotkeyField::keyPressEvent(QKeyEvent* event) {
    if (isModifierOrUnknownKey(event->key())) return;
    const bool unmodified =
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (unmodified) {
        switch (event->key()) {
            case Qt::Key_Backspace:
            case Qt::Key_Delete:
                setValue(0);
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
                // Left to the dialog: its OK and Cancel.
                event->ignore();
                return;
            default:
                break;
        }
    }
    // A key no shortcut can hold leaves the field as it was.
    if (const ShortcutValue typed = shortcutFromKeyCombination(event->keyCombination()))
        setValue(acceptedHotkeyCombination(typed));
}

}  // namespace zn
