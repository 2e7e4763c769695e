// The stock tool bar: the common tool bar control with one bitmap of button images, its
// layout from a tool bar resource, and its buttons enabled by the command route.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>

#include "cmd_ui.h"
#include "cstring.h"
#include "afxres.h"
#include "control_bar.h"
#include "gdi_objects.h"

// Button styles as GetButtonStyle reports them: the control's style in the low word and
// its state in the high word, with the enabled bit turned into a disabled bit.
constexpr UINT TBBS_BUTTON = TBSTYLE_BUTTON;
constexpr UINT TBBS_SEPARATOR = TBSTYLE_SEP;
constexpr UINT TBBS_CHECKBOX = TBSTYLE_CHECK;
constexpr UINT TBBS_CHECKED = MAKELONG(0, TBSTATE_CHECKED);
constexpr UINT TBBS_INDETERMINATE = MAKELONG(0, TBSTATE_INDETERMINATE);
constexpr UINT TBBS_DISABLED = MAKELONG(0, TBSTATE_ENABLED);
constexpr UINT TBBS_PRESSED = MAKELONG(0, TBSTATE_PRESSED);
constexpr UINT TBBS_HIDDEN = MAKELONG(0, TBSTATE_HIDDEN);
constexpr UINT TBBS_WRAPPED = MAKELONG(0, TBSTATE_WRAP);

// The resource type of tool bar layouts.
constexpr WORD RT_TOOLBAR_ID = RT_TOOLBAR_TYPE;

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar();
    ~CToolBar() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = 0xE800);
    // Buttons and images from tool bar resource nIDResource and the bitmap of the same id.
    BOOL LoadToolBar(UINT nIDResource);
    BOOL LoadBitmap(UINT nIDResource);
    // Command ids of the buttons in order; 0 makes a separator.
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);

    int GetCount() const;
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    virtual void GetItemRect(int nIndex, LPRECT lpRect) const;
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    UINT GetButtonStyle(int nIndex) const;
    BOOL IsButtonEnabled(UINT nID) const;
    // Texts a bar may show under its buttons' images; the bar itself only keeps them.
    BOOL SetButtonText(int nIndex, LPCSTR lpszText);
    CString GetButtonText(int nIndex) const;

    // The bitmap the button images were loaded from (owned by the bar), or null.
    HBITMAP GetBitmapWell() const { return m_bmImageWell; }

    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    SIZE m_sizeButton;
    SIZE m_sizeImage;

    // Stock handlers: the control's answer, and the size it took when it took it.
    LRESULT OnSetButtonSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetBitmapSize(WPARAM wParam, LPARAM lParam);
    // The control's own painting.
    void OnPaint();
    // The bar's background is the button face, whatever the control's class says.
    BOOL OnEraseBkgnd(HDC hDC);

protected:
    CBitmap m_bmImageWell;
    // Vertical room above and below the buttons.
    int m_cyTopBorder;
    int m_cyBottomBorder;
    // Button texts by button index; null until the first text is set.
    std::unique_ptr<std::map<int, CString>> m_pStringMap;
    // TRUE: the bitmap well is handed to the control, which draws the images. A bar that
    // paints its buttons itself keeps the well to itself, so the control has no image list.
    BOOL m_bControlDrawsImages;

    DECLARE_MESSAGE_MAP()
};

// The update request for one tool bar button: Enable reaches the button itself.
class CToolCmdUI : public CCmdUI {
public:
    explicit CToolCmdUI(CToolBar& bar) : m_bar(bar) {}
    void Enable(BOOL bOn = TRUE) override;

private:
    CToolBar& m_bar;
};
