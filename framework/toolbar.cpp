#include "toolbar.h"

#include <algorithm>
#include <vector>

#include "common_controls.h"
#include "dc.h"
#include "frame_wnd.h"

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_MESSAGE(TB_SETBUTTONSIZE, OnSetButtonSize)
    ON_MESSAGE(TB_SETBITMAPSIZE, OnSetBitmapSize)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {

// Room a tool bar button leaves around its image.
constexpr int kButtonExtraX = 7;
constexpr int kButtonExtraY = 6;
constexpr int kSeparatorWidth = 8;

}  // namespace

CToolBar::CToolBar()
    : m_sizeButton{23, 22}, m_sizeImage{16, 15}, m_bmImageWell(), m_cyTopBorder(2), m_cyBottomBorder(2),
      m_pStringMap(), m_bControlDrawsImages(TRUE) {}

CToolBar::~CToolBar() = default;

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    commctl::InitCommonControlsEx(&icc);
    m_dwStyle = dwStyle & CBRS_ALL;
    // The bar styles share bits with the control's own styles, so they stay out of the window.
    const DWORD dwWindowStyle = (dwStyle & ~CBRS_ALL) | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER |
                                CCS_NORESIZE | TBSTYLE_TOOLTIPS;
    if (!CreateEx(0, TOOLBARCLASSNAMEA, nullptr, dwWindowStyle, 0, 0, 0, 0,
                  pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    AttachToFrame(pParentWnd);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    const HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
    HRSRC hResource = ::FindResourceA(hInstance, MAKEINTRESOURCEA(nIDResource), MAKEINTRESOURCEA(RT_TOOLBAR_ID));
    if (hResource == nullptr) return FALSE;
    HGLOBAL hData = ::LoadResource(hInstance, hResource);
    const DWORD cbData = ::SizeofResource(hInstance, hResource);
    const WORD* pWords = hData != nullptr ? static_cast<const WORD*>(::LockResource(hData)) : nullptr;
    // Layout: version 1, image width, image height, button count, then the ids.
    if (pWords == nullptr || cbData < 4 * sizeof(WORD) || pWords[0] != 1) return FALSE;
    const int nCount = pWords[3];
    if (cbData < (4 + static_cast<DWORD>(nCount)) * sizeof(WORD) || pWords[1] == 0 || pWords[2] == 0) return FALSE;

    const SIZE sizeImage{pWords[1], pWords[2]};
    SetSizes(SIZE{sizeImage.cx + kButtonExtraX, sizeImage.cy + kButtonExtraY}, sizeImage);
    if (!LoadBitmap(nIDResource)) return FALSE;
    std::vector<UINT> ids(pWords + 4, pWords + 4 + nCount);
    return SetButtons(ids.data(), nCount);
}

namespace {

// The images are drawn on light grey, the classic button face; on a system with another
// face colour that grey becomes the face colour, so the images sit on their buttons.
void MapGreyToButtonFace(HBITMAP hBitmap) {
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    CMemoryDC dc;
    if (dc.GetSafeHdc() == nullptr) return;
    CSelectObject selection(dc, hBitmap);
    RGBQUAD colours[256] = {};
    const UINT nColours = ::GetDIBColorTable(dc, 0, 256, colours);
    for (UINT i = 0; i < nColours; ++i) {
        if (colours[i].rgbRed == 192 && colours[i].rgbGreen == 192 && colours[i].rgbBlue == 192) {
            colours[i].rgbRed = GetRValue(crFace);
            colours[i].rgbGreen = GetGValue(crFace);
            colours[i].rgbBlue = GetBValue(crFace);
        }
    }
    if (nColours > 0) ::SetDIBColorTable(dc, 0, nColours, colours);
}

}  // namespace

BOOL CToolBar::LoadBitmap(UINT nIDResource) {
    m_bmImageWell.DeleteObject();
    if (!m_bmImageWell.LoadBitmap(nIDResource)) return FALSE;
    const HBITMAP hBitmap = m_bmImageWell;
    if (!m_bControlDrawsImages) return TRUE;
    MapGreyToButtonFace(hBitmap);
    BITMAP info{};
    ::GetObjectA(hBitmap, sizeof info, &info);
    TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(hBitmap)};
    const int nImages = m_sizeImage.cx > 0 ? info.bmWidth / m_sizeImage.cx : 0;
    return SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(nImages), reinterpret_cast<LPARAM>(&add)) != -1;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage) {
    if (m_hWnd == nullptr) {
        m_sizeButton = sizeButton;
        m_sizeImage = sizeImage;
        return;
    }
    // The handlers below record the sizes the control accepts.
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(sizeImage.cx, sizeImage.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(sizeButton.cx, sizeButton.cy));
}

