#include "app/CardTestApp.h"

#include "ui/CardTestDlg.h"

// The one application object, constructed before the framework's entry runs. It has no name of
// its own, so the executable's name is the application's.
CCardTestApp theApp;

bool CCardTestApp::InitInstance() {
    CCardTestDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // No application message loop follows: the program ends here.
    return false;
}
