// A view: the child window in a frame that shows a document. The frame and the document
// template create it and call OnInitialUpdate; the frame routes commands to it first.
#pragma once

#include "wnd.h"

class CDocument;
class COleDataObject;
class COleDropTarget;

// What a drop would do with the data: DROPEFFECT_NONE, DROPEFFECT_COPY... of <oleidl.h>.
using DROPEFFECT = DWORD;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    // Called once the view exists and each time a document is opened into it.
    virtual void OnInitialUpdate();

    // A drag over the view, through a drop target registered for its window; points are
    // in client coordinates. By default the view takes nothing: entering and moving over
    // answer DROPEFFECT_NONE, leaving does nothing, a drop answers FALSE.
    virtual DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, POINT point);
    virtual DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, POINT point);
    virtual void OnDragLeave();
    virtual BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, POINT point);

    CDocument* m_pDocument = nullptr;

protected:
    // Revokes the drop target while the window is still there.
    void OnDestroy();

private:
    friend class COleDropTarget;
    COleDropTarget* m_pDropTarget = nullptr;  // registered for this window, or null

    DECLARE_MESSAGE_MAP()
};

// A view whose window is made from a dialog template, with the template's controls.
class CFormView : public CView {
    DECLARE_DYNAMIC(CFormView)
public:
    explicit CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}

    // Creates the form as a child of `pParentWnd` at `rect` with the child id `nID`.
    virtual BOOL Create(CWnd* pParentWnd, const RECT& rect, UINT nID);
    // Fills the controls from the fields.
    void OnInitialUpdate() override;

protected:
    BOOL HandleInitDialog() override { return FALSE; }

    UINT m_nIDTemplate;
};
