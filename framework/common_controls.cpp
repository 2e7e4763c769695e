#include "common_controls.h"

#include "process_hardening.h"

namespace commctl {

namespace {

// The library's functions, found once; any of them is null where the library is missing.
struct Library {
    decltype(&::InitCommonControlsEx) pfnInitCommonControlsEx;
    decltype(&::ImageList_Create) pfnImageListCreate;
    decltype(&::ImageList_Destroy) pfnImageListDestroy;
    decltype(&::ImageList_AddMasked) pfnImageListAddMasked;
    decltype(&::ImageList_Draw) pfnImageListDraw;
    decltype(&::ImageList_GetImageCount) pfnImageListGetImageCount;
    decltype(&::ImageList_SetBkColor) pfnImageListSetBkColor;
};

template <class Function>
void Find(HMODULE hModule, const char* pszName, Function& pfn) {
    pfn = FindFunction<Function>(hModule, pszName);
}

Library Load() {
    Library library{};
    // Never given back: the controls' window procedures live in it until the process ends.
    HMODULE hModule = LoadSystemLibrary("comctl32.dll");
    if (hModule == nullptr) return library;
    Find(hModule, "InitCommonControlsEx", library.pfnInitCommonControlsEx);
    Find(hModule, "ImageList_Create", library.pfnImageListCreate);
    Find(hModule, "ImageList_Destroy", library.pfnImageListDestroy);
    Find(hModule, "ImageList_AddMasked", library.pfnImageListAddMasked);
    Find(hModule, "ImageList_Draw", library.pfnImageListDraw);
    Find(hModule, "ImageList_GetImageCount", library.pfnImageListGetImageCount);
    Find(hModule, "ImageList_SetBkColor", library.pfnImageListSetBkColor);
    return library;
}

const Library& TheLibrary() {
    static const Library library = Load();
    return library;
}

}  // namespace

BOOL LoadCommonControls() {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    return commctl::InitCommonControlsEx(&classes);
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* pInit) {
    const auto pfn = TheLibrary().pfnInitCommonControlsEx;
    return pfn != nullptr ? pfn(pInit) : FALSE;
}

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    const auto pfn = TheLibrary().pfnImageListCreate;
    return pfn != nullptr ? pfn(cx, cy, nFlags, nInitial, nGrow) : nullptr;
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST hImageList) {
    const auto pfn = TheLibrary().pfnImageListDestroy;
    return pfn != nullptr ? pfn(hImageList) : FALSE;
}

int WINAPI ImageList_AddMasked(HIMAGELIST hImageList, HBITMAP hBitmap, COLORREF crMask) {
    const auto pfn = TheLibrary().pfnImageListAddMasked;
    return pfn != nullptr ? pfn(hImageList, hBitmap, crMask) : -1;
}

BOOL WINAPI ImageList_Draw(HIMAGELIST hImageList, int nImage, HDC hDC, int x, int y, UINT nStyle) {
    const auto pfn = TheLibrary().pfnImageListDraw;
    return pfn != nullptr ? pfn(hImageList, nImage, hDC, x, y, nStyle) : FALSE;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST hImageList) {
    const auto pfn = TheLibrary().pfnImageListGetImageCount;
    return pfn != nullptr ? pfn(hImageList) : 0;
}

COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST hImageList, COLORREF cr) {
    const auto pfn = TheLibrary().pfnImageListSetBkColor;
    return pfn != nullptr ? pfn(hImageList, cr) : CLR_NONE;
}

}  // namespace commctl
