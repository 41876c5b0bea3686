#include "platform/win32/dde_page_query.h"

#include <ddeml.h>

#include <cstring>
#include <vector>

namespace zn::win32 {
namespace {

// The browsers' page interface, and in it the window that was active last.
constexpr const char* kWindowInfoTopic = "WWW_GetWindowInfo";
constexpr const char* kLastActiveWindowItem = "0xFFFFFFFF";

// A client is told of nothing it must answer.
HDDEDATA CALLBACK clientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

class StringHandle {
public:
    StringHandle(DWORD instance, const std::string& text)
        : instance_(instance),
          handle_(DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)) {}
    ~StringHandle() {
        if (handle_) DdeFreeStringHandle(instance_, handle_);
    }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    HSZ get() const { return handle_; }

private:
    DWORD instance_;
    HSZ handle_;
};

class Conversation {
public:
    Conversation(DWORD instance, HSZ service, HSZ topic) {
        // The context names our code page, so the browser sends ANSI text.
        CONVCONTEXT context{};
        context.cb = sizeof context;
        context.iCodePage = CP_WINANSI;
        handle_ = DdeConnect(instance, service, topic, &context);
    }
    ~Conversation() {
        if (handle_) DdeDisconnect(handle_);
    }
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;
    HCONV get() const { return handle_; }

private:
    HCONV handle_ = nullptr;
};

class DataHandle {
public:
    explicit DataHandle(HDDEDATA handle) : handle_(handle) {}
    ~DataHandle() {
        if (handle_) DdeFreeDataHandle(handle_);
    }
    DataHandle(const DataHandle&) = delete;
    DataHandle& operator=(const DataHandle&) = delete;
    HDDEDATA get() const { return handle_; }

private:
    HDDEDATA handle_;
};

}  // namespace

DdePageQuery::DdePageQuery(DWORD timeoutMilliseconds) : timeout_(timeoutMilliseconds) {}

DdePageQuery::~DdePageQuery() {
    if (instance_) DdeUninitialize(instance_);
}

std::optional<std::string> DdePageQuery::request(const std::string& service) {
    refused_ = false;
    try {
        return ask(service);
    } catch (...) {
        // Out of memory for a reply: the browser counts as not answering.
        return std::nullopt;
    }
}

std::optional<std::string> DdePageQuery::ask(const std::string& service) {
    // Made on first use, so a query object costs nothing until a capture,
    // and a refused start is tried again by the next one.
    if (!instance_ && DdeInitializeA(&instance_, clientCallback,
                                     APPCLASS_STANDARD | APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        instance_ = 0;
        return std::nullopt;
    }
    const StringHandle serviceName(instance_, service);
    const StringHandle topic(instance_, kWindowInfoTopic);
    if (!serviceName.get() || !topic.get()) return std::nullopt;
    const Conversation conversation(instance_, serviceName.get(), topic.get());
    if (!conversation.get()) {
        refused_ = true;
        return std::nullopt;
    }

    const StringHandle item(instance_, kLastActiveWindowItem);
    if (!item.get()) return std::nullopt;
    const DataHandle data(DdeClientTransaction(nullptr, 0, conversation.get(), item.get(), CF_TEXT,
                                               XTYP_REQUEST, timeout_, nullptr));
    if (!data.get()) return std::nullopt;
    const DWORD size = DdeGetData(data.get(), nullptr, 0, 0);
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
    DdeGetData(data.get(), reinterpret_cast<LPBYTE>(buffer.data()), size, 0);
    // CF_TEXT ends at its first zero byte, whatever the data's size says.
    return std::string(buffer.data());
}

}  // namespace zn::win32
