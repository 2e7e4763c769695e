#include "caption_text.h"

CString ComposeCaptionText(const CString& strTitle, const CString& strDocument) {
    CString text = " " + strTitle;
    if (!strDocument.IsEmpty()) text += "  -  [" + strDocument + "]";
    return text;
}

CString ComposeWindowText(const CString& strTitle, const CString& strDocument) {
    return strTitle + " " + strDocument;
}
