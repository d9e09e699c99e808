#include "framework/MessageBox.h"

#include <utility>

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "framework/WindowBackend.h"

namespace {

MessageBoxResponder& Responder() {
    static MessageBoxResponder responder;
    return responder;
}

}  // namespace

int AfxMessageBox(const std::string& text, MessageBoxButtons buttons, MessageBoxIcon icon) {
    const CDialog* owner = AfxGetActiveModalDialog();
    const std::string caption = AfxGetApp() ? AfxGetApp()->m_pszAppName : std::string();
    return window_backend::ShowMessageBox(owner ? owner->m_hWnd : nullptr, text, caption, buttons,
                                          icon);
}

MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder) {
    return std::exchange(Responder(), std::move(responder));
}

const MessageBoxResponder& InstalledMessageBoxResponder() {
    return Responder();
}
