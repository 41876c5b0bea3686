// The hand-over line over real sockets in a private runtime folder: actions
// reach the listening copy, a killed copy's socket does not block the next,
// and a folder, socket or peer anyone else could be behind is never used.
#include "platform/linux/hand_over_socket.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <future>
#include <thread>
#include <utility>
#include <vector>

#include "tests/fakes/temp_folder.h"

namespace zn::testing {
namespace {

using namespace std::chrono_literals;

class HandOverLine : public ::testing::Test {
protected:
    TempFolder runtime;  // first: the line's folder is inside it
    std::filesystem::path folder() const { return runtime.path() / "zintrel"; }
    HandOverSocket line{folder(), 500ms};

    // Serves the listener until it has received `count` actions or the time has passed.
    static std::vector<HandOverAction> serve(HandOverListener& listener, std::size_t count,
                                             std::chrono::milliseconds time = 5s) {
        std::vector<HandOverAction> received;
        const auto deadline = std::chrono::steady_clock::now() + time;
        while (received.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd watched{listener.fileDescriptor(), POLLIN, 0};
            if (::poll(&watched, 1, 50) > 0)
                listener.receivePending(
                    [&received](HandOverAction action) { received.push_back(action); });
        }
        return received;
    }

    // A socket file no process listens on any more, as a killed copy leaves it.
    void leaveStaleSocket() {
        std::filesystem::create_directory(folder());
        std::filesystem::permissions(folder(), std::filesystem::perms::owner_all);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, line.socketPath().c_str());
        ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::chmod(address.sun_path, 0600);
        ::close(socket);
    }
};

TEST_F(HandOverLine, ActionsReachTheListeningCopyInOrderAndEachIsAnswered) {
    const auto listener = line.listen();
    ASSERT_TRUE(listener) << line.refusal();
    struct stat folderStatus {
    }, socketStatus{};
    ASSERT_EQ(::lstat(folder().c_str(), &folderStatus), 0);
    ASSERT_EQ(::lstat(line.socketPath().c_str(), &socketStatus), 0);
    EXPECT_EQ(folderStatus.st_mode & 0777, 0700u);
    EXPECT_EQ(socketStatus.st_mode & 0777, 0600u);

    auto sent = std::async(std::launch::async, [this] {
        HandOverSocket newStart(folder(), 5s);
        return std::vector<HandOverResult>{newStart.handOver(HandOverAction::Toggle),
                                           newStart.handOver(HandOverAction::Capture),
                                           newStart.handOver(HandOverAction::Toggle)};
    });
    EXPECT_EQ(serve(*listener, 3),
              (std::vector<HandOverAction>{HandOverAction::Toggle, HandOverAction::Capture,
                                           HandOverAction::Toggle}));
    EXPECT_EQ(sent.get(), std::vector<HandOverResult>(3, HandOverResult::Delivered));
}

TEST_F(HandOverLine, ASecondCopyLeavesTheLineToTheFirstAndTheLastOneOutRemovesIt) {
    auto first = line.listen();
    ASSERT_TRUE(first);
    EXPECT_TRUE(line.copyRuns());
    HandOverSocket secondStart(folder());
    EXPECT_FALSE(secondStart.listen());
    EXPECT_TRUE(secondStart.refusal().empty());
    first.reset();
    EXPECT_FALSE(std::filesystem::exists(line.socketPath()));
    EXPECT_FALSE(line.copyRuns());
}

TEST_F(HandOverLine, AKilledCopysSocketDoesNotBlockTheNextStart) {
    leaveStaleSocket();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(line.handOver(HandOverAction::Toggle), HandOverResult::NoCopy);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 400ms) << "a refusal is not waited out";
    const auto listener = line.listen();
    ASSERT_TRUE(listener) << line.refusal();
    auto sent = std::async(std::launch::async, [this] {
        return HandOverSocket(folder()).handOver(HandOverAction::Capture);
    });
    EXPECT_EQ(serve(*listener, 1), std::vector<HandOverAction>{HandOverAction::Capture});
    EXPECT_EQ(sent.get(), HandOverResult::Delivered);
}

// Two action starts at the same moment: the first asks under the start lock,
// finds no copy and keeps the lock until it listens; the second waits for it
// and then hands its action to the first rather than starting a copy too.
TEST_F(HandOverLine, AStartAtTheSameMomentWaitsForTheFirstToListenAndHandsOver) {
    auto firstLock = line.lockStart();
    ASSERT_TRUE(firstLock);
    ASSERT_EQ(line.handOver(HandOverAction::Toggle), HandOverResult::NoCopy);
    auto second = std::async(std::launch::async, [this] {
        HandOverSocket secondStart(folder(), 5s);
        const auto secondLock = secondStart.lockStart();
        return std::pair(secondLock != nullptr, secondStart.handOver(HandOverAction::Capture));
    });
    // Time for the second start to ask too soon, were it not held back.
    std::this_thread::sleep_for(200ms);
    const auto listener = line.listen(std::move(firstLock));
    ASSERT_TRUE(listener) << line.refusal();
    EXPECT_EQ(serve(*listener, 1), std::vector<HandOverAction>{HandOverAction::Capture});
    EXPECT_EQ(second.get(), std::pair(true, HandOverResult::Delivered));
}

