// The main window: fixed 295 x 135 pixels placed by the work area, the tool bar along its
// top, no menu, the form view below, and a caption it paints itself; it asks before it
// closes while a job runs.
#pragma once

#include "caption_painter.h"
#include "frame_wnd.h"
#include "toolbar_ex.h"

class CBlowfishView;

class CMainFrame : public CFrameWnd {
    DECLARE_DYNAMIC(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // The window text is the title and the document title: the caption paints its own.
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;

    // Width and height of the window, and its place from the work area's size.
    void ComputeWindowPlacement();
    // The registry stamp of the version that last ran.
    void CheckVersionStamp();
    void WriteVersionStamp();

    // "/encrypt FILE" and "/shred FILE", from this start or handed over by another.
    void OnShellVerb(const CString& strVerb, const CString& strPath) override;

    // The view when it is the program's main view, else null.
    CBlowfishView* GetBlowfishView() const;

    // 1: the About box is shown at each initial update of the view. Nothing sets it.
    BOOL m_bShowAbout;
    CToolBarEx m_wndToolBar;
    int m_nTop;
    int m_nLeft;
    int m_nHeight;
    int m_nWidth;
    // Detached by the window's final destruction, before this object is deleted.
    CCaptionPainter m_captionPainter;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    // The painter asks for the content of a caption bitmap.
    LRESULT OnPaintCaptionRequest(WPARAM wParam, LPARAM lParam);
    void OnClose();

private:
    // Tells the running job to stop and waits for its end while this thread keeps
    // answering messages; the worker may be inside SendMessage to this thread.
    void StopJobAndWait(CBlowfishView& view);

    BOOL m_bClosing;

    DECLARE_MESSAGE_MAP()
};
