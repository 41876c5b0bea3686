// Writes the arguments it was started with to the file ZN_ECHO_OUT names, a
// count and then one per line, so that a test can see what a started program
// got; and the show state it was given to the file ZN_ECHO_SHOW names, if any.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (const char* showPath = std::getenv("ZN_ECHO_SHOW")) {
        STARTUPINFOA startup{};
        GetStartupInfoA(&startup);
        if (FILE* show = std::fopen(showPath, "wb")) {
            std::fprintf(show, "%d\n", (startup.dwFlags & STARTF_USESHOWWINDOW)
                                           ? static_cast<int>(startup.wShowWindow)
                                           : -1);
            std::fclose(show);
        }
    }
    const char* path = std::getenv("ZN_ECHO_OUT");
    if (!path) return 2;
    FILE* out = std::fopen(path, "wb");
    if (!out) return 1;
    std::fprintf(out, "%d\n", argc - 1);
    for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
    return std::fclose(out) == 0 ? 0 : 1;
}
