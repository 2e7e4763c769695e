#include "blowfish_view.h"

#include <cstring>

#include "cmd_ui.h"
#include "data_exchange.h"
#include "app_messages.h"
#include "main_frame.h"
#include "resource.h"

IMPLEMENT_DYNAMIC(CBlowfishView, CFormView)

BEGIN_MESSAGE_MAP(CBlowfishView, CFormView)
    ON_COMMAND(ID_ENCRYPT, OnEncrypt)
    ON_COMMAND(ID_DECRYPT, OnDecrypt)
    ON_COMMAND(ID_SHRED, OnShred)
    ON_UPDATE_COMMAND_UI(ID_ENCRYPT, OnUpdateJobCommand)
    ON_UPDATE_COMMAND_UI(ID_DECRYPT, OnUpdateJobCommand)
    ON_UPDATE_COMMAND_UI(ID_SHRED, OnUpdateJobCommand)
    ON_MESSAGE(WM_JOB_DONE, OnJobDone)
    ON_MESSAGE(WM_DROP_FLOW, OnDropFlow)
    ON_MESSAGE(WM_DROP_REFUSED, OnDropRefused)
END_MESSAGE_MAP()

CBlowfishView::CBlowfishView()
    : CFormView(IDD_KESTRINE_FORM), m_nDataOffset(0), m_bBusy(FALSE), m_pszKey(), m_nCipherThreads(0),
      m_bStopRequested(false),
      m_bJobComplete(false), m_pszJobEndText(nullptr), m_bPreparing(FALSE) {}

void CBlowfishView::DoDataExchange(CDataExchange* pDX) {
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Text(pDX, IDC_STATUS, m_strStatus);
}

BOOL CBlowfishView::PreCreateWindow(CREATESTRUCT& cs) { return CFormView::PreCreateWindow(cs); }

void CBlowfishView::OnInitialUpdate() {
    // Fills the controls from the fields: the status line starts empty.
    CFormView::OnInitialUpdate();
    HandOverFromDocument();
    // The first initial update registers; later ones keep that registration.
    m_dropTarget.Register(this);
}

void CBlowfishView::OnUpdateJobCommand(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bBusy == 0); }

LRESULT CBlowfishView::OnJobDone(WPARAM, LPARAM) {
    m_bBusy = 0;
    m_progress.SetPos(0);
    // Shows the closing text the job handed over.
    if (const char* pszText = JobEndText()) m_strStatus = pszText;
    UpdateData(FALSE);
    CFrameWnd* pFrame = CFrameWnd::GetParentFrameOf(this);
    if (pFrame != nullptr && pFrame->IsKindOf(RUNTIME_CLASS(CMainFrame))) static_cast<CMainFrame*>(pFrame)->OnJobEnded();
    return 0;
}

CBlowfishView::~CBlowfishView() { m_strPassword.SecureEmpty(); }

void CBlowfishView::CopyPasswordToKey() {
    // A fresh buffer; the old key's block is wiped as it is given back.
    const size_t length = static_cast<size_t>(m_strPassword.GetLength());
    SecretBytes key(length + 1, 0);  // the last byte stays the terminator
    std::memcpy(key.data(), m_strPassword.GetString(), length);
    m_pszKey.swap(key);
    m_strPassword.SecureEmpty();
}

std::unique_ptr<CFile> CBlowfishView::NewJobFile() const { return std::make_unique<CFile>(); }
