#include "frame_wnd.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "cmd_ui.h"
#include "control_bar.h"
#include "document.h"
#include "instance_handover.h"
#include "messages.h"
#include "modal_loop.h"
#include "afxres.h"
#include "view.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_DROPFILES()
    ON_MESSAGE(WM_COPYDATA, OnCopyData)
    ON_MESSAGE(WM_KST_SHELL_OPEN, OnShellOpen)
    ON_MESSAGE(WM_TIMER, OnTimerMessage)
    ON_MESSAGE(WM_ACTIVATE, OnActivateMessage)
    ON_MESSAGE(WM_NCDESTROY, OnNcDestroyMessage)
    ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

namespace {

// The tool-tip of a command: its string's text after the line break.
CString ToolTipOf(UINT nID) {
    char buffer[256] = {};
    const int n = ::LoadStringA(::GetModuleHandleA(nullptr), nID, buffer, sizeof buffer);
    CString text(buffer, n);
    const int nBreak = text.Find('\n');
    if (nBreak < 0) return CString();
    CString tip = text.Mid(nBreak + 1);
    const int nEnd = tip.Find('\n');
    return nEnd < 0 ? tip : tip.Left(nEnd);
}

}  // namespace

CFrameWnd::CFrameWnd()
    : m_strTitle(), m_nIDHelp(0), m_bDeleteWithWindow(FALSE), m_hMenuDefault(), m_hAccelTable(nullptr), m_hIcon(nullptr), m_pCreateContext(nullptr),
      m_pViewActive(nullptr), m_bTitleUpdatePending(FALSE), m_controlBars(), m_ownedViews(), m_pendingOpens(),
      m_bClosing(FALSE) {}

CFrameWnd::~CFrameWnd() {
    // The views' windows went with this window's children; now their objects go.
    for (auto& pView : m_ownedViews) {
        if (CDocument* pDoc = pView->GetDocument()) pDoc->RemoveView(pView.get());
    }
    m_pViewActive = nullptr;
    m_ownedViews.clear();
    // A window that outlives this body is destroyed by the base class, menu and all.
    LeaveMenuToWindow();
}

void CFrameWnd::LeaveMenuToWindow() {
    if (m_hWnd != nullptr && m_hMenuDefault.IsValid() && ::GetMenu(m_hWnd) == m_hMenuDefault.Get())
        m_hMenuDefault.Detach();
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
    const HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
    m_nIDHelp = nIDResource;
    char title[256] = {};
    const int n = ::LoadStringA(hInstance, nIDResource, title, sizeof title);
    CString strFull(title, n);
    const int nBreak = strFull.Find('\n');
    m_strTitle = nBreak < 0 ? strFull : strFull.Left(nBreak);
    m_hIcon = ::LoadIconA(hInstance, MAKEINTRESOURCEA(nIDResource));
    // A window of an earlier load that still shows the old menu takes it along when it goes.
    LeaveMenuToWindow();
    m_hMenuDefault = CMenuHandle(::LoadMenuA(hInstance, MAKEINTRESOURCEA(nIDResource)));
    m_hAccelTable = ::LoadAcceleratorsA(hInstance, MAKEINTRESOURCEA(nIDResource));

    m_pCreateContext = pContext;
    const BOOL bCreated = CreateEx(0, nullptr, m_strTitle, dwDefaultStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr,
                                   m_hMenuDefault);
    m_pCreateContext = nullptr;
    m_bDeleteWithWindow = bCreated;
    return bCreated;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (cs.lpszClass == nullptr) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), m_hIcon);
    }
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1) return -1;
    if (!OnCreateClient(lpcs, m_pCreateContext)) return -1;
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    if (pContext == nullptr || pContext->m_pfnNewView == nullptr) return TRUE;
    RECT rc{};
    GetClientRect(&rc);
    CView* pView = pContext->m_pfnNewView(pContext->m_pCurrentDoc, this, rc, AFX_IDW_PANE_FIRST);
    if (pView == nullptr) return FALSE;
    m_ownedViews.emplace_back(pView);
    m_pViewActive = pView;
    return TRUE;
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pViewActive != nullptr ? m_pViewActive->GetDocument() : nullptr;
}

CFrameWnd* CFrameWnd::GetParentFrameOf(CView* pView) {
    if (pView == nullptr) return nullptr;
    CWnd* pParent = CWnd::FromHandlePermanent(::GetParent(pView->GetSafeHwnd()));
    return pParent != nullptr && pParent->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(pParent)
                                                                               : nullptr;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The view first, then its document, then this frame, then the application.
    if (m_pViewActive != nullptr && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    if (CDocument* pDoc = GetActiveDocument()) {
        if (pDoc->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    }
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (m_hAccelTable == nullptr || m_hWnd == nullptr || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg) != 0;
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam != 0) return CWnd::OnCommand(wParam, lParam);  // a control's command or notification
    // A key (notification code 1) or a menu item: the command itself.
    const UINT nID = LOWORD(wParam);
    CCmdUI state;
    state.m_nID = nID;
    state.DoUpdate(this, FALSE);
    if (!state.m_bEnabled) return TRUE;  // disabled: nothing happens
    return OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr);
}

