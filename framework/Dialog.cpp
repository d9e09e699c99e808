#include "framework/Dialog.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/ExceptionReport.h"
#include "framework/WinApp.h"
#include "framework/WindowBackend.h"

namespace {

// The modal dialogs running on the window thread, innermost last.
std::vector<CDialog*> g_modalDialogs;

}  // namespace

CDialog* AfxGetActiveModalDialog() {
    return g_modalDialogs.empty() ? nullptr : g_modalDialogs.back();
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd) {
        return;
    }
    if (!control.SubclassDlgItem(id, pDX->m_pDlgWnd)) {
        throw std::logic_error("对话框中没有控件 " + std::to_string(id) + "。");
    }
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(unsigned templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (const WindowHandle window = m_hWnd) {
        Detach();
        window_backend::DestroyDialogWindow(window);
    }
}

WindowHandle CDialog::OwnerForModalRun() const {
    if (m_pParentWnd && m_pParentWnd->m_hWnd) {
        return m_pParentWnd->DialogHandle();
    }
    if (const CDialog* innermost = AfxGetActiveModalDialog()) {
        return innermost->m_hWnd;
    }
    const CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd != this) {
        return app->m_pMainWnd->m_hWnd;
    }
    return nullptr;
}

std::intptr_t CDialog::DoModal() {
    const WindowHandle owner = OwnerForModalRun();
    const WindowHandle window = window_backend::CreateDialogWindow(m_nIDTemplate, owner, this);
    if (!window) {
        return -1;
    }
    Attach(window);
    m_bEnded = false;
    m_nModalResult = -1;

    const bool ownerWasEnabled = owner && window_backend::IsEnabled(owner);
    if (ownerWasEnabled) {
        window_backend::Enable(owner, false);
    }
    g_modalDialogs.push_back(this);

    bool focusFirstTabStop = true;
    try {
        focusFirstTabStop = OnInitDialog();
    } catch (...) {
        ReportException(std::current_exception(), m_hWnd);
    }
    if (!m_bEnded) {
        if (focusFirstTabStop) {
            window_backend::FocusFirstTabStop(m_hWnd);
        }
        window_backend::ShowDialog(m_hWnd, owner);
        window_backend::RunModalLoop(m_hWnd);
    }

    std::erase(g_modalDialogs, this);
    if (ownerWasEnabled) {
        window_backend::Enable(owner, true);
        window_backend::ActivateWindow(owner);
    }
    Detach();
    window_backend::DestroyDialogWindow(window);
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bEnded = true;
    if (m_hWnd) {
        window_backend::EndModalLoop(m_hWnd);
    }
}

void CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
}

void CDialog::MapDialogRect(CRect* rect) const {
    if (m_hWnd) {
        *rect = window_backend::MapDialogUnits(m_hWnd, *rect);
    }
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
