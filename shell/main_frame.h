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
    void OnShellVerb(const std::string& strVerb, const std::wstring& strPath) override;
    // Handed-over files wait while a job runs or a flow is in its dialogs.
    BOOL CanTakeShellRequestNow() override;
    // The view's job has ended: the next waiting file is taken up, or, when the question
    // whether to close while the job runs is up, the question goes and the window closes.
    void OnJobEnded();

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
    // Holds up the end of the session while a job runs or handed-over files wait.
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);

private:
    // Why the session should not end yet: a job runs or handed-over files wait; null when
    // nothing the user asked for is unfinished.
    const wchar_t* UnfinishedWork() const;
    // The reason left when the session was held up goes: the work is done.
    void TakeBackSessionEndReason();
    // Asks whether to close although a job runs; answers whether to go on closing. The
    // question goes away by itself, as a Yes, when the job ends while it is up.
    bool AskToCloseWhileBusy();
    // Tells the running job to stop and waits for its end while this thread keeps
    // answering messages; the worker may be inside SendMessage to this thread.
    void StopJobAndWait(CBlowfishView& view);
    // Says which handed-over files the window closes without having taken up.
    void TellOfRequestsNotTaken();

    BOOL m_bCloseUnderWay;   // the question is up, the job is being stopped, or the window goes
    BOOL m_bAskingToClose;   // the question whether to close while a job runs is up
    BOOL m_bHoldingUpSessionEnd;  // a query to end the session was answered No

    DECLARE_MESSAGE_MAP()
};