void CFrameWnd::AddControlBar(CControlBar* pBar) {
    if (std::find(m_controlBars.begin(), m_controlBars.end(), pBar) == m_controlBars.end())
        m_controlBars.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar) {
    m_controlBars.erase(std::remove(m_controlBars.begin(), m_controlBars.end(), pBar), m_controlBars.end());
}

void CFrameWnd::RecalcLayout() {
    if (m_hWnd == nullptr) return;
    RECT rc{};
    GetClientRect(&rc);
    for (CControlBar* pBar : m_controlBars) {
        if (pBar->GetSafeHwnd() == nullptr || !pBar->IsWindowVisible()) continue;
        const SIZE size = pBar->CalcFixedLayout(TRUE, TRUE);
        if (pBar->GetBarStyle() & CBRS_ALIGN_BOTTOM) {
            pBar->MoveWindow(rc.left, rc.bottom - size.cy, rc.right - rc.left, size.cy);
            rc.bottom -= size.cy;
        } else {
            pBar->MoveWindow(rc.left, rc.top, rc.right - rc.left, size.cy);
            rc.top += size.cy;
        }
    }
    if (HWND hView = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)) {
        ::MoveWindow(hView, rc.left, rc.top, std::max<LONG>(0, rc.right - rc.left),
                     std::max<LONG>(0, rc.bottom - rc.top), TRUE);
    }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    CDocument* pDoc = GetActiveDocument();
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
    if (bAddToTitle && (dwStyle & FWS_ADDTOTITLE) && pDoc != nullptr && !pDoc->GetTitle().IsEmpty())
        SetWindowText(pDoc->GetTitle() + " - " + m_strTitle);
    else
        SetWindowText(m_strTitle);
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
    if (m_pViewActive == nullptr && !m_ownedViews.empty()) m_pViewActive = m_ownedViews.front().get();
    RecalcLayout();
    OnUpdateFrameTitle(TRUE);
    if (pDoc != nullptr) {
        // A copy: an initial update may run long flows while the list stays as it is.
        const std::vector<CView*> views = pDoc->GetViews();
        for (CView* pView : views) pView->OnInitialUpdate();
    }
    if (bMakeVisible && m_hWnd != nullptr && IsWindowVisible()) {
        if (::IsIconic(m_hWnd)) ::ShowWindow(m_hWnd, SW_RESTORE);
        ::SetForegroundWindow(m_hWnd);
    }
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    if (m_bTitleUpdatePending) {
        m_bTitleUpdatePending = FALSE;
        OnUpdateFrameTitle(TRUE);
    }
    const std::vector<CControlBar*> bars = m_controlBars;
    for (CControlBar* pBar : bars) {
        if (pBar->GetSafeHwnd() != nullptr && pBar->IsWindowVisible()) pBar->OnUpdateCmdUI(this, TRUE);
    }
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        // Tool-tips of the bars' buttons come from the command strings.
        const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        const bool bWantTips = std::any_of(m_controlBars.begin(), m_controlBars.end(),
                                           [](CControlBar* pBar) { return (pBar->GetBarStyle() & CBRS_TOOLTIPS) != 0; });
        if (bWantTips && pHeader->code == TTN_GETDISPINFOA) {
            auto* pInfo = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            const CString tip = ToolTipOf(static_cast<UINT>(pHeader->idFrom));
            ::lstrcpynA(pInfo->szText, tip, sizeof pInfo->szText);
            pInfo->lpszText = pInfo->szText;
            return 0;
        }
        if (bWantTips && pHeader->code == TTN_GETDISPINFOW) {
            auto* pInfo = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            const CString tip = ToolTipOf(static_cast<UINT>(pHeader->idFrom));
            pInfo->szText[0] = L'\0';
            ::MultiByteToWideChar(CP_ACP, 0, tip, -1, pInfo->szText, sizeof pInfo->szText / sizeof pInfo->szText[0]);
            pInfo->szText[sizeof pInfo->szText / sizeof pInfo->szText[0] - 1] = L'\0';
            pInfo->lpszText = pInfo->szText;
            return 0;
        }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

BOOL CFrameWnd::PostponeCloseWhileModal() {
    if (!AfxIsInModalLoop()) return FALSE;
    AfxBackOutOfModalDialogs();
    ::SetTimer(m_hWnd, kRetryCloseTimer, 100, nullptr);
    return TRUE;
}

void CFrameWnd::OnClose() {
    if (PostponeCloseWhileModal()) return;
    CDocument* pDoc = GetActiveDocument();
    if (pDoc != nullptr && !pDoc->SaveModified()) return;
    BeginClosing();
    if (pDoc != nullptr) {
        pDoc->OnCloseDocument();  // destroys this frame with the document
        return;
    }
    DestroyWindow();
}

void CFrameWnd::OnDestroy() {
    BeginClosing();
    Default();
}

void CFrameWnd::BeginClosing() {
    m_bClosing = TRUE;
    MarkRunningMainWindow(m_hWnd, false);
}

