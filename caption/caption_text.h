// The two texts made from the frame's title and the active child frame's document title:
// the one painted into the caption and the window's own text.
#pragma once

#include "cstring.h"

// " Title", or " Title  -  [Document]".
CString ComposeCaptionText(const CString& strTitle, const CString& strDocument);
// "Title " followed by the document title (possibly empty).
CString ComposeWindowText(const CString& strTitle, const CString& strDocument);
