// The common controls (the tool bar, the progress bar and image lists) live in comctl32.dll,
// which is not one of the DLLs the system always takes from System32: a static import of it
// would be looked for beside the program first. It is loaded from System32 at run time
// instead, on first use, and stays for the life of the process. The functions answer as the
// library's own answer a failure where the library is missing.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace commctl {

// Loads the library and registers the classes of the controls the program's windows hold
// (tool bar, tool-tips, progress bar); FALSE where it cannot. Runs before the first window.
BOOL LoadCommonControls();

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* pInit);
HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
BOOL WINAPI ImageList_Destroy(HIMAGELIST hImageList);
int WINAPI ImageList_AddMasked(HIMAGELIST hImageList, HBITMAP hBitmap, COLORREF crMask);
BOOL WINAPI ImageList_Draw(HIMAGELIST hImageList, int nImage, HDC hDC, int x, int y, UINT nStyle);
int WINAPI ImageList_GetImageCount(HIMAGELIST hImageList);
COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST hImageList, COLORREF cr);

}  // namespace commctl
