#include "blowfish_doc.h"

IMPLEMENT_DYNAMIC(CBlowfishDoc, CDocument)

CBlowfishDoc::CBlowfishDoc() : CDocument(), m_bOpened(0), m_strOpenedPath() {}

BOOL CBlowfishDoc::OnNewDocument() { return CDocument::OnNewDocument() ? TRUE : FALSE; }

BOOL CBlowfishDoc::OnOpenDocument(const wchar_t* lpszPathName) {
    m_strOpenedPath = lpszPathName;
    m_bOpened = 1;
    return TRUE;
}
