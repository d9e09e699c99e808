// GTK backend: the program's entry. Starts GTK with nothing but the program's name and hands
// over to the framework with the path of the executable (the link behind /proc/self/exe).
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "framework/ProgramEntry.h"

namespace {

std::string ExecutablePath(const char* argv0) {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof path) {
        return std::string(path, static_cast<std::size_t>(length));
    }
    return argv0 ? argv0 : "";
}

}  // namespace

int main(int, char** argv) {
    if (!AfxWinInit(argv[0])) {
        std::fprintf(stderr, "%s: cannot open display\n", argv[0]);
        return 1;
    }
    return AfxWinMain(ExecutablePath(argv[0]));
}
