// CDialog: a modal dialog built from a dialog template of the program's resources, and the data
// exchange that binds the dialog's controls to member objects.
#pragma once

#include <cstdint>

#include "framework/DialogIds.h"
#include "framework/Wnd.h"

class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    bool m_bSaveAndValidate;  // true: controls to members; false: members to controls
    CWnd* m_pDlgWnd;
};

// Binds control id of the dialog to control, once: from then on the control's messages reach
// control's message map. Throws std::logic_error when the dialog has no such control.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
  public:
    // The dialog of template templateId; its owner is parent, or else the innermost modal dialog
    // open when it runs.
    explicit CDialog(unsigned templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog, initialises it, centres it (over its owner if it has one), disables
    // the owner, and runs until EndDialog; then enables and activates the owner again, destroys
    // the window and returns the result given to EndDialog. -1 when the dialog cannot be made.
    std::intptr_t DoModal();
    // Ends the modal run with result, once the handler in progress returns.
    void EndDialog(int result);

    // Runs the data exchange (a failed exchange throws).
    void UpdateData(bool saveAndValidate = true);
    // Dialog units of this dialog's font to pixels.
    void MapDialogRect(CRect* rect) const;

    // Runs the data exchange. Returns true to put the focus on the first tab stop.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // The OK and Cancel commands (also Enter on the default button, and Esc or closing): end the
    // dialog with IDOK or IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();

    unsigned m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

  private:
    WindowHandle OwnerForModalRun() const;

    int m_nModalResult = -1;
    bool m_bEnded = false;
};

// The innermost modal dialog that is running; null when none is.
CDialog* AfxGetActiveModalDialog();
