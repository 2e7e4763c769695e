// The process's one map from a hooked window to the newest hook of its chain. It owns no
// hook; it lives from its first use until the process ends.
#pragma once

#include <windows.h>

#include "map_ptr_to_ptr.h"

class CSubclassWnd;

class CWndHookMap : public CMapPtrToPtr {
public:
    explicit CWndHookMap(int nBlockSize) : CMapPtrToPtr(nBlockSize) {}

    // Puts pHook at the head of hWnd's chain; the first hook of a window installs
    // HookedWndProc and keeps the procedure it replaces.
    void AddHook(HWND hWnd, CSubclassWnd* pHook);
    // Takes pHook out of its window's chain; the last one out puts the saved procedure back.
    void RemoveHook(CSubclassWnd* pHook);
    // Detaches every hook of hWnd, newest first.
    void RemoveAllHooks(HWND hWnd);
    // The newest hook of hWnd, or null.
    CSubclassWnd* FindHook(HWND hWnd) const;
};

CWndHookMap* GetHookMap();