LRESULT CToolBar::OnSetButtonSize(WPARAM, LPARAM lParam) {
    const LRESULT lResult = Default();
    if (lResult) m_sizeButton = SIZE{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return lResult;
}

LRESULT CToolBar::OnSetBitmapSize(WPARAM, LPARAM lParam) {
    const LRESULT lResult = Default();
    if (lResult) m_sizeImage = SIZE{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return lResult;
}

void CToolBar::OnPaint() { Default(); }

BOOL CToolBar::OnEraseBkgnd(HDC hDC) {
    RECT rc{};
    ::GetClipBox(hDC, &rc);
    ::FillRect(hDC, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount) {
    m_pStringMap.reset();
    while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);
    std::vector<TBBUTTON> buttons;
    int iImage = 0;
    for (int i = 0; i < nIDCount; ++i) {
        TBBUTTON button{};
        if (lpIDArray[i] == 0) {
            button.iBitmap = kSeparatorWidth;
            button.fsStyle = TBSTYLE_SEP;
        } else {
            button.iBitmap = iImage++;
            button.idCommand = static_cast<int>(lpIDArray[i]);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_BUTTON;
        }
        buttons.push_back(button);
    }
    if (buttons.empty()) return TRUE;
    return SendMessage(TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

int CToolBar::GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

int CToolBar::CommandToIndex(UINT nIDFind) const {
    return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, nIDFind));
}

UINT CToolBar::GetItemID(int nIndex) const {
    TBBUTTON button{};
    if (!SendMessage(TB_GETBUTTON, nIndex, reinterpret_cast<LPARAM>(&button))) return 0;
    return (button.fsStyle & TBSTYLE_SEP) ? 0 : static_cast<UINT>(button.idCommand);
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const {
    if (!SendMessage(TB_GETITEMRECT, nIndex, reinterpret_cast<LPARAM>(lpRect))) ::SetRectEmpty(lpRect);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const {
    TBBUTTON button{};
    if (!SendMessage(TB_GETBUTTON, nIndex, reinterpret_cast<LPARAM>(&button))) {
        nID = 0;
        nStyle = 0;
        iImage = 0;
        return;
    }
    nID = (button.fsStyle & TBSTYLE_SEP) ? 0 : static_cast<UINT>(button.idCommand);
    nStyle = MAKELONG(button.fsStyle, button.fsState ^ TBSTATE_ENABLED);
    iImage = button.iBitmap;
}

UINT CToolBar::GetButtonStyle(int nIndex) const {
    UINT nID = 0, nStyle = 0;
    int iImage = 0;
    GetButtonInfo(nIndex, nID, nStyle, iImage);
    return nStyle;
}

BOOL CToolBar::IsButtonEnabled(UINT nID) const { return SendMessage(TB_ISBUTTONENABLED, nID) != 0; }

BOOL CToolBar::SetButtonText(int nIndex, LPCSTR lpszText) {
    if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
    if (!m_pStringMap) m_pStringMap = std::make_unique<std::map<int, CString>>();
    (*m_pStringMap)[nIndex] = CString(lpszText);
    return TRUE;
}

CString CToolBar::GetButtonText(int nIndex) const {
    if (!m_pStringMap) return CString();
    const auto it = m_pStringMap->find(nIndex);
    return it != m_pStringMap->end() ? it->second : CString();
}

SIZE CToolBar::CalcFixedLayout(BOOL bStretch, BOOL) {
    LONG cx = 0;
    if (bStretch && m_pDockSite != nullptr && m_pDockSite->GetSafeHwnd() != nullptr) {
        RECT rc{};
        m_pDockSite->GetClientRect(&rc);
        cx = rc.right - rc.left;
    } else {
        for (int i = 0, n = GetCount(); i < n; ++i) {
            RECT rc{};
            GetItemRect(i, &rc);
            cx = std::max(cx, rc.right);
        }
    }
    return SIZE{cx, m_sizeButton.cy + m_cyTopBorder + m_cyBottomBorder};
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
    CToolCmdUI state(*this);
    for (int i = 0, n = GetCount(); i < n; ++i) {
        const UINT nID = GetItemID(i);
        if (nID == 0) continue;  // separators have no command
        state.m_nID = nID;
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}

void CToolCmdUI::Enable(BOOL bOn) {
    CCmdUI::Enable(bOn);
    // Only a change repaints the button.
    if ((m_bar.IsButtonEnabled(m_nID) != FALSE) != (bOn != FALSE))
        m_bar.SendMessage(TB_ENABLEBUTTON, m_nID, MAKELONG(bOn ? TRUE : FALSE, 0));
}
