#include "app/win32/session_end.h"

namespace zn::win32 {

void answerSessionEnd(ApplicationWindow& window, TForm1& form) {
    window.onMessage(WM_QUERYENDSESSION, [&form](WPARAM, LPARAM) -> std::optional<LRESULT> {
        form.dispatcher().run([&] {
            form.QueryEndSession();
            form.saveAllEntries();
        });
        return TRUE;
    });
    window.onMessage(WM_ENDSESSION, [](WPARAM ending, LPARAM) -> std::optional<LRESULT> {
        if (ending) PostQuitMessage(0);
        return 0;
    });
}

}  // namespace zn::win32