// A holder that died leaves the lock free at once; one that is only stopped
// holds the next start back no longer than an answer would.
TEST_F(HandOverLine, ALockHolderThatDiedOrHangsDoesNotKeepTheNextStartOut) {
    for (const bool holderDies : {true, false}) {
        SCOPED_TRACE(holderDies ? "holder killed" : "holder stopped");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t holder = ::fork();
        ASSERT_GE(holder, 0);
        if (holder == 0) {
            const auto lock = HandOverSocket(folder()).lockStart();
            if (lock) (void)!::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char signal = 0;
        EXPECT_EQ(::read(ready[0], &signal, 1), 1) << "the holder took no lock";
        ::close(ready[0]);
        if (holderDies) {
            ::kill(holder, SIGKILL);
            ::waitpid(holder, nullptr, 0);
        }
        EXPECT_EQ(line.lockStart() != nullptr, holderDies);
        if (!holderDies) {
            ::kill(holder, SIGKILL);
            ::waitpid(holder, nullptr, 0);
        }
    }
}

// Each spoils a live copy's line in one way; none may be used afterwards.
TEST_F(HandOverLine, AFolderOrSocketOthersCouldReachIsNeverUsed) {
    const std::filesystem::path socket = line.socketPath();
    const std::vector<std::pair<const char*, std::function<void()>>> spoilers = {
        {"folder open to the group", [&] { ::chmod(folder().c_str(), 0750); }},
        {"folder open to all", [&] { ::chmod(folder().c_str(), 0705); }},
        {"socket open to the group", [&] { ::chmod(socket.c_str(), 0660); }},
        {"socket open to all", [&] { ::chmod(socket.c_str(), 0606); }},
        {"folder is a link",
         [&] {
             std::filesystem::rename(folder(), runtime.path() / "elsewhere");
             std::filesystem::create_directory_symlink(runtime.path() / "elsewhere", folder());
         }},
    };
    for (const auto& [what, spoil] : spoilers) {
        SCOPED_TRACE(what);
        std::filesystem::remove_all(runtime.path() / "elsewhere");
        std::filesystem::remove_all(folder());
        const auto listener = line.listen();
        ASSERT_TRUE(listener) << line.refusal();
        spoil();
        EXPECT_EQ(line.handOver(HandOverAction::Toggle), HandOverResult::NoCopy);
        EXPECT_FALSE(line.copyRuns());
        // Whatever had been sent waits already.
        EXPECT_TRUE(serve(*listener, 1, 100ms).empty());
    }
}

TEST_F(HandOverLine, AFolderThatIsNotPrivateIsNotListenedIn) {
    std::filesystem::create_directory(folder());
    ::chmod(folder().c_str(), 0755);
    EXPECT_FALSE(line.listen());
    EXPECT_NE(line.refusal().find(folder().string()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(line.socketPath()));
}

class HandOverLineOfOthers : public HandOverLine {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand files and a socket to user nobody";
        const passwd* other = ::getpwnam("nobody");
        if (!other) GTEST_SKIP() << "needs the user nobody";
        otherUser = other->pw_uid;
    }
    uid_t otherUser = 0;
};

TEST_F(HandOverLineOfOthers, AFolderOrSocketOwnedBySomeoneElseIsNeverUsed) {
    {
        const auto listener = line.listen();
        ASSERT_TRUE(listener);
        ASSERT_EQ(::lchown(line.socketPath().c_str(), otherUser, otherUser), 0);
        EXPECT_EQ(line.handOver(HandOverAction::Toggle), HandOverResult::NoCopy);
    }
    std::filesystem::remove_all(folder());
    const auto listener = line.listen();
    ASSERT_TRUE(listener);
    ASSERT_EQ(::lchown(folder().c_str(), otherUser, otherUser), 0);
    EXPECT_EQ(line.handOver(HandOverAction::Toggle), HandOverResult::NoCopy);
    EXPECT_FALSE(HandOverSocket(folder()).listen());
}

// A socket that passes every file check, listened on by a process of another
// user: the peer's credentials give it away.
TEST_F(HandOverLineOfOthers, APeerOfAnotherUserIsNeverHandedAnything) {
    ASSERT_TRUE(line.listen());  // makes the folder; its socket goes with it
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, line.socketPath().c_str());
        ::unlink(address.sun_path);
        if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::chmod(address.sun_path, 0600) != 0 ||
            ::setresuid(otherUser, otherUser, otherUser) != 0 || ::listen(socket, 8) != 0)
            ::_exit(1);
        (void)!::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char signal = 0;
    const bool listening = ::read(ready[0], &signal, 1) == 1;
    ::close(ready[0]);
    EXPECT_TRUE(listening);
    if (listening) {
        EXPECT_EQ(line.handOver(HandOverAction::Capture), HandOverResult::NoCopy);
        EXPECT_FALSE(line.copyRuns());
        // The next start takes the name over rather than leaving it to the stranger.
        EXPECT_TRUE(HandOverSocket(folder()).listen());
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace zn::testing
