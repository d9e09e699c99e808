// CCardTestDlg: the program's main window. Lists the removable drives, starts and stops the write
// pass, asks for the re-insertion and starts the verify pass, and shows the status text every
// 100 ms until the verdict.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "ui/CardTestSession.h"
#include "ui/LinkLabel.h"

class CCardTestDlg : public CDialog {
  public:
    using DriveLister = std::function<std::vector<std::string>()>;

    // The dialog on the platform's file system and its removable drives.
    CCardTestDlg();
    // The dialog on another medium and drive list: a simulated card, in tests.
    CCardTestDlg(FileSystem& medium, DriveLister listDrives);
    ~CCardTestDlg() override;

    // The state shared with the workers, for whoever watches the test (tests, mostly).
    const TestRun& Run() const { return m_run; }

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnVerify();
    void OnLinkClicked();
    void OnTimer(std::uintptr_t nIDEvent);
    void OnSysCommand(unsigned nID, std::intptr_t lParam);
    void OnPaint();
    IconHandle OnQueryDragIcon();
    std::intptr_t OnWritePassEnded(std::uintptr_t wParam, std::intptr_t lParam);

    DECLARE_MESSAGE_MAP()

    CLinkLabel m_link;
    CComboBox m_cbDrives;
    IconHandle m_hIcon;

  private:
    // The drive list's current selection into m_szDrive; false when nothing is selected.
    bool TakeSelectedDrive();
    // The write and verify buttons as they stand once the write pass has ended.
    void ShowWriteEnded();

    std::shared_ptr<CardTestSession> m_session;
    TestRun& m_run;
    DriveLister m_listDrives;
    bool m_bVerifyStarted = false;  // at most one verify pass a dialog
};
