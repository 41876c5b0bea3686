#include "platform/message_boxes.h"

namespace zn {

const char* messageCaption(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return "Warning";
        case MessageKind::Error:
            return "Error";
        case MessageKind::Information:
            return "Information";
        case MessageKind::Confirm:
            return "Confirm";
    }
    return "";
}

}  // namespace zn
