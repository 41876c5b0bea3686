#include "platform/win32/win32_services.h"

#include <shellapi.h>

#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/win32/escape_answers_no.h"

namespace zn::win32 {

HWND messageOwner() {
    HWND active = GetActiveWindow();
    return active && IsWindowVisible(active) ? active : nullptr;
}

MessageAnswer Win32MessageBoxes::show(MessageKind kind, const std::string& text,
                                      MessageButtons buttons) {
    UINT style = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
    switch (kind) {
        case MessageKind::Warning:
            style |= MB_ICONWARNING;
            break;
        case MessageKind::Error:
            style |= MB_ICONERROR;
            break;
        case MessageKind::Information:
            style |= MB_ICONINFORMATION;
            break;
        case MessageKind::Confirm:
            style |= MB_ICONQUESTION;
            break;
    }
    const EscapeAnswersNo escapeAnswersNo;
    const int answer =
        MessageBoxA(messageOwner(), text.c_str(), messageCaption(kind), style | MB_TASKMODAL);
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

void Win32MessageBoxes::showApplicationError(const std::string& text) {
    MessageBoxA(messageOwner(), text.c_str(), applicationTitle_.c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void Win32MessageBoxes::showPlain(const std::string& text) {
    MessageBoxA(messageOwner(), text.c_str(), applicationTitle_.c_str(), MB_OK | MB_TASKMODAL);
}

namespace {

// Holds the clipboard open for one scope. Another program may hold it for a
// moment (a clipboard viewer reading what we put there), so it is asked a
// few times before the user hears of it.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        constexpr int kAttempts = 5;
        constexpr DWORD kPauseMs = 20;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            if (attempt > 0) Sleep(kPauseMs);
            if (OpenClipboard(owner)) return;
        }
        throw std::runtime_error(kClipboardHeldMessage);
    }
    ~OpenedClipboard() { CloseClipboard(); }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

// A movable block of memory, freed unless the clipboard took it.
class GlobalBlock {
public:
    explicit GlobalBlock(std::size_t size) : block_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
    ~GlobalBlock() {
        if (block_) GlobalFree(block_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return block_; }
    void handedOver() { block_ = nullptr; }

private:
    HGLOBAL block_;
};

}  // namespace

bool Win32Clipboard::hasText() const {
    return IsClipboardFormatAvailable(CF_TEXT) != 0;
}

std::string Win32Clipboard::text() const {
    OpenedClipboard clipboard(owner_.handle());
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return {};
    const auto* bytes = static_cast<const char*>(GlobalLock(data));
    if (!bytes) return {};
    // The block may be larger than its text; the text ends at its zero.
    const std::string text(bytes, strnlen(bytes, GlobalSize(data)));
    GlobalUnlock(data);
    return text;
}

void Win32Clipboard::setText(const std::string& text) {
    GlobalBlock block(text.size() + 1);
    auto* bytes = block.get() ? static_cast<char*>(GlobalLock(block.get())) : nullptr;
    if (!bytes) throw std::runtime_error(kClipboardRefusedMessage);
    memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block.get());
    OpenedClipboard clipboard(owner_.handle());
    // Emptying makes the owner window the clipboard's owner.
    if (!EmptyClipboard() || !SetClipboardData(CF_TEXT, block.get()))
        throw std::runtime_error(kClipboardRefusedMessage);
    block.handedOver();
}

namespace {

// The scheme of an address, lower-cased; empty when the text has none.
std::string schemeOf(const std::string& target) {
    const auto colon = target.find(':');
    // "c:" is a drive, not a scheme.
    if (colon == std::string::npos || colon < 2) return {};
    if (!isalpha(static_cast<unsigned char>(target[0]))) return {};
    std::string scheme;
    for (std::size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(target[i]);
        if (!(isalnum(c) || c == '+' || c == '-' || c == '.')) return {};
        scheme += static_cast<char>(tolower(c));
    }
    return scheme;
}

// A drive path or a network path: the shell would run what it names.
bool isFilePath(const std::string& target) {
    return (target.size() > 2 && target[1] == ':' && (target[2] == '\\' || target[2] == '/')) ||
           target.rfind("\\\\", 0) == 0 || target.rfind("//", 0) == 0;
}

// Schemes through which the shell reaches files and programs, not pages.
bool namesAFile(const std::string& scheme) {
    return scheme == "file" || scheme == "shell";
}

bool isFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void Win32Shell::openDocument(const std::string& target, const std::string& workingFolder) {
    if (target.empty()) return;
    std::string document;
    if (!workingFolder.empty()) {
        // Help: a file of the install folder, or nothing.
        const std::string path = workingFolder + "\\" + target;
        if (!isFile(path)) return;
        document = path;
    } else if (isFilePath(target)) {
        if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        document = target;
    } else {
        document = schemeOf(target).empty() ? "http://" + target : target;
    }
    ShellExecuteA(nullptr, "open", document.c_str(), nullptr,
                  workingFolder.empty() ? nullptr : workingFolder.c_str(), SW_SHOWNORMAL);
}

void Win32Shell::openSite(const std::string& site) {
    // "open" on a path or a file address would start the program it names;
    // a site such as "calc.exe" is an address, never a program on the path.
    if (site.empty() || isFilePath(site)) return;
    const std::string scheme = schemeOf(site);
    if (namesAFile(scheme)) return;
    const std::string address = scheme.empty() ? "http://" + site : site;
    ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string quotedArgument(const std::string& argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

namespace {

// False when the system refused to start the program.
bool startWithShowState(const std::string& program, const std::string& parameter,
                        std::optional<WORD> showState) {
    std::string commandLine = quotedArgument(program);
    if (!parameter.empty()) commandLine += ' ' + quotedArgument(parameter);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (showState) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = *showState;
    }
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    // No application name: a bare name ("Netscape") is looked for as the
    // system looks for a command, with ".exe" added, as a browser started
    // by its service name must be; the command line's quotes keep the
    // program one argument.
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

void Win32Shell::startProgram(const std::string& program, const std::string& parameter) {
    startWithShowState(program, parameter, std::nullopt);
}

bool Win32Shell::startMinimised(const std::string& program, const std::string& parameter) {
    return startWithShowState(program, parameter, SW_SHOWMINNOACTIVE);
}

Win32Timers::Win32Timers(ApplicationWindow& window) : window_(window) {
    window_.onMessage(WM_TIMER, [this](WPARAM id, LPARAM) -> std::optional<LRESULT> {
        const auto found = pending_.find(id);
        if (found == pending_.end()) return std::nullopt;
        KillTimer(window_.handle(), id);
        const auto fire = std::move(found->second);
        pending_.erase(found);
        fire();
        return 0;
    });
}

Win32Timers::~Win32Timers() {
    for (const auto& [id, fire] : pending_) KillTimer(window_.handle(), id);
    window_.forgetMessage(WM_TIMER);
}

void Win32Timers::startOneShot(int milliseconds, std::function<void()> fire) {
    const UINT_PTR id = nextId_++;
    pending_[id] = std::move(fire);
    SetTimer(window_.handle(), id, static_cast<UINT>(milliseconds > 0 ? milliseconds : 0), nullptr);
}

Win32Hotkeys::Win32Hotkeys(ApplicationWindow& window, std::function<void(int id)> pressed)
    : window_(window) {
    window_.onMessage(WM_HOTKEY,
                      [pressed = std::move(pressed)](WPARAM id, LPARAM) -> std::optional<LRESULT> {
                          pressed(static_cast<int>(id));
                          return 0;
                      });
}

Win32Hotkeys::~Win32Hotkeys() {
    for (const auto& [id, held] : registered_)
        if (held) UnregisterHotKey(window_.handle(), id);
    window_.forgetMessage(WM_HOTKEY);
}

bool Win32Hotkeys::registerHotkey(int id, unsigned modifiers, unsigned keyCode) {
    const bool held = RegisterHotKey(window_.handle(), id, modifiers, keyCode) != 0;
    registered_[id] = held;
    return held;
}

void Win32Hotkeys::unregisterHotkey(int id) {
    UnregisterHotKey(window_.handle(), id);
    registered_.erase(id);
}

std::string Win32KeyboardLayout::keyName(unsigned virtualKey) const {
    const UINT scanCode = MapVirtualKeyA(virtualKey, 0 /* MAPVK_VK_TO_VSC */);
    if (scanCode == 0) return {};
    char name[64] = {};
    const int length = GetKeyNameTextA(static_cast<LONG>(scanCode << 16), name, sizeof name);
    return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

namespace {

std::string mappedSortKey(const std::string& text, DWORD flags) {
    const int textLength = static_cast<int>(text.size());
    const int size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | flags, text.c_str(),
                                  textLength, nullptr, 0);
    if (size <= 0) return text;
    std::string key(static_cast<std::size_t>(size), '\0');
    LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | flags, text.c_str(), textLength, key.data(),
                 size);
    // The key ends in a zero the byte order must not see.
    if (!key.empty() && key.back() == '\0') key.pop_back();
    return key;
}

}  // namespace

std::string Win32Collation::sortKey(const std::string& text) const {
    return mappedSortKey(text, 0);
}

std::string Win32Collation::sortKeyIgnoringCase(const std::string& text) const {
    return mappedSortKey(text, NORM_IGNORECASE);
}

bool Win32Collation::equalIgnoringCase(const std::string& a, const std::string& b) const {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                          static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace zn::win32
