#include "win_app.h"

#include <commdlg.h>
#include <stdlib.h>

#include "common_controls.h"
#include "doc_template.h"
#include "file_dialog.h"
#include "frame_wnd.h"
#include "instance_handover.h"
#include "message_box.h"
#include "modal_loop.h"
#include "shell_registration.h"
#include "thread_state.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

namespace {
// Process-wide, like the application object it points to.
CWinApp* g_pApp = nullptr;

// Timer messages the system uses for carets and menus; they are not user activity.
constexpr UINT WM_SYSTIMER_ID = 0x0118;
}  // namespace

CWinApp* AfxGetApp() { return g_pApp; }

std::wstring AfxModulePath() {
    // The buffer grows until the path fits: a path beyond MAX_PATH is cut, not refused.
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], size);
        if (n == 0) return std::wstring();
        if (n < size) {
            path.resize(n);
            return path;
        }
        if (size >= 32768) return std::wstring();
    }
}

CWinApp::CWinApp(LPCSTR lpszAppName)
    : CWinThread(), m_pszAppName(nullptr), m_nCmdShow(SW_SHOWNORMAL), m_nMaxMRU(0),
      m_strAppName(lpszAppName), m_profile(), m_templates(), m_bShellOpen(FALSE), m_args(), m_ptLastMouse{-1, -1},
      m_pStartupTurn() {
    g_pApp = this;
    HANDLE hThread = nullptr;
    if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &hThread, 0, FALSE,
                          DUPLICATE_SAME_ACCESS))
        m_hThread.Reset(hThread);
    m_nThreadID = ::GetCurrentThreadId();
    MakeCurrentForThisThread();
    if (!m_strAppName.IsEmpty()) m_pszAppName = m_strAppName;
}

CWinApp::~CWinApp() {
    m_templates.clear();
    if (g_pApp == this) g_pApp = nullptr;
    if (m_pszAppName == m_strAppName.GetString()) AfxSetAppName(nullptr);
}

BOOL CWinApp::InitApplication() {
    if (m_strAppName.IsEmpty()) {
        char name[256] = {};
        const int n = ::LoadStringA(::GetModuleHandleA(nullptr), AFX_IDS_APP_TITLE_ID, name, sizeof name);
        m_strAppName = CString(name, n);
    }
    m_pszAppName = m_strAppName;
    AfxSetAppName(m_pszAppName);
    // The windows' controls are registered before the first window is made.
    commctl::LoadCommonControls();
    if (m_args.empty()) m_args = AfxCommandLineArgs();
    return TRUE;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::OnIdle(LONG lCount) {
    if (lCount == 0) {
        if (m_pMainWnd != nullptr && m_pMainWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            static_cast<CFrameWnd*>(m_pMainWnd)->OnIdleUpdateCmdUI();
        return TRUE;
    }
    AfxDeleteTempMap();
    return FALSE;
}

BOOL CWinApp::IsIdleMessage(const MSG& msg) {
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        if (m_ptLastMouse.x == msg.pt.x && m_ptLastMouse.y == msg.pt.y) return FALSE;
        m_ptLastMouse = msg.pt;
        return TRUE;
    }
    return msg.message != WM_PAINT && msg.message != WM_SYSTIMER_ID;
}

int CWinApp::Run() {
    if (m_pMainWnd == nullptr) ::PostQuitMessage(0);
    MSG msg{};
    bool bIdle = true;
    LONG lIdleCount = 0;
    for (;;) {
        while (bIdle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++)) bIdle = false;
        }
        do {
            const BOOL bGot = ::GetMessageA(&msg, nullptr, 0, 0);
            if (bGot == 0 || bGot == -1) return ExitInstance();
            if (!PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            if (IsIdleMessage(msg)) {
                bIdle = true;
                lIdleCount = 0;
            }
        } while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    if (m_pMainWnd == nullptr || !m_pMainWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return FALSE;
    return static_cast<CFrameWnd*>(m_pMainWnd)->PreTranslateMessage(pMsg);
}

void CWinApp::SetRegistryKey(LPCSTR lpszRegistryKey) {
    m_profile.SetRegistryKey(lpszRegistryKey, m_pszAppName != nullptr ? m_pszAppName : "");
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) { m_nMaxMRU = nMaxMRU; }

CString CWinApp::GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault) const {
    return CString(m_profile.GetProfileString(lpszSection, lpszEntry, lpszDefault));
}

BOOL CWinApp::WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue) const {
    return m_profile.WriteProfileString(lpszSection, lpszEntry, lpszValue) ? TRUE : FALSE;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) { m_templates.emplace_back(pTemplate); }

CDocTemplate* CWinApp::GetFirstDocTemplate() const {
    return m_templates.empty() ? nullptr : m_templates.front().get();
}

void CWinApp::EnableShellOpen() { m_bShellOpen = TRUE; }

