// The application object: the user-interface thread's framework object. It runs the
// start-up the program defines in InitInstance, then the message loop with idle-time
// updates of the main frame's bars, and keeps the registry profile and the templates.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "afxres.h"
#include "command_line_info.h"
#include "cstring.h"
#include "registry_profile.h"
#include "shell_registration.h"
#include "thread.h"

class CDocTemplate;
class CDocument;
class CStartupTurn;

// The string that names the application when it is built without a name.
constexpr UINT AFX_IDS_APP_TITLE_ID = AFX_IDS_APP_TITLE;

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // lpszAppName null: the name comes from string 57344 at InitApplication.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // Framework start-up before InitInstance: the name, the message-box caption, the arguments.
    virtual BOOL InitApplication();
    virtual BOOL InitInstance();
    // The message loop; returns ExitInstance's result when the loop ends.
    virtual int Run();
    virtual int ExitInstance();
    // A message the loop took from the queue, before it is translated and dispatched: the
    // main frame's keyboard accelerators. TRUE when it was handled here.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Idle work after the queue has emptied; TRUE asks for another round.
    virtual BOOL OnIdle(LONG lCount);

    // Settings under HKEY_CURRENT_USER\Software\<lpszRegistryKey>\<application name>.
    void SetRegistryKey(LPCSTR lpszRegistryKey);
    // The standard settings; Kestrine keeps no recent-file list (nMaxMRU 0), so nothing is read or written.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    CString GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault = nullptr) const;
    BOOL WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue) const;
    const CRegistryProfile& GetProfile() const { return m_profile; }

    // Three-dimensional dialog controls are the platform's own now; kept for the start-up's order.
    BOOL Enable3dControls() { return TRUE; }

    void AddDocTemplate(CDocTemplate* pTemplate);  // the application owns it
    CDocTemplate* GetFirstDocTemplate() const;
    // Files opened from the shell while the program runs go to this instance.
    void EnableShellOpen();
    // With shell open enabled, marks the main window as the one a second start hands its
    // file to; the template does this as soon as it has made the main window.
    void MarkMainWindowAsRunningInstance();
    // Registers each template's file type with the shell for the current user; the
    // compatible form adds the icon and print verbs.
    RegistrationResult RegisterShellFileTypes(BOOL bCompat = FALSE);
    // Removes what RegisterShellFileTypes wrote.
    RegistrationResult UnregisterShellFileTypes();

    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // New document, or the named file; with shell open enabled, a file goes to a running
    // instance when there is one (and FALSE ends this start).
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    // The arguments ParseCommandLine reads (without the program name); set before it for tests.
    void SetCommandLineArgs(std::vector<std::wstring> args) { m_args = std::move(args); }

    virtual CDocument* OpenDocumentFile(const wchar_t* lpszFileName);
    void OnFileNew();
    void OnFileOpen();

    LPCSTR m_pszAppName;
    int m_nCmdShow;
    UINT m_nMaxMRU;

protected:
    // Messages that count as the user doing something, after which idle work runs again.
    virtual BOOL IsIdleMessage(const MSG& msg);

    CString m_strAppName;
    CRegistryProfile m_profile;
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    BOOL m_bShellOpen;
    std::vector<std::wstring> m_args;
    POINT m_ptLastMouse;
    // This start's turn among starts of the program that come at once, from looking for a
    // running window until this start's own is marked.
    std::unique_ptr<CStartupTurn> m_pStartupTurn;

    DECLARE_MESSAGE_MAP()
};

// The one application object of the process, or null.
CWinApp* AfxGetApp();
// The full path of this program's executable, however long.
std::wstring AfxModulePath();
