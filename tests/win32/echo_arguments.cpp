// Writes the arguments it was started with to the file ZN_ECHO_OUT names, a
// count and then one per line, so that a test can see what a started program got.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const char* path = std::getenv("ZN_ECHO_OUT");
    if (!path) return 2;
    FILE* out = std::fopen(path, "wb");
    if (!out) return 1;
    std::fprintf(out, "%d\n", argc - 1);
    for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
    return std::fclose(out) == 0 ? 0 : 1;
}
