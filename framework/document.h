// A document: the data a frame and its views show. Kestrine's holds only the path of the
// last file opened through it; the views read what they need from it.
#pragma once

#include <string>
#include <vector>

#include "cmd_target.h"
#include "cstring.h"

class CDocTemplate;
class CView;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    ~CDocument() override;

    // A new, empty document: contents dropped, not modified, no path.
    virtual BOOL OnNewDocument();
    // Opens the named file into the document; the default keeps nothing but the state.
    virtual BOOL OnOpenDocument(const wchar_t* lpszPathName);
    // Destroys the frames showing the document, then the document itself.
    virtual void OnCloseDocument();
    virtual void DeleteContents();
    // Asked before the document is closed or replaced; TRUE lets that go on.
    virtual BOOL SaveModified();

    BOOL IsModified() const { return m_bModified; }
    void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }
    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCSTR lpszTitle);
    const std::wstring& GetPathName() const { return m_strPathName; }
    // Records the path and takes its file name as the title (as the ANSI code page spells
    // it: the title is narrow text).
    virtual void SetPathName(const wchar_t* lpszPathName);

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    const std::vector<CView*>& GetViews() const { return m_viewList; }
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    CDocTemplate* m_pDocTemplate;

protected:
    CString m_strTitle;
    std::wstring m_strPathName;
    BOOL m_bModified;
    std::vector<CView*> m_viewList;

    DECLARE_MESSAGE_MAP()
};
