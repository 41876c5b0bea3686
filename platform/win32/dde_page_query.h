// The page query over DDE: a browser that runs serves its page to a client
// conversation on its service name ("Netscape", "IExplore") and the topic
// "WWW_GetWindowInfo"; the item "0xFFFFFFFF" names the window it showed last,
// and the reply is comma text in the ANSI code page.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/page_query.h"

namespace zn::win32 {

class DdePageQuery : public PageQuery {
public:
    // A browser gets ten seconds to answer; tests pass a shorter time.
    explicit DdePageQuery(DWORD timeoutMilliseconds = 10000);
    ~DdePageQuery() override;
    DdePageQuery(const DdePageQuery&) = delete;
    DdePageQuery& operator=(const DdePageQuery&) = delete;

    std::optional<std::string> request(const std::string& service) override;
    bool lastRequestRefused() const override { return refused_; }

private:
    std::optional<std::string> ask(const std::string& service);

    // The program's one DDEML instance, a client only; 0 until made. It
    // belongs to the thread that made it, the user-interface thread.
    DWORD instance_ = 0;
    DWORD timeout_;
    bool refused_ = false;
};

}  // namespace zn::win32
