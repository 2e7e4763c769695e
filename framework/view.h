// A view: the child window in a frame that shows a document. The frame and the document
// template create it and call OnInitialUpdate; the frame routes commands to it first.
#pragma once

#include "wnd.h"

class CDocument;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CDocument* GetDocument() const { return m_pDocument; }
    // Called once the view exists and each time a document is opened into it.
    virtual void OnInitialUpdate();

    CDocument* m_pDocument = nullptr;
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
