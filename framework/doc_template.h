// Document templates tie a document class to the frame and view that show it, under one
// resource id (template string, icon, menu, tool bar).
#pragma once

#include "cmd_target.h"
#include "cstring.h"

class CDocument;
class CFrameWnd;
class CView;
class CWnd;

// Makers of the three objects. The view maker also creates the view's window as a child of
// the frame, already attached to the document.
using AFX_DOC_FACTORY = CDocument* (*)();
using AFX_FRAME_FACTORY = CFrameWnd* (*)();
using AFX_VIEW_FACTORY = CView* (*)(CDocument* pDoc, CWnd* pParent, const RECT& rect, UINT nID);

template <class TDoc> CDocument* AfxNewDocument() { return new TDoc; }
template <class TFrame> CFrameWnd* AfxNewFrame() { return new TFrame; }
template <class TView> CView* AfxNewView(CDocument* pDoc, CWnd* pParent, const RECT& rect, UINT nID);

class CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    // Fields of the template string, in order.
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };

    ~CDocTemplate() override = default;

    BOOL GetDocString(CString& rString, DocStringIndex index) const;
    UINT GetResourceID() const { return m_nIDResource; }

    // Opens the named file (null: a new document) and shows it.
    virtual CDocument* OpenDocumentFile(const wchar_t* lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    virtual void RemoveDocument(CDocument* pDoc) = 0;
    // The document the template currently shows, if any.
    virtual CDocument* GetOpenDocument() const = 0;

    CDocument* CreateNewDocument();
    // Creates the frame window from the template's resources, with its view on pDoc.
    CFrameWnd* CreateNewFrame(CDocument* pDoc);
    void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);

protected:
    CDocTemplate(UINT nIDResource, AFX_DOC_FACTORY pfnNewDoc, AFX_FRAME_FACTORY pfnNewFrame,
                 AFX_VIEW_FACTORY pfnNewView);

    UINT m_nIDResource;
    CString m_strDocStrings;
    AFX_DOC_FACTORY m_pfnNewDoc;
    AFX_FRAME_FACTORY m_pfnNewFrame;
    AFX_VIEW_FACTORY m_pfnNewView;
};

// One document at a time: the document, frame and view are made once and reused for every
// later file.
class CSingleDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    CSingleDocTemplate(UINT nIDResource, AFX_DOC_FACTORY pfnNewDoc, AFX_FRAME_FACTORY pfnNewFrame,
                       AFX_VIEW_FACTORY pfnNewView)
        : CDocTemplate(nIDResource, pfnNewDoc, pfnNewFrame, pfnNewView), m_pOnlyDoc(nullptr) {}
    ~CSingleDocTemplate() override;

    CDocument* OpenDocumentFile(const wchar_t* lpszPathName, BOOL bMakeVisible = TRUE) override;
    void RemoveDocument(CDocument* pDoc) override;
    CDocument* GetOpenDocument() const override { return m_pOnlyDoc; }

private:
    CDocument* m_pOnlyDoc;
};

#include "document.h"
#include "view.h"

template <class TView> CView* AfxNewView(CDocument* pDoc, CWnd* pParent, const RECT& rect, UINT nID) {
    TView* pView = new TView;
    pDoc->AddView(pView);
    if (!pView->Create(pParent, rect, nID)) {
        pDoc->RemoveView(pView);
        delete pView;
        return nullptr;
    }
    return pView;
}
