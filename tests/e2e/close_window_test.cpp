// Checks that e2e_close_window's close request reaches the window even when
// the server reads it late. Between the program and the real server (DISPLAY)
// stands a relay that acts as a busy server does: it takes a client's requests
// in only once the client waits for an answer, and a hang-up that comes first
// loses whatever it had not taken in yet. The test fails when the window's
// owner gets no WM_DELETE_WINDOW.
//
// Usage: e2e_close_window_test CLOSE-WINDOW-PROGRAM
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

struct Fd {
    int fd = -1;
    explicit Fd(int value = -1) : fd(value) {}
    Fd(Fd&& other) noexcept : fd(other.fd) { other.fd = -1; }
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd, other.fd);
        return *this;
    }
    ~Fd() {
        if (fd >= 0) close(fd);
    }
};

std::string socketPath(int display) { return "/tmp/.X11-unix/X" + std::to_string(display); }

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    return address;
}

// The relay's own display: a free number above the real one.
Fd listenOnFreeDisplay(int realDisplay, int& display) {
    for (display = realDisplay + 1000; display < realDisplay + 1100; ++display) {
        Fd listener(socket(AF_UNIX, SOCK_STREAM, 0));
        const sockaddr_un address = addressOf(socketPath(display));
        if (bind(listener.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            listen(listener.fd, 1) == 0)
            return listener;
    }
    return Fd();
}

std::size_t padded(std::size_t length) { return (length + 3) & ~std::size_t{3}; }

// Core requests a client waits on: what e2e_close_window and libxcb send.
const std::set<std::uint8_t> kRequestsWithReplies = {3, 14, 16, 17, 20, 43, 98};

// Relays one client: the server's bytes at once, the client's only up to its
// last complete request that has a reply (the connection set-up counts as one).
void relay(Fd listener, int realDisplay) {
    pollfd waiting{listener.fd, POLLIN, 0};
    if (poll(&waiting, 1, 10000) <= 0) return;  // the program never came
    Fd client(accept(listener.fd, nullptr, nullptr));
    Fd server(socket(AF_UNIX, SOCK_STREAM, 0));
    const sockaddr_un address = addressOf(socketPath(realDisplay));
    if (client.fd < 0 ||
        connect(server.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return;
    std::vector<unsigned char> held;
    std::size_t parsed = 0;  // complete units at the front of held
    bool setUp = false;
    bool littleEndian = true;  // the set-up's first byte says
    const auto word = [&](std::size_t at) -> std::size_t {
        return littleEndian ? held[at] | held[at + 1] << 8 : held[at] << 8 | held[at + 1];
    };
    for (;;) {
        pollfd fds[] = {{client.fd, POLLIN, 0}, {server.fd, POLLIN, 0}};
        if (poll(fds, 2, 10000) <= 0) return;
        unsigned char buffer[4096];
        if (fds[1].revents) {
            const ssize_t got = read(server.fd, buffer, sizeof buffer);
            if (got <= 0 || write(client.fd, buffer, static_cast<std::size_t>(got)) != got) return;
        }
        if (!fds[0].revents) continue;
        const ssize_t got = read(client.fd, buffer, sizeof buffer);
        if (got <= 0) return;  // the hang-up: what is still held is lost
        held.insert(held.end(), buffer, buffer + got);
        std::size_t release = 0;
        for (;;) {
            std::size_t length = 0;
            bool waits = false;
            if (!setUp) {
                if (held.size() < 12) break;
                littleEndian = held[0] == 'l';
                length = 12 + padded(word(6)) + padded(word(8));
                waits = true;
            } else {
                if (held.size() < parsed + 4) break;
                length = 4 * word(parsed + 2);
                waits = kRequestsWithReplies.count(held[parsed]) > 0;
            }
            if (length == 0 || held.size() < parsed + length) break;
            parsed += length;
            setUp = true;
            if (waits) release = parsed;
        }
        if (release == 0) continue;
        if (write(server.fd, held.data(), release) != static_cast<ssize_t>(release)) return;
        held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(release));
        parsed -= release;
    }
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

bool receivesDeleteWindow(xcb_connection_t* connection, xcb_atom_t protocols,
                          xcb_atom_t deleteWindow) {
    pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
    for (;;) {
        while (std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event{
                   xcb_poll_for_event(connection), &std::free}) {
            if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) continue;
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event.get());
            if (message->type == protocols && message->data.data32[0] == deleteWindow)
                return true;
        }
        if (poll(&fd, 1, 3000) <= 0) return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* realName = std::getenv("DISPLAY");
    if (argc != 2 || !realName || realName[0] != ':') {
        std::fprintf(stderr, "usage: DISPLAY=:N %s CLOSE-WINDOW-PROGRAM\n", argv[0]);
        return 2;
    }
    const int realDisplay = std::atoi(realName + 1);
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> owner(
        xcb_connect(nullptr, nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(owner.get())) return 2;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(owner.get())).data;
    const xcb_window_t window = xcb_generate_id(owner.get());
    xcb_create_window(owner.get(), XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const xcb_atom_t protocols = internAtom(owner.get(), "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = internAtom(owner.get(), "WM_DELETE_WINDOW");

    int display = 0;
    Fd listener = listenOnFreeDisplay(realDisplay, display);
    if (listener.fd < 0) return 2;
    const std::string path = socketPath(display);
    std::thread relaying(relay, std::move(listener), realDisplay);

    const std::string displayVariable = "DISPLAY=:" + std::to_string(display);
    std::vector<std::string> environment{displayVariable};
    for (char** variable = environ; *variable; ++variable)
        if (std::strncmp(*variable, "DISPLAY=", 8) != 0) environment.emplace_back(*variable);
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string windowArgument = std::to_string(window);
    char* childArgv[] = {argv[1], windowArgument.data(), nullptr};
    pid_t child = 0;
    int status = 0;
    const bool ran = posix_spawn(&child, argv[1], nullptr, nullptr, childArgv, envp.data()) == 0 &&
                     waitpid(child, &status, 0) == child;
    relaying.join();
    unlink(path.c_str());
    if (!ran || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "FAIL: %s did not run to success\n", argv[1]);
        return 1;
    }
    if (!receivesDeleteWindow(owner.get(), protocols, deleteWindow)) {
        std::fprintf(stderr, "FAIL: the window never got the close request\n");
        return 1;
    }
    std::puts("PASS: the close request arrived");
    return 0;
}
