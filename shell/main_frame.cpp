#include "main_frame.h"

#include <cstring>
#include <string>

#include "blowfish_view.h"
#include "message_box.h"
#include "resource.h"
#include "session_end.h"
#include "shell_verbs.h"
#include "version_stamp.h"
#include "win_app.h"
#include "window_placement.h"

IMPLEMENT_DYNAMIC(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_CAPTIONPAINT, OnPaintCaptionRequest)
    ON_WM_CLOSE()
    ON_MESSAGE(WM_QUERYENDSESSION, OnQueryEndSession)
END_MESSAGE_MAP()

namespace {

constexpr DWORD kMainFrameStyle = WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x008A0000
constexpr DWORD kToolBarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP;          // 0x50002800
constexpr char kCloseQuestion[] =
    "Kestrine is still processing information.\nClosing could lose this information.\n\nContinue closing?";
// The files a closing window names as not taken up; the rest are counted.
constexpr size_t kMostRequestsListed = 12;

// Answers Yes on the first visible dialog it is given; goes on through the others.
BOOL CALLBACK PressYesOnDialog(HWND hWnd, LPARAM) {
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !::IsWindowVisible(hWnd)) return TRUE;
    ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hWnd, IDYES)));
    return FALSE;
}

const CRegistryProfile* AppProfile() {
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr ? &pApp->GetProfile() : nullptr;
}

}  // namespace

