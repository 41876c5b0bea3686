// The hand-over line on Linux: a local stream socket in a folder private to
// the user, $XDG_RUNTIME_DIR/zintrel or else /tmp/zintrel-<uid>.
//
// Only a folder that is a real directory of this user's with no access for
// anyone else, and only a socket file of this user's with no access for
// anyone else, is ever used; the peer at the other end must run as this user
// too, which each side checks with SO_PEERCRED. A socket left by a copy that
// was killed refuses connections: the next copy removes it and listens.
//
// A request is one line ("toggle", "capture" or "ping"); the copy answers
// "ok" as soon as it has read it, before it acts, so a new start ends at once
// even when the action opens a dialog.
//
// The start lock is an flock on znvault.lock in the same folder. Looking for
// a stale socket and binding a new one happen under it too, so that two
// copies starting together never remove each other's socket.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/instance_channel.h"
#include "platform/linux/file_descriptor.h"

namespace zn {

// $XDG_RUNTIME_DIR/zintrel when that variable names a folder, else /tmp/zintrel-<uid>.
std::filesystem::path handOverFolder();

// True when the folder is a directory (not a link) owned by this user that
// nobody else may enter, read or write.
bool isPrivateFolder(const std::filesystem::path& folder);

// The copy's end: waiting hand-overs are read when fileDescriptor() is readable.
class HandOverListener {
public:
    HandOverListener(int socket, std::filesystem::path path, unsigned long inode);
    ~HandOverListener();
    HandOverListener(const HandOverListener&) = delete;
    HandOverListener& operator=(const HandOverListener&) = delete;

    int fileDescriptor() const { return socket_.get(); }
    // Takes the connections waiting now, answers each, and gives every action
    // received to onAction, after its connection is closed (onAction may run a
    // dialog, during which this is called again).
    void receivePending(const std::function<void(HandOverAction)>& onAction);

private:
    FileDescriptor socket_;
    std::filesystem::path path_;
    unsigned long inode_;  // the socket file is removed at the end only while it is still ours
};

class HandOverSocket : public InstanceChannel {
public:
    explicit HandOverSocket(std::filesystem::path folder,
                            std::chrono::milliseconds answerTime = std::chrono::seconds(5));

    // Waits for another start's lock no longer than for an answer.
    std::unique_ptr<StartLock> lockStart() override;
    HandOverResult handOver(HandOverAction action) override;
    bool copyRuns() override;

    // Starts listening for this process. Null when a copy of this user's
    // already listens, or when the folder is not private (the reason then in
    // refusal()). `held` is the start lock this process took before it asked
    // for a copy: it is let go once the socket listens. Without one the lock
    // is taken here (a second one taken by the same process would wait for
    // the first).
    std::unique_ptr<HandOverListener> listen(std::unique_ptr<StartLock> held = nullptr);
    const std::string& refusal() const { return refusal_; }

    std::filesystem::path socketPath() const { return folder_ / "znvault.socket"; }

private:
    HandOverResult request(const std::string& line, bool awaitAnswer);

    std::filesystem::path folder_;
    std::chrono::milliseconds answerTime_;
    std::string refusal_;
};

}  // namespace zn