void CFrameWnd::CancelClosing() {
    m_bClosing = FALSE;
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) pApp->MarkMainWindowAsRunningInstance();
    ResumeShellRequests();
}

void CFrameWnd::PostNcDestroy() {
    CWinThread* pThread = AfxGetThread();
    if (pThread != nullptr && pThread->m_pMainWnd == this) {
        pThread->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    if (m_bDeleteWithWindow) delete this;
}

void CFrameWnd::OnDropFiles(HDROP hDropInfo) {
    ::SetActiveWindow(m_hWnd);
    std::vector<std::wstring> paths;
    const UINT nFiles = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nFiles; ++i) {
        // The wide names: the narrow ones replace what the ANSI code page lacks.
        const UINT nLength = ::DragQueryFileW(hDropInfo, i, nullptr, 0);
        std::vector<wchar_t> buffer(nLength + 1, L'\0');
        ::DragQueryFileW(hDropInfo, i, buffer.data(), nLength + 1);
        paths.emplace_back(buffer.data());
    }
    ::DragFinish(hDropInfo);
    CWinApp* pApp = AfxGetApp();
    for (const std::wstring& path : paths) {
        if (pApp == nullptr || !CanOpenDocumentNow()) break;
        pApp->OpenDocumentFile(path.c_str());
    }
}

BOOL CFrameWnd::CanOpenDocumentNow() { return TRUE; }

LRESULT CFrameWnd::OnCopyData(WPARAM, LPARAM lParam) {
    // A window on its way out takes nothing: the sender then opens a window of its own.
    if (m_bClosing) return FALSE;
    const auto* pData = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    std::string verb;
    std::wstring path;
    if (!ReadOpenRequest(pData, path) && !ReadVerbRequest(pData, verb, path)) return FALSE;
    // The sender waits for this answer: the file is taken up after it has gone back.
    QueueShellVerb(verb, path);
    // The sender allowed this program to come to the front: the user sees at once where the
    // file went, and a question for it later comes up in front of the shell.
    if (::IsIconic(m_hWnd)) ::ShowWindow(m_hWnd, SW_RESTORE);
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
}

void CFrameWnd::QueueShellVerb(const std::string& strVerb, const std::wstring& strPath) {
    m_pendingOpens.push_back(PendingShellRequest{strVerb, strPath});
    PostMessage(WM_KST_SHELL_OPEN);
}

void CFrameWnd::OnShellVerb(const std::string&, const std::wstring&) {}

BOOL CFrameWnd::CanTakeShellRequestNow() { return TRUE; }

void CFrameWnd::ResumeShellRequests() {
    if (!m_pendingOpens.empty() && m_hWnd != nullptr) PostMessage(WM_KST_SHELL_OPEN);
}

LRESULT CFrameWnd::OnShellOpen(WPARAM, LPARAM) {
    if (m_pendingOpens.empty() || m_bClosing) return 0;
    if (!IsWindowEnabled() || !CanTakeShellRequestNow()) {
        // A modal dialog of this window is up, or the application is busy; try again shortly.
        ::SetTimer(m_hWnd, kRetryShellOpenTimer, 500, nullptr);
        return 0;
    }
    const PendingShellRequest request = m_pendingOpens.front();
    m_pendingOpens.pop_front();
    if (::IsIconic(m_hWnd)) ::ShowWindow(m_hWnd, SW_RESTORE);
    ::SetForegroundWindow(m_hWnd);
    if (!request.strVerb.empty()) {
        OnShellVerb(request.strVerb, request.strPath);
    } else if (CanOpenDocumentNow()) {
        if (CWinApp* pApp = AfxGetApp()) pApp->OpenDocumentFile(request.strPath.c_str());
    }
    if (!m_pendingOpens.empty()) PostMessage(WM_KST_SHELL_OPEN);
    return 0;
}

namespace {

BOOL CALLBACK SendSysColorChange(HWND hWnd, LPARAM) {
    ::SendMessageA(hWnd, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

}  // namespace

void CFrameWnd::OnSysColorChange() {
    Default();
    // Only top-level windows hear of new system colours; bars and controls cache them too.
    ::EnumChildWindows(m_hWnd, SendSysColorChange, 0);
}

LRESULT CFrameWnd::OnTimerMessage(WPARAM wParam, LPARAM) {
    static const struct {
        UINT_PTR nTimer;
        UINT nMessage;
    } kRetries[] = {{kRetryShellOpenTimer, WM_KST_SHELL_OPEN}, {kRetryCloseTimer, WM_CLOSE}};
    for (const auto& retry : kRetries) {
        if (wParam != retry.nTimer) continue;
        ::KillTimer(m_hWnd, retry.nTimer);
        PostMessage(retry.nMessage);
        return 0;
    }
    return Default();
}

// The last message of every end of the window, a failed creation included; the platform
// destroys the window's menu after it.
LRESULT CFrameWnd::OnNcDestroyMessage(WPARAM, LPARAM) {
    LeaveMenuToWindow();
    return Default();
}

LRESULT CFrameWnd::OnActivateMessage(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != WA_INACTIVE) DelayUpdateFrameTitle();
    return Default();
}
