#include "toolbar_custom_draw.h"

#include "toolbar_ex.h"

CToolBarCustomDraw::CToolBarCustomDraw(CToolBarEx& bar, HDC hDC)
    : m_nmcd(), m_lPrePaintAnswer(0), m_lItemAnswer(0), m_bar(bar),
      m_hwndReceiver(::IsWindow(bar.m_hwndNotify) ? bar.m_hwndNotify : nullptr) {
    m_nmcd.hdr.hwndFrom = bar.GetSafeHwnd();
    m_nmcd.hdr.idFrom = static_cast<UINT_PTR>(::GetWindowLongPtrA(bar.GetSafeHwnd(), GWL_ID));
    m_nmcd.hdr.code = static_cast<UINT>(NM_CUSTOMDRAW);
    m_nmcd.hdc = hDC;
}

LRESULT CToolBarCustomDraw::Send(DWORD dwDrawStage) {
    m_nmcd.dwDrawStage = dwDrawStage;
    if (m_hwndReceiver == nullptr) return 0;
    return ::SendMessageA(m_hwndReceiver, WM_NOTIFY, m_nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&m_nmcd));
}

void CToolBarCustomDraw::SendPrePaint() { m_lPrePaintAnswer = Send(CDDS_PREPAINT); }

BOOL CToolBarCustomDraw::SendItemPrePaint(int nIndex) {
    if (!(m_lPrePaintAnswer & CDRF_NOTIFYITEMDRAW)) return TRUE;
    m_bar.GetItemRect(nIndex, &m_nmcd.rc);
    const UINT nID = m_bar.GetItemID(nIndex);
    const UINT nStyle = m_bar.GetButtonStyle(nIndex);
    m_nmcd.dwItemSpec = nID;
    m_nmcd.uItemState = 0;
    if (!m_bar.IsButtonEnabled(nID)) m_nmcd.uItemState |= CDIS_DISABLED;
    if (nStyle & (TBBS_CHECKED | TBBS_PRESSED)) m_nmcd.uItemState |= CDIS_CHECKED;
    m_nmcd.lItemlParam = 0;
    m_lItemAnswer = Send(CDDS_ITEMPREPAINT);
    return (m_lItemAnswer & CDRF_SKIPDEFAULT) ? FALSE : TRUE;
}

void CToolBarCustomDraw::SendItemPostPaint() {
    if (m_lItemAnswer & CDRF_NOTIFYPOSTPAINT) Send(CDDS_ITEMPOSTPAINT);
}

void CToolBarCustomDraw::SendPostPaint() {
    if (m_lPrePaintAnswer & CDRF_NOTIFYPOSTPAINT) Send(CDDS_POSTPAINT);
}