namespace {

// The file types of the templates, with this program as their handler.
std::vector<ShellFileType> FileTypesOf(const std::vector<std::unique_ptr<CDocTemplate>>& templates) {
    const std::wstring exePath = AfxModulePath();
    std::vector<ShellFileType> types;
    for (const auto& pTemplate : templates) {
        CString ext, id, name;
        pTemplate->GetDocString(ext, CDocTemplate::filterExt);
        pTemplate->GetDocString(id, CDocTemplate::regFileTypeId);
        pTemplate->GetDocString(name, CDocTemplate::regFileTypeName);
        if (ext.IsEmpty() || id.IsEmpty()) continue;
        // Icon 0 is the program's, icon 1 the document's.
        types.push_back(ShellFileType{ext.GetString(), id.GetString(), name.GetString(), exePath, 1});
    }
    return types;
}

}  // namespace

RegistrationResult CWinApp::RegisterShellFileTypes(BOOL bCompat) {
    RegistrationResult result;
    for (const ShellFileType& type : FileTypesOf(m_templates)) result.Add(RegisterShellFileType(type, bCompat != FALSE));
    return result;
}

RegistrationResult CWinApp::UnregisterShellFileTypes() {
    RegistrationResult result;
    for (const ShellFileType& type : FileTypesOf(m_templates)) result.Add(UnregisterShellFileType(type));
    return result;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) { ParseCommandLineArgs(m_args, rCmdInfo); }

namespace {

// The full path of a file named on the command line: the running program that may take it
// over has another current folder. Of any length: the system's limit is not MAX_PATH.
std::wstring FullPathOf(const std::wstring& strFileName) {
    const DWORD size = ::GetFullPathNameW(strFileName.c_str(), 0, nullptr, nullptr);
    if (size == 0) return strFileName;
    std::wstring full(size, L'\0');
    const DWORD n = ::GetFullPathNameW(strFileName.c_str(), size, &full[0], nullptr);
    if (n == 0 || n >= size) return strFileName;
    full.resize(n);
    return full;
}

}  // namespace

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    // Until this start has handed its file over or marked its own window; whatever the path.
    struct TurnEnd {
        std::unique_ptr<CStartupTurn>& pTurn;
        ~TurnEnd() { pTurn.reset(); }
    } turnEnd{m_pStartupTurn};
    if (m_bShellOpen) m_pStartupTurn = std::make_unique<CStartupTurn>();
    BOOL bResult = TRUE;
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        bResult = GetFirstDocTemplate() != nullptr && GetFirstDocTemplate()->OpenDocumentFile(nullptr) != nullptr;
        break;
    case CCommandLineInfo::FileOpen:
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo: {
        // There is nothing to print: the print verbs open the file like the open verb.
        if (m_bShellOpen) {
            if (HWND hRunning = FindRunningMainWindow()) {
                if (SendOpenRequest(hRunning, FullPathOf(rCmdInfo.m_strFileName))) return FALSE;  // the running program has it
            }
        }
        bResult = OpenDocumentFile(rCmdInfo.m_strFileName.c_str()) != nullptr;
        break;
    }
    case CCommandLineInfo::FileVerb: {
        const std::wstring path = FullPathOf(rCmdInfo.m_strFileName);
        if (m_bShellOpen) {
            if (HWND hRunning = FindRunningMainWindow()) {
                if (SendVerbRequest(hRunning, rCmdInfo.m_strVerb, path)) return FALSE;
            }
        }
        // No running program took it (there is none, or it is one that does not know verbs):
        // this start makes its own window, and the frame runs the verb from its message loop
        // once start-up has shown the window.
        bResult = GetFirstDocTemplate() != nullptr && GetFirstDocTemplate()->OpenDocumentFile(nullptr) != nullptr;
        if (bResult && m_pMainWnd != nullptr && m_pMainWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            static_cast<CFrameWnd*>(m_pMainWnd)->QueueShellVerb(rCmdInfo.m_strVerb, path);
        break;
    }
    case CCommandLineInfo::FileNothing:
        break;
    }
    return bResult;
}

void CWinApp::MarkMainWindowAsRunningInstance() {
    if (m_bShellOpen && m_pMainWnd != nullptr) MarkRunningMainWindow(m_pMainWnd->GetSafeHwnd(), true);
    // From now on another start finds this window: its turn may begin.
    m_pStartupTurn.reset();
}

CDocument* CWinApp::OpenDocumentFile(const wchar_t* lpszFileName) {
    CDocTemplate* pTemplate = GetFirstDocTemplate();
    if (pTemplate == nullptr || lpszFileName == nullptr) return nullptr;
    return pTemplate->OpenDocumentFile(FullPathOf(lpszFileName).c_str());
}

void CWinApp::OnFileNew() {
    if (CDocTemplate* pTemplate = GetFirstDocTemplate()) pTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    CDocTemplate* pTemplate = GetFirstDocTemplate();
    if (pTemplate == nullptr) return;
    CString filterName, filterExt;
    pTemplate->GetDocString(filterName, CDocTemplate::filterName);
    pTemplate->GetDocString(filterExt, CDocTemplate::filterExt);
    // "Locked Files (*.kst)|*.kst|All Files (*.*)|*.*||"
    const std::string filter = std::string(filterName.GetString()) + "|*" + filterExt.GetString() +
                               "|All Files (*.*)|*.*||";
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter.c_str(), m_pMainWnd);
    if (dialog.DoModal() == IDOK) OpenDocumentFile(dialog.GetPathName().c_str());
}
