// The frame window: a top-level window that holds control bars along its edges and one
// view in the rest of its client area, and routes commands to the view, its document,
// itself and the application, in that order.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "cstring.h"
#include "doc_template.h"
#include "wnd.h"

class CControlBar;
class CDocument;
class CView;

// Frame style: the title shows the document's name before the frame's own.
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

// What the template hands to a frame it is creating.
struct CCreateContext {
    CDocument* m_pCurrentDoc;
    AFX_VIEW_FACTORY m_pfnNewView;
    CDocTemplate* m_pNewDocTemplate;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the window with the title, icon and menu of resource nIDResource.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext);
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pView) { m_pViewActive = pView; }
    // The frame whose view is active: a frame without child frames is its own.
    virtual CFrameWnd* GetActiveFrame() { return this; }
    CDocument* GetActiveDocument() const;
    // The frame a view lives in, or null.
    static CFrameWnd* GetParentFrameOf(CView* pView);

    // Lays the control bars along their edges and gives the view the rest.
    virtual void RecalcLayout();
    // Sets the window title from m_strTitle (and the document's name with FWS_ADDTOTITLE).
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    // Asks for OnUpdateFrameTitle at the next idle time (the document's title changed, the
    // frame was activated); several requests before then make one update.
    void DelayUpdateFrameTitle() { m_bTitleUpdatePending = TRUE; }
    // Runs every view's initial update for pDoc; with bMakeVisible, a frame already on the
    // screen comes to the front.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    // Idle-time update of the title, when one is pending, and of the control bars' commands.
    void OnIdleUpdateCmdUI();

    // The frame's keyboard accelerators (the table of the frame's resource id) for a key
    // message aimed at the frame or a window inside it; TRUE when it became a command.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // A command from a key or a menu has no button that shows it greyed out: it is carried
    // out only when its update handler enables it.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // A file another start of the program handed over (or this start's own command line
    // named): a path to open as the document (no verb), or the application's verb for it.
    struct PendingShellRequest {
        std::string strVerb;
        std::wstring strPath;
    };
    // Runs an action of the application's own for a file (a verb from its command line, or
    // handed over by another start) from the message loop. Requests wait in order, each
    // taken up when no modal dialog is up and the application is ready for it.
    void QueueShellVerb(const std::string& strVerb, const std::wstring& strPath);
    // The application's actions; the framework knows none of them and ignores the request.
    virtual void OnShellVerb(const std::string& strVerb, const std::wstring& strPath);
    // Whether the application can take up a waiting request now; while it answers FALSE the
    // requests wait (the frame asks again shortly, and at once on ResumeShellRequests).
    virtual BOOL CanTakeShellRequestNow();
    // The application has become ready: the next waiting request is taken up at once.
    void ResumeShellRequests();
    const std::deque<PendingShellRequest>& WaitingShellRequests() const { return m_pendingOpens; }

    // From the first moment of closing on, no other start can hand anything over (it makes
    // its own window instead) and no waiting request is taken up; CancelClosing undoes that
    // when the window stays after all.
    void BeginClosing();
    void CancelClosing();
    BOOL IsClosing() const { return m_bClosing; }

    // Control bars register themselves when created.
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);

    CString m_strTitle;

protected:
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    void PostNcDestroy() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnClose();
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    void OnDropFiles(HDROP hDropInfo);
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    LRESULT OnShellOpen(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimerMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnActivateMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcDestroyMessage(WPARAM wParam, LPARAM lParam);
    // Passes a change of the system colours on to every window inside the frame.
    void OnSysColorChange();
    // Asked before a dropped or handed-over file is opened as the document; a frame whose
    // view is busy says why it refuses and answers FALSE.
    virtual BOOL CanOpenDocumentNow();

    // A close that arrives while a modal loop runs on this thread (a dialog of a command,
    // say) would destroy this frame under the code waiting for that loop. Then the dialogs
    // are backed out of, the close is tried again shortly, and this answers TRUE.
    BOOL PostponeCloseWhileModal();
    // Leaves the menu to the window, which destroys it, when the window still shows it and
    // is going.
    void LeaveMenuToWindow();

    static constexpr UINT_PTR kRetryShellOpenTimer = 0xE0F1;
    static constexpr UINT_PTR kRetryCloseTimer = 0xE0F2;

    UINT m_nIDHelp;  // the resource id the frame was loaded from
    // Set once LoadFrame has made the window: from then on the window deletes the object.
    // A window that fails during its creation leaves the object to the one who made it.
    BOOL m_bDeleteWithWindow;
    // The menu of the frame's resources. Owned by the frame until the window, still showing
    // it, is destroyed: the platform destroys a window's menu with the window.
    CMenuHandle m_hMenuDefault;
    HACCEL m_hAccelTable;  // a resource of the module: never destroyed
    HICON m_hIcon;
    CCreateContext* m_pCreateContext;  // valid only during LoadFrame
    CView* m_pViewActive;
    BOOL m_bTitleUpdatePending;
    std::vector<CControlBar*> m_controlBars;
    // Views the frame created; deleted with the frame, after their windows are gone.
    std::vector<std::unique_ptr<CView>> m_ownedViews;
    // Files handed over by another start of the program, taken up one by one in order.
    std::deque<PendingShellRequest> m_pendingOpens;
    BOOL m_bClosing;

    DECLARE_MESSAGE_MAP()
};
