// Modal message boxes: every message the program gives its user goes here.
#pragma once

#include <string>

namespace zn {

// The four kinds, captioned "Warning", "Error", "Information" and "Confirm".
enum class MessageKind { Warning, Error, Information, Confirm };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(MessageKind kind, const std::string& text,
                               MessageButtons buttons) = 0;
    // The application's error box: captioned with the application title, an
    // error icon and an OK button. The text arrives with its full stop.
    virtual void showApplicationError(const std::string& text) = 0;
    // A plain box: the application's title as caption, no icon, an OK button.
    // Where a system has none, an information box stands in.
    virtual void showPlain(const std::string& text) {
        show(MessageKind::Information, text, MessageButtons::Ok);
    }
};

// The caption a box of this kind carries.
const char* messageCaption(MessageKind kind);

}  // namespace zn
