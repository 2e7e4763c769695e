// The framework's own resource, command and window ids. Plain #defines: the application's
// resource header includes this one, and the resource compiler reads both.
#pragma once

#define ID_FILE_NEW             0xE100
#define ID_FILE_OPEN            0xE101
#define ID_APP_ABOUT            0xE140
#define AFX_IDS_APP_TITLE       0xE000
#define AFX_IDW_TOOLBAR         0xE800
#define AFX_IDW_PANE_FIRST      0xE900

// Resource type of a tool bar's button layout (version, image size, button ids).
#define RT_TOOLBAR_TYPE         241
