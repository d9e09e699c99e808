#include "framework/ProgramEntry.h"

#include "framework/ProcessSetup.h"
#include "framework/WinApp.h"
#include "framework/WindowBackend.h"

bool AfxWinInit(const char* programName) {
    return window_backend::Initialise(programName);
}

int AfxWinMain(std::string_view executablePath) {
    PrepareProcessForRemovableMedia();
    CWinApp* app = AfxGetApp();
    if (!app) {
        return 1;
    }
    if (app->m_pszAppName.empty()) {
        app->m_pszAppName = AppNameFromExecutablePath(executablePath);
    }
    app->InitInstance();
    return app->ExitInstance();
}

std::string AppNameFromExecutablePath(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    return std::string(name);
}
