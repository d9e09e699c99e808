#include "framework/Shell.h"

#include <utility>

#include "framework/WindowBackend.h"

namespace {

ShellLauncher& Launcher() {
    static ShellLauncher launcher;
    return launcher;
}

}  // namespace

bool ShellOpen(const std::string& address) {
    const ShellLauncher& launcher = Launcher();
    return launcher ? launcher(address) : window_backend::LaunchDefaultHandler(address);
}

ShellLauncher SetShellLauncher(ShellLauncher launcher) {
    return std::exchange(Launcher(), std::move(launcher));
}
