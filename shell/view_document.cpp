// The view's side of the document: what a document hands over at initial update.
#include "about_dlg.h"
#include "blowfish_doc.h"
#include "blowfish_view.h"
#include "frame_wnd.h"
#include "main_frame.h"

void CBlowfishView::HandOverFromDocument() {
    CFrameWnd* pFrame = CFrameWnd::GetParentFrameOf(this);
    if (pFrame != nullptr && pFrame->IsKindOf(RUNTIME_CLASS(CMainFrame)) &&
        static_cast<CMainFrame*>(pFrame)->m_bShowAbout == 1) {
        CAboutDlg aboutDlg;
        aboutDlg.DoModal();
    }
    CDocument* pDocument = GetDocument();
    if (pDocument == nullptr || !pDocument->IsKindOf(RUNTIME_CLASS(CBlowfishDoc))) return;
    CBlowfishDoc* pDoc = static_cast<CBlowfishDoc*>(pDocument);
    if (pDoc->m_bOpened != 1) return;
    // While a job runs, or a flow waits in its dialogs, its source must stay as it is.
    if (RefuseWhileBusy()) return;
    m_strSource = pDoc->m_strOpenedPath;
    ReadLockedHeader();
}
