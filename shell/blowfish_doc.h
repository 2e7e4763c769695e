// The document: it holds no file content, only the path of the last file opened through
// it (command line, shell, a drop on the window), which the view takes at initial update.
#pragma once

#include "cstring.h"
#include "document.h"

class CBlowfishDoc : public CDocument {
    DECLARE_DYNAMIC(CBlowfishDoc)
public:
    CBlowfishDoc();

    BOOL OnNewDocument() override;
    // Keeps the path for the view; reads nothing from the file.
    BOOL OnOpenDocument(const wchar_t* lpszPathName) override;

    BOOL m_bOpened;            // set at the first file opened as the document, never reset
    std::wstring m_strOpenedPath;   // full path of the last file opened as the document
};
