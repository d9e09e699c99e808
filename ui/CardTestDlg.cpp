#include "ui/CardTestDlg.h"

#include "engine/StatusText.h"
#include "engine/VerifyPass.h"
#include "engine/WritePass.h"
#include "framework/DC.h"
#include "framework/Menu.h"
#include "framework/RemovableDrives.h"
#include "framework/Resources.h"
#include "framework/Shell.h"
#include "framework/Thread.h"
#include "res/resource.h"
#include "ui/AboutBox.h"

namespace {

constexpr char kWriteCaption[] = "1.写入数据";
constexpr char kStopCaption[] = "1.停止写入";

}  // namespace

BEGIN_MESSAGE_MAP(CCardTestDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_VERIFY, &CCardTestDlg::OnVerify)
    ON_STN_CLICKED(IDC_LINK, &CCardTestDlg::OnLinkClicked)
    ON_MESSAGE(WM_WRITE_PASS_ENDED, &CCardTestDlg::OnWritePassEnded)
END_MESSAGE_MAP()

CCardTestDlg::CCardTestDlg()
    : CCardTestDlg(PlatformFileSystem(), [] { return ListRemovableDriveRoots(); }) {}

CCardTestDlg::CCardTestDlg(FileSystem& medium, DriveLister listDrives)
    : CDialog(IDD_MAIN),
      m_hIcon(LoadProgramIcon(IDI_APP)),
      m_session(std::make_shared<CardTestSession>(medium)),
      m_run(m_session->Run()),
      m_listDrives(std::move(listDrives)) {}

CCardTestDlg::~CCardTestDlg() {
    m_session->Close();
}

void CCardTestDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LINK, m_link);
    DDX_Control(pDX, IDC_DRIVES, m_cbDrives);
}

bool CCardTestDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* systemMenu = GetSystemMenu(false)) {
        const std::string aboutText = LoadString(IDS_ABOUT_MENU);
        if (!aboutText.empty()) {
            systemMenu->AppendMenu(MenuFlag::separator);
            systemMenu->AppendMenu(MenuFlag::string, IDM_ABOUT, aboutText);
        }
    }
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);

    m_run.Reset();
    m_session->AnnounceTo(GetMessagePoster());
    SetTimer(TIMER_STATUS, 100, nullptr);

    for (const std::string& root : m_listDrives()) m_cbDrives.AddString(root);
    m_cbDrives.SetCurSel(0);
    return true;
}

bool CCardTestDlg::TakeSelectedDrive() {
    std::string drive;
    if (m_cbDrives.GetLBText(m_cbDrives.GetCurSel(), drive) == CComboBox::error) return false;
    m_run.m_szDrive = drive;
    return true;
}

void CCardTestDlg::OnOK() {
    if (m_run.m_bWriteStarted == 0) {
        // With no drive to test there is nothing to start.
        if (!TakeSelectedDrive()) return;
        m_run.m_bWriteStarted = 1;
        m_run.m_nWrittenMB = 0;
        m_run.m_bStopWrite = 0;
        std::shared_ptr<CardTestSession> session = m_session;
        if (!StartWorkerThread([session] { WriteThreadProc(session.get()); })) {
            // Back to Ready, so that another press can try again.
            m_run.m_bStopWrite = 1;
            m_run.m_bWriteStarted = 0;
            return;
        }
        SetDlgItemText(IDOK, kStopCaption);
        return;
    }
    // A later press stops the pass; the worker finishes the block in hand.
    GetDlgItem(IDC_VERIFY)->EnableWindow(true);
    GetDlgItem(IDOK)->EnableWindow(false);
    m_run.m_bStopWrite = 1;
    SetDlgItemText(IDOK, kWriteCaption);
}

void CCardTestDlg::OnVerify() {
    if (m_bVerifyStarted || m_cbDrives.GetCurSel() == CComboBox::error) return;
    if (MessageBox(kReinsertQuestion, {}, MessageBoxButtons::okCancel) != IDOK) return;

    // Read afresh: the medium may have come back as another drive.
    if (!TakeSelectedDrive()) return;
    m_run.m_bStopVerify = 0;
    std::shared_ptr<CardTestSession> session = m_session;
    if (!StartWorkerThread([session] { VerifyThreadProc(session.get()); })) {
        m_run.m_bStopVerify = 1;
        return;
    }
    m_bVerifyStarted = true;
    GetDlgItem(IDC_VERIFY)->EnableWindow(false);
    GetDlgItem(IDOK)->EnableWindow(false);
}

std::intptr_t CCardTestDlg::OnWritePassEnded(std::uintptr_t, std::intptr_t) {
    // A verify pass may already run (confirmed while the writer was finishing): then the verify
    // button stays disabled, so that no second verify pass can start on the same state.
    if (!m_bVerifyStarted) GetDlgItem(IDC_VERIFY)->EnableWindow(true);
    GetDlgItem(IDOK)->EnableWindow(false);
    SetDlgItemText(IDOK, kWriteCaption);
    return 0;
}

void CCardTestDlg::OnLinkClicked() {
    ShellOpen(PROMOTION_URL);
}

void CCardTestDlg::OnTimer(std::uintptr_t nIDEvent) {
    if (std::optional<std::string> text = FormatStatusText(m_run))
        SetDlgItemText(IDC_STATUS, *text);
    CDialog::OnTimer(nIDEvent);
}

void CCardTestDlg::OnSysCommand(unsigned nID, std::intptr_t lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUT) {
        CAboutBox about;
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

void CCardTestDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(wm::iconEraseBkgnd, reinterpret_cast<std::uintptr_t>(dc.GetSafeHdc()), 0);
    const int iconWidth = GetSystemMetric(SystemMetric::iconWidth);
    const int iconHeight = GetSystemMetric(SystemMetric::iconHeight);
    CRect client;
    GetClientRect(&client);
    dc.DrawIcon((client.Width() - iconWidth + 1) / 2, (client.Height() - iconHeight + 1) / 2,
                m_hIcon);
}

IconHandle CCardTestDlg::OnQueryDragIcon() {
    return m_hIcon;
}
