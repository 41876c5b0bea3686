// A DDE server of the tests' own that serves a page as a browser does: on
// its service name and the topic "WWW_GetWindowInfo" it answers the request
// for the item "0xFFFFFFFF" in CF_TEXT with the comma text it was given.
//
//   dde_test_server SERVICE REPLY [--silent]
//
// --silent: it takes the conversation but holds the request unanswered, as a
// browser that hangs would. Prints "ready" once the service is registered,
// then serves until it is ended.
#include <windows.h>
// After windows.h, which it builds on.
#include <ddeml.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Server {
    DWORD instance = 0;
    HSZ service = nullptr;
    HSZ topic = nullptr;
    HSZ item = nullptr;
    std::string reply;
    bool silent = false;
};

// DDEML hands its callback no context of ours; the one server of this
// process is reached through this pointer, set once before the first call.
const Server* theServer = nullptr;

bool same(HSZ a, HSZ b) {
    return DdeCmpStringHandles(a, b) == 0;
}

HDDEDATA CALLBACK serve(UINT type, UINT format, HCONV, HSZ first, HSZ second, HDDEDATA,
                        ULONG_PTR data1, ULONG_PTR) {
    const Server& server = *theServer;
    switch (type) {
        case XTYP_CONNECT: {
            // Only a client that asks for ANSI text on our topic is served.
            const auto* context = reinterpret_cast<const CONVCONTEXT*>(data1);
            const bool ansi = context && context->iCodePage == CP_WINANSI;
            return reinterpret_cast<HDDEDATA>(static_cast<UINT_PTR>(
                ansi && same(first, server.topic) && same(second, server.service)));
        }
        case XTYP_REQUEST:
            if (!same(first, server.topic) || !same(second, server.item) || format != CF_TEXT)
                return nullptr;
            if (server.silent) return CBR_BLOCK;
            return DdeCreateDataHandle(
                server.instance, reinterpret_cast<LPBYTE>(const_cast<char*>(server.reply.c_str())),
                static_cast<DWORD>(server.reply.size() + 1), 0, second, CF_TEXT, 0);
        default:
            return nullptr;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: dde_test_server SERVICE REPLY [--silent]\n");
        return 2;
    }
    Server server;
    server.reply = argv[2];
    server.silent = argc > 3 && std::strcmp(argv[3], "--silent") == 0;
    theServer = &server;
    if (DdeInitializeA(&server.instance, serve,
                       APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_EXECUTES | CBF_FAIL_POKES |
                           CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                       0) != DMLERR_NO_ERROR)
        return 1;
    server.service = DdeCreateStringHandleA(server.instance, argv[1], CP_WINANSI);
    server.topic = DdeCreateStringHandleA(server.instance, "WWW_GetWindowInfo", CP_WINANSI);
    server.item = DdeCreateStringHandleA(server.instance, "0xFFFFFFFF", CP_WINANSI);
    if (!DdeNameService(server.instance, server.service, nullptr, DNS_REGISTER)) return 1;
    std::printf("ready\n");
    std::fflush(stdout);

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DdeNameService(server.instance, server.service, nullptr, DNS_UNREGISTER);
    DdeUninitialize(server.instance);
    return 0;
}
