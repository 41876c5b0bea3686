#include "platform/linux/hand_over_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

namespace zn {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kSocketName = "znvault.socket";
constexpr const char* kLockName = "znvault.lock";
constexpr const char* kAnswer = "ok";
constexpr const char* kPing = "ping";
constexpr std::size_t kLongestLine = 64;
// A new start writes its line straight after connecting; a connection that
// says nothing for this long is dropped rather than holding the window up.
constexpr std::chrono::milliseconds kReadTime(250);
// A flood is taken in shares, so the user interface keeps running between them.
constexpr int kMostPerCall = 16;
// How often a start looks whether another start has let the lock go.
constexpr std::chrono::milliseconds kLockRetry(10);

// The flock goes with the descriptor, and with its process when that dies.
class LockFile : public StartLock {
public:
    explicit LockFile(int descriptor) : descriptor_(descriptor) {}

private:
    FileDescriptor descriptor_;
};

const char* lineOf(HandOverAction action) {
    return action == HandOverAction::Toggle ? "toggle" : "capture";
}

bool isPrivateSocket(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

bool peerIsThisUser(int socket) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
           length == sizeof peer && peer.uid == ::geteuid();
}

std::optional<sockaddr_un> addressOf(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& text = path.native();
    if (text.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

int newSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

enum class Connection { Made, Refused, Busy };

Connection connectTo(int socket, const sockaddr_un& address) {
    for (;;) {
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return Connection::Made;
        if (errno == EINTR) continue;
        // A full backlog: the copy is there but has not taken the earlier ones yet.
        return errno == EAGAIN ? Connection::Busy : Connection::Refused;
    }
}

bool waitFor(int socket, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) return false;
        pollfd watched{socket, events, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(left.count()));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

// Never SIGPIPE: a new start that gave up waiting must not end the copy.
bool sendAll(int socket, const std::string& text, Clock::time_point deadline) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t now = ::send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (now > 0) {
            sent += static_cast<std::size_t>(now);
        } else if (now < 0 && errno == EINTR) {
            continue;
        } else if (now < 0 && errno == EAGAIN) {
            if (!waitFor(socket, POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// One line without its end; empty when none came whole in time.
std::string readLine(int socket, Clock::time_point deadline) {
    std::string line;
    char buffer[kLongestLine];
    while (line.size() <= kLongestLine) {
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got > 0) {
            line.append(buffer, static_cast<std::size_t>(got));
            if (const auto end = line.find('\n'); end != std::string::npos)
                return line.substr(0, end);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && errno == EAGAIN) {
            if (!waitFor(socket, POLLIN, deadline)) return {};
        } else {
            return {};
        }
    }
    return {};
}

std::string describedError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

std::filesystem::path handOverFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::filesystem::path(runtime) / "zintrel";
    return "/tmp/zintrel-" + std::to_string(::geteuid());
}

bool isPrivateFolder(const std::filesystem::path& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

HandOverListener::HandOverListener(int socket, std::filesystem::path path, unsigned long inode)
    : socket_(socket), path_(std::move(path)), inode_(inode) {}

HandOverListener::~HandOverListener() {
    // A later copy may have replaced a socket it found refusing; that one stays.
    struct stat status {};
    if (::lstat(path_.c_str(), &status) == 0 && status.st_ino == inode_) ::unlink(path_.c_str());
}

void HandOverListener::receivePending(const std::function<void(HandOverAction)>& onAction) {
    for (int taken = 0; taken < kMostPerCall; ++taken) {
        const int accepted =
            ::accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (accepted < 0) {
            if (errno == EINTR) continue;
            return;
        }
        std::optional<HandOverAction> action;
        {
            const FileDescriptor connection(accepted);
            if (!peerIsThisUser(accepted)) continue;
            const auto deadline = Clock::now() + kReadTime;
            const std::string line = readLine(accepted, deadline);
            if (line == lineOf(HandOverAction::Toggle)) action = HandOverAction::Toggle;
            if (line == lineOf(HandOverAction::Capture)) action = HandOverAction::Capture;
            if (!action && line != kPing) continue;
            sendAll(accepted, std::string(kAnswer) + "\n", deadline);
        }
        if (action) onAction(*action);
    }
}

HandOverSocket::HandOverSocket(std::filesystem::path folder, std::chrono::milliseconds answerTime)
    : folder_(std::move(folder)), answerTime_(answerTime) {}

std::unique_ptr<StartLock> HandOverSocket::lockStart() {
    if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) return nullptr;
    if (!isPrivateFolder(folder_)) return nullptr;
    FileDescriptor lock(
        ::open((folder_ / kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (lock.get() < 0) return nullptr;
    // Tried rather than waited on: a holder that is stopped, not dead, must
    // not stop this start as well.
    const auto deadline = Clock::now() + answerTime_;
    for (;;) {
        if (::flock(lock.get(), LOCK_EX | LOCK_NB) == 0)
            return std::make_unique<LockFile>(lock.release());
        if (errno != EWOULDBLOCK && errno != EINTR) return nullptr;
        if (Clock::now() >= deadline) return nullptr;
        std::this_thread::sleep_for(kLockRetry);
    }
}

HandOverResult HandOverSocket::handOver(HandOverAction action) {
    return request(lineOf(action), true);
}

bool HandOverSocket::copyRuns() {
    return request(kPing, false) != HandOverResult::NoCopy;
}

HandOverResult HandOverSocket::request(const std::string& line, bool awaitAnswer) {
    const auto path = socketPath();
    const auto address = addressOf(path);
    if (!address || !isPrivateFolder(folder_) || !isPrivateSocket(path))
        return HandOverResult::NoCopy;
    const FileDescriptor socket(newSocket());
    if (socket.get() < 0) return HandOverResult::NoCopy;
    const auto deadline = Clock::now() + answerTime_;
    for (;;) {
        const Connection connection = connectTo(socket.get(), *address);
        if (connection == Connection::Made) break;
        if (connection == Connection::Refused) return HandOverResult::NoCopy;
        if (Clock::now() >= deadline) return HandOverResult::NoAnswer;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!peerIsThisUser(socket.get())) return HandOverResult::NoCopy;
    if (!sendAll(socket.get(), line + "\n", deadline)) return HandOverResult::NoAnswer;
    if (!awaitAnswer) return HandOverResult::Delivered;
    return readLine(socket.get(), deadline) == kAnswer ? HandOverResult::Delivered
                                                       : HandOverResult::NoAnswer;
}

std::unique_ptr<HandOverListener> HandOverSocket::listen(std::unique_ptr<StartLock> held) {
    refusal_.clear();
    if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) {
        refusal_ = describedError("cannot make the folder " + folder_.string());
        return nullptr;
    }
    if (!isPrivateFolder(folder_)) {
        refusal_ = folder_.string() + " is not a folder of this user's closed to everyone else";
        return nullptr;
    }
    const auto path = socketPath();
    const auto address = addressOf(path);
    if (!address) {
        refusal_ = path.string() + " is too long a name for a socket";
        return nullptr;
    }
    // Two copies starting together must not remove each other's socket.
    const std::unique_ptr<StartLock> lock = held ? std::move(held) : lockStart();

    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) {
        if (isPrivateSocket(path)) {
            const FileDescriptor probe(newSocket());
            const Connection connection =
                probe.get() < 0 ? Connection::Refused : connectTo(probe.get(), *address);
            if (connection == Connection::Busy) return nullptr;
            if (connection == Connection::Made && peerIsThisUser(probe.get())) return nullptr;
        }
        // Left by a copy that was killed, or not fit to be used: replaced.
        if (::unlink(path.c_str()) != 0) {
            refusal_ = describedError("cannot remove " + path.string());
            return nullptr;
        }
    }

    FileDescriptor socket(newSocket());
    struct stat bound {};
    if (socket.get() < 0 ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        refusal_ = describedError("cannot listen on " + path.string());
        return nullptr;
    }
    if (::chmod(path.c_str(), 0600) != 0 || ::lstat(path.c_str(), &bound) != 0 ||
        ::listen(socket.get(), 32) != 0) {
        refusal_ = describedError("cannot listen on " + path.string());
        ::unlink(path.c_str());
        return nullptr;
    }
    return std::make_unique<HandOverListener>(socket.release(), path, bound.st_ino);
}

}  // namespace zn
