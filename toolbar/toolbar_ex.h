// The flat tool bar: the stock tool bar with its own painting. Buttons lie flat on the bar
// face and rise while the mouse is over them, checked or pressed buttons are sunken,
// disabled ones show an embossed image, narrow separators are etched lines. Layout, tips,
// commands and update-UI stay with the stock bar.
#pragma once

#include <windows.h>

#include "gdi.h"
#include "toolbar.h"
#include "uint_array.h"

class CToolBarEx : public CToolBar {
    DECLARE_DYNAMIC(CToolBarEx)
public:
    CToolBarEx();
    ~CToolBarEx() override;

    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    // Builds into `images` a list of the bitmap well's images on the current face colour,
    // for a paint pass when the control has no list of its own. FALSE when it cannot.
    BOOL BuildImageList(CImageList& images);
    // Invalidates button nIndex without erasing; nothing for an index out of range.
    void RedrawButton(int nIndex);

    int GetHotButton() const { return m_nHotButton; }
    SIZE GetImageOffset() const { return m_sizeImageOffset; }

protected:
    // Turns the painted button area rect into the embossed look of a disabled button.
    virtual void PaintDisabledImage(CDC& dc, const RECT& rect);
    // Draws a narrow separator as a 2-pixel etched line; rect becomes that line.
    virtual void PaintSeparator(CDC& dc, RECT& rect);
    // The gripper of a docked bar, in the non-client area.
    virtual void PaintGripper(CDC& dc);
    // The bar's borders in the non-client area; rect shrinks to the area inside them.
    virtual void PaintBorders(CDC& dc, RECT& rect);

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    void OnSysColorChange();
    void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    void OnMouseMove(UINT nFlags, POINT point);
    void OnNcPaint(HRGN hRgn);
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnLButtonUp(UINT nFlags, POINT point);
    void OnWindowPosChanging(WINDOWPOS* lpWndPos);
    void OnCaptureChanged(HWND hWndGaining);
    void OnParentNotify(UINT message, LPARAM lParam);
    void OnKillFocus(HWND hWndGaining);
    LRESULT OnSetButtonSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetBitmapSize(WPARAM wParam, LPARAM lParam);

    SIZE m_sizeImageOffset;
    COLORREF m_crFace;
    COLORREF m_crHighlight;
    COLORREF m_crShadow;
    COLORREF m_crLight;
    int m_nHotButton;
    UINT_PTR m_nHotTimer;
    CUIntArray m_arrStyleSnapshot;
    HWND m_hwndNotify;
    CFont m_fontText;

private:
    friend class CToolBarCustomDraw;

    void ReadSysColors();
    void RecomputeImageOffset();
    BOOL HasButtonTexts() const { return m_pStringMap && !m_pStringMap->empty(); }
    // Draws button i of a paint pass (steps after the custom-draw item notification).
    void PaintButton(CDC& dc, HIMAGELIST hImages, int nIndex, const RECT& rc, int iImage, bool bDown, bool bEnabled,
                     bool bOver);

    DECLARE_MESSAGE_MAP()
};
