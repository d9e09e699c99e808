#include "framework/WinApp.h"

#include "framework/Resources.h"

namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp* AfxGetApp() {
    return g_app;
}

CWinApp::CWinApp(const char* appName) {
    if (appName) {
        m_pszAppName = appName;
    }
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

bool CWinApp::InitInstance() {
    return false;
}

int CWinApp::ExitInstance() {
    return 0;
}

IconHandle CWinApp::LoadIcon(unsigned id) const {
    return LoadProgramIcon(id);
}
