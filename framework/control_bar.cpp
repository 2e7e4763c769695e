#include "control_bar.h"

#include "frame_wnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

CControlBar::CControlBar() : m_pDockSite(nullptr), m_dwStyle(0) {}

CControlBar::~CControlBar() {
    if (m_pDockSite != nullptr) m_pDockSite->RemoveControlBar(this);
}

SIZE CControlBar::CalcDynamicLayout(int, DWORD) { return CalcFixedLayout(TRUE, TRUE); }

void CControlBar::AttachToFrame(CWnd* pParentWnd) {
    if (pParentWnd != nullptr && pParentWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        m_pDockSite = static_cast<CFrameWnd*>(pParentWnd);
        m_pDockSite->AddControlBar(this);
    }
}
