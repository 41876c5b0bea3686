// The end of the Windows session, as the application window hears of it.
#pragma once

#include "app/main_window.h"
#include "platform/win32/application_window.h"

namespace zn::win32 {

// WM_QUERYENDSESSION: the session may end, and the entries are saved at once,
// since nothing asks before the program goes. WM_ENDSESSION: when the session
// does end, the message loop ends too; when it was called off, nothing more.
void answerSessionEnd(ApplicationWindow& window, TForm1& form);

}  // namespace zn::win32
