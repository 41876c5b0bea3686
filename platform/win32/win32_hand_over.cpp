#include "platform/win32/win32_hand_over.h"

#include <string>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace zn::win32 {
namespace {

constexpr const char* kMessageName = "Zintrel.HandOver";
constexpr const char* kWindowClass = "ZintrelApplication";
constexpr const char* kWindowTitle = "Zintrel";

// The request in the message's first parameter.
constexpr WPARAM kPing = 0;
constexpr WPARAM kToggle = 1;
constexpr WPARAM kCapture = 2;
// The second parameter: sent by a new start, or posted by the copy to itself.
constexpr LPARAM kFromNewStart = 0;
constexpr LPARAM kPostedToSelf = 0x5A4E;
// What the copy answers; any other program answers 0, or nothing.
constexpr LRESULT kTaken = 0x5A4E;

UINT handOverMessage() {
    return RegisterWindowMessageA(kMessageName);
}

// The account a process runs as; empty when it cannot be read.
std::vector<BYTE> userOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
    const FileHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

bool runsAsThisUser(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const FileHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.valid()) return false;
    const std::vector<BYTE> theirs = userOf(process.get());
    return !theirs.empty() && theirs == userOf(GetCurrentProcess());
}

// Mutexes are shared by every user of a session: the name carries the user's own.
std::string startLockName() {
    constexpr const char* kDigits = "0123456789abcdef";
    std::string name = "Local\\Zintrel.Start.";
    for (const BYTE byte : userOf(GetCurrentProcess())) {
        name += kDigits[byte >> 4];
        name += kDigits[byte & 0xF];
    }
    return name;
}

// Taken on making, and let go with its scope or its holder's end.
class StartMutex : public StartLock {
public:
    StartMutex(const std::string& name, DWORD waitMs) : mutex_(name), hold_(mutex_.take(waitMs)) {}
    bool held() const { return static_cast<bool>(hold_); }

private:
    NamedMutex mutex_;
    NamedMutex::Hold hold_;  // let go before the mutex is closed
};

// The first application window of a copy of this user's; none when there is none.
HWND runningCopyWindow() {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, kWindowClass, kWindowTitle)) != nullptr)
        if (runsAsThisUser(window)) return window;
    return nullptr;
}

}  // namespace

HandOverResult Win32InstanceChannel::send(WPARAM request) {
    const HWND window = runningCopyWindow();
    if (!window) return HandOverResult::NoCopy;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, handOverMessage(), request, kFromNewStart,
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, answerTimeMs_, &answer))
        return HandOverResult::NoAnswer;
    return static_cast<LRESULT>(answer) == kTaken ? HandOverResult::Delivered
                                                  : HandOverResult::NoCopy;
}

std::unique_ptr<StartLock> Win32InstanceChannel::lockStart() {
    auto lock = std::make_unique<StartMutex>(startLockName(), answerTimeMs_);
    if (!lock->held()) return nullptr;
    return lock;
}

HandOverResult Win32InstanceChannel::handOver(HandOverAction action) {
    return send(action == HandOverAction::Toggle ? kToggle : kCapture);
}

bool Win32InstanceChannel::copyRuns() {
    return runningCopyWindow() != nullptr;
}

HandOverReceiver::HandOverReceiver(ApplicationWindow& window,
                                   std::function<void(HandOverAction)> onAction)
    : window_(window), message_(handOverMessage()) {
    window_.onMessage(
        message_,
        [this, onAction = std::move(onAction)](WPARAM request,
                                               LPARAM origin) -> std::optional<LRESULT> {
            if (request != kPing && request != kToggle && request != kCapture) return 0;
            if (origin == kFromNewStart) {
                // Answered now, acted on from the queue.
                if (request != kPing)
                    PostMessageA(window_.handle(), message_, request, kPostedToSelf);
                return kTaken;
            }
            if (origin == kPostedToSelf && request != kPing)
                onAction(request == kToggle ? HandOverAction::Toggle : HandOverAction::Capture);
            return 0;
        });
}

HandOverReceiver::~HandOverReceiver() {
    window_.forgetMessage(message_);
}

}  // namespace zn::win32
