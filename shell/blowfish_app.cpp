#include "blowfish_app.h"

#include "about_dlg.h"
#include "blowfish_doc.h"
#include "blowfish_view.h"
#include "doc_template.h"
#include "main_frame.h"
#include "message_box.h"
#include "resource.h"
#include "shell_verbs.h"
#include "user_registration.h"

IMPLEMENT_DYNAMIC(CBlowfishApp, CWinApp)

BEGIN_MESSAGE_MAP(CBlowfishApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
END_MESSAGE_MAP()

CBlowfishApp::CBlowfishApp() : CWinApp(), m_ole(), m_nExitCode(kExitDone) {}

BOOL CBlowfishApp::InitInstance() {
    m_ole.emplace();
    if (!m_ole->Succeeded()) {
        m_ole.reset();
        AfxMessageBox("Unable to initilize Ole.", MB_OK);
        return FALSE;
    }
    Enable3dControls();
    SetRegistryKey("Pellacore\\Software");
    LoadStdProfileSettings(0);  // no recent-file list

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, &AfxNewDocument<CBlowfishDoc>, &AfxNewFrame<CMainFrame>,
                                          &AfxNewView<CBlowfishView>));

    CKestrineCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    const std::wstring refusal = cmdInfo.Refusal();
    if (!refusal.empty()) {
        AfxMessageBox(refusal);
        m_nExitCode = kExitCommandLineRefused;
        return FALSE;  // nothing the command line asked for is done halfway
    }
    // An installer runs these without anyone watching: no window, the exit code says it.
    if (cmdInfo.m_nRegistration != CKestrineCommandLineInfo::NoRegistration) {
        const bool bDone = cmdInfo.m_nRegistration == CKestrineCommandLineInfo::Register ? RegisterForUser(*this)
                                                                                        : UnregisterForUser(*this);
        m_nExitCode = bDone ? kExitDone : kExitRegistrationFailed;
        return FALSE;
    }
    EnableShellOpen();
    RegisterUnlessUnregistered(*this);
    if (!ProcessShellCommand(cmdInfo)) return FALSE;

    if (m_pMainWnd == nullptr) return FALSE;
    m_pMainWnd->DragAcceptFiles(TRUE);
    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    return TRUE;
}

int CBlowfishApp::ExitInstance() {
    m_ole.reset();
    const int nExitCode = CWinApp::ExitInstance();
    return m_nExitCode != kExitDone ? m_nExitCode : nExitCode;
}

void CBlowfishApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
