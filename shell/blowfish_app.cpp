#include "blowfish_app.h"

#include "about_dlg.h"
#include "blowfish_doc.h"
#include "blowfish_view.h"
#include "doc_template.h"
#include "main_frame.h"
#include "message_box.h"
#include "resource.h"
#include "shell_verbs.h"

IMPLEMENT_DYNAMIC(CBlowfishApp, CWinApp)

BEGIN_MESSAGE_MAP(CBlowfishApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
END_MESSAGE_MAP()

CBlowfishApp::CBlowfishApp() : CWinApp(), m_ole() {}

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
    EnableShellOpen();
    RegisterShellFileTypes(TRUE);
    RegisterExplorerVerbs();

    CKestrineCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    const std::string refusal = cmdInfo.Refusal();
    if (!refusal.empty()) {
        AfxMessageBox(refusal.c_str());
        return FALSE;  // nothing the command line asked for is done halfway
    }
    if (!ProcessShellCommand(cmdInfo)) return FALSE;

    if (m_pMainWnd == nullptr) return FALSE;
    m_pMainWnd->DragAcceptFiles(TRUE);
    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    return TRUE;
}

int CBlowfishApp::ExitInstance() {
    m_ole.reset();
    return CWinApp::ExitInstance();
}

void CBlowfishApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
