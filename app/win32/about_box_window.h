// The first-run about box: the quick-start guide in a read-only rich-text
// field, and OK, which offers the import before the box closes.
#pragma once

#include "app/about_box.h"
#include "app/handler_dispatcher.h"
#include "app/win32/modal_dialog.h"

namespace zn::win32 {

inline constexpr int kQuickStartGuide = 100;

class AboutBoxWindow : public ModalDialog {
public:
    AboutBoxWindow(TwAbout& logic, const HandlerDispatcher& dispatcher);
    ~AboutBoxWindow() override;

    void run();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TwAbout& logic_;
    const HandlerDispatcher& dispatcher_;
    // The rich-text control's library, loaded for as long as the box lives.
    HMODULE richEdit_ = nullptr;
};

}  // namespace zn::win32
