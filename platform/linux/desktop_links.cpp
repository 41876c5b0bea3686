#include "platform/linux/desktop_links.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/autostart_mirror.h"

namespace zn {
namespace {

std::string linkNameOf(const std::string& linkPath) {
    return std::filesystem::path(linkPath).stem().string();
}

bool isProgram(const std::string& target) {
    struct stat status {};
    return ::stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(target.c_str(), X_OK) == 0;
}

// Launchers on the desktop must be executable before a desktop runs them.
bool writeEntry(const std::string& path, const std::string& text) {
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (!(file << text)) return false;
    }
    return ::chmod(path.c_str(), 0755) == 0;
}

}  // namespace

std::string linkDesktopEntry(const std::string& linkName, const std::string& target, bool program) {
    const RunCommand command = program ? RunCommand{target, {}} : RunCommand{"xdg-open", {target}};
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=" +
           desktopStringValue(linkName) +
           "\n"
           "Exec=" +
           desktopStringValue(desktopExecValue(command)) +
           "\n"
           "Terminal=false\n";
}

void DesktopEntryLinks::createLink(const std::string& target, const std::string& linkPath) {
    writeEntry(linkPath, linkDesktopEntry(linkNameOf(linkPath), target, isProgram(target)));
}

void DesktopEntryLinks::renameLink(const std::string& from, const std::string& to) {
    struct stat status {};
    if (::lstat(from.c_str(), &status) != 0 || ::lstat(to.c_str(), &status) == 0) return;
    std::ifstream source(from, std::ios::binary);
    std::string text, line;
    bool named = false;
    while (std::getline(source, line)) {
        if (!named && line.rfind("Name=", 0) == 0) {
            line = "Name=" + desktopStringValue(linkNameOf(to));
            named = true;
        }
        text += line + '\n';
    }
    if (!source.eof()) return;
    if (writeEntry(to, text)) ::unlink(from.c_str());
}

void DesktopEntryLinks::markTrusted(const std::string& linkPath) {
    // The desktop icons of GNOME start a launcher only once it is trusted.
    std::string program = "gio", command = "set", key = "metadata::trusted", value = "true";
    std::string path = linkPath;
    char* arguments[] = {program.data(), command.data(), path.data(),
                         key.data(),     value.data(),   nullptr};
    // A desktop without the metadata store makes gio complain: not ours to show.
    posix_spawn_file_actions_t quiet;
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, "gio", &quiet, nullptr, arguments, environ);
    ::posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace zn