CMainFrame::CMainFrame()
    : CFrameWnd(), m_bShowAbout(0), m_wndToolBar(), m_nTop(0), m_nLeft(0), m_nHeight(kMainWindowHeight),
      m_nWidth(kMainWindowWidth), m_captionPainter(), m_bCloseUnderWay(FALSE), m_bAskingToClose(FALSE),
      m_bHoldingUpSessionEnd(FALSE) {
    CheckVersionStamp();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CheckVersionStamp() {
    if (const CRegistryProfile* pProfile = AppProfile()) ::CheckVersionStamp(*pProfile);
}

void CMainFrame::WriteVersionStamp() {
    if (const CRegistryProfile* pProfile = AppProfile()) ::WriteVersionStamp(*pProfile);
}

void CMainFrame::ComputeWindowPlacement() {
    const WindowPlacement placement = ::ComputeWindowPlacement();
    m_nWidth = placement.nWidth;
    m_nHeight = placement.nHeight;
    m_nLeft = placement.nLeft;
    m_nTop = placement.nTop;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    // No sizing border and no maximise box; the title is the program's name alone.
    cs.style = static_cast<LONG>(kMainFrameStyle);
    ComputeWindowPlacement();
    cs.x = m_nLeft;
    cs.y = m_nTop;
    cs.cx = m_nWidth;
    cs.cy = m_nHeight;
    return CFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
    if (!m_wndToolBar.Create(this, kToolBarStyle, AFX_IDW_TOOLBAR)) return -1;
    if (!m_wndToolBar.LoadToolBar(IDR_MAINFRAME)) return -1;
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    // The menu of the frame's resources is never shown.
    ::SetMenu(m_hWnd, nullptr);
    RecalcLayout();
    m_captionPainter.Install(this, WM_CAPTIONPAINT, FALSE);
    return 0;
}

LRESULT CMainFrame::OnPaintCaptionRequest(WPARAM wParam, LPARAM lParam) {
    m_captionPainter.PaintGradientCaption(static_cast<BOOL>(wParam), reinterpret_cast<const CaptionPaintInfo*>(lParam),
                                          m_strTitle);
    return 0;
}

void CMainFrame::OnUpdateFrameTitle(BOOL) { m_captionPainter.UpdateFrameTitle(m_hWnd, m_strTitle); }

CBlowfishView* CMainFrame::GetBlowfishView() const {
    CView* pView = GetActiveView();
    return pView != nullptr && pView->IsKindOf(RUNTIME_CLASS(CBlowfishView)) ? static_cast<CBlowfishView*>(pView)
                                                                              : nullptr;
}

void CMainFrame::OnShellVerb(const std::string& strVerb, const std::wstring& strPath) {
    if (CBlowfishView* pView = GetBlowfishView()) RunShellVerb(*pView, strVerb, strPath);
}

BOOL CMainFrame::CanTakeShellRequestNow() {
    const CBlowfishView* pView = GetBlowfishView();
    return pView != nullptr && pView->IsReadyForAFile();
}

void CMainFrame::OnJobEnded() {
    if (!m_bAskingToClose) {
        if (UnfinishedWork() == nullptr) TakeBackSessionEndReason();
        ResumeShellRequests();
        return;
    }
    // The question is the one dialog of this thread while it is up: closing waits for every
    // other one to go before it asks.
    ::EnumThreadWindows(::GetCurrentThreadId(), PressYesOnDialog, 0);
}

void CMainFrame::OnClose() {
    if (m_bCloseUnderWay) return;
    // From the first moment of a close on, no other start hands a file over to this window
    // and no waiting file is taken up.
    BeginClosing();
    // A flow's dialog is up: the flow, its view and this frame must outlive it.
    if (PostponeCloseWhileModal()) return;
    m_bCloseUnderWay = TRUE;
    CBlowfishView* pView = GetBlowfishView();
    if (pView != nullptr && pView->m_bBusy == 1) {
        if (!AskToCloseWhileBusy()) {
            m_bCloseUnderWay = FALSE;
            CancelClosing();
            return;
        }
        StopJobAndWait(*pView);
    }
    TellOfRequestsNotTaken();
    const HWND hWnd = m_hWnd;
    CFrameWnd::OnClose();
    // Only a window that stays keeps this object.
    if (::IsWindow(hWnd)) {
        m_bCloseUnderWay = FALSE;
        CancelClosing();
    }
}

const wchar_t* CMainFrame::UnfinishedWork() const {
    const CBlowfishView* pView = GetBlowfishView();
    if (pView != nullptr && pView->m_bBusy == 1) return L"Kestrine is still working on a file.";
    if (!WaitingShellRequests().empty()) return L"Files handed to Kestrine wait to be taken up.";
    return nullptr;
}

LRESULT CMainFrame::OnQueryEndSession(WPARAM, LPARAM lParam) {
    // A log-off would kill the job, whose unfinished file goes with it, and drop the waiting
    // files without a word: the user is told why the session waits and may end it anyway.
    const wchar_t* reason = UnfinishedWork();
    if (reason == nullptr || SessionEndIsCritical(lParam)) {
        TakeBackSessionEndReason();
        return TRUE;
    }
    m_bHoldingUpSessionEnd = TRUE;
    HoldUpSessionEnd(m_hWnd, reason);
    return FALSE;
}

void CMainFrame::TakeBackSessionEndReason() {
    if (!m_bHoldingUpSessionEnd) return;
    m_bHoldingUpSessionEnd = FALSE;
    StopHoldingUpSessionEnd(m_hWnd);
}

bool CMainFrame::AskToCloseWhileBusy() {
    m_bAskingToClose = TRUE;
    const int nAnswer = AfxMessageBox(kCloseQuestion, MB_YESNO);
    m_bAskingToClose = FALSE;
    return nAnswer != IDNO;
}

void CMainFrame::TellOfRequestsNotTaken() {
    const auto& waiting = WaitingShellRequests();
    if (waiting.empty()) return;
    std::wstring text = L"Kestrine closed before it took up these files. Nothing was done to them:\n";
    size_t nListed = 0;
    for (const PendingShellRequest& request : waiting) {
        if (nListed++ == kMostRequestsListed) {
            text += L"\nand " + std::to_wstring(waiting.size() - kMostRequestsListed) + L" more.";
            break;
        }
        text += L"\n" + DescribeShellRequest(request.strVerb, request.strPath);
    }
    AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
}

void CMainFrame::StopJobAndWait(CBlowfishView& view) {
    view.RequestStop();
    // The job ends by posting WM_JOB_DONE, whose handler clears the busy flag; until then
    // this thread must keep answering the worker's progress messages.
    bool bQuit = false;
    WPARAM nQuitCode = 0;
    while (view.m_bBusy) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg{};
        while (view.m_bBusy && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                bQuit = true;
                nQuitCode = msg.wParam;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    if (bQuit) ::PostQuitMessage(static_cast<int>(nQuitCode));
}
