#include "instance_handover.h"

#include "message_box.h"

namespace {

// The mark carries the application's name, so that two programs on this framework never
// take each other's windows for their own running instance.
std::string MainWindowProperty() { return std::string(AfxGetAppName()) + ".MainWindow"; }
// Tags our open requests among whatever else may arrive as WM_COPYDATA.
const ULONG_PTR kOpenRequestTag = 0x4B535430;  // "KST0"
// Longest path the shell can hand us, in bytes with its terminator.
const DWORD kMaxRequestBytes = 32768;

struct MarkedWindowSearch {
    std::string strProperty;  // built once for the whole enumeration
    HWND hFound;
};

BOOL CALLBACK FindMarkedWindow(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<MarkedWindowSearch*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != ::GetCurrentProcessId() && ::GetPropA(hWnd, search->strProperty.c_str())) {
        search->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void MarkRunningMainWindow(HWND hWnd, bool bMark) {
    if (bMark)
        ::SetPropA(hWnd, MainWindowProperty().c_str(), reinterpret_cast<HANDLE>(1));
    else
        ::RemovePropA(hWnd, MainWindowProperty().c_str());
}

HWND FindRunningMainWindow() {
    MarkedWindowSearch search{MainWindowProperty(), nullptr};
    ::EnumWindows(FindMarkedWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

bool SendOpenRequest(HWND hTarget, const std::string& strPath) {
    COPYDATASTRUCT data{};
    data.dwData = kOpenRequestTag;
    data.cbData = static_cast<DWORD>(strPath.size() + 1);
    data.lpData = const_cast<char*>(strPath.c_str());
    DWORD_PTR result = 0;
    // The running window may be inside a modal dialog; it still answers sent messages.
    return ::SendMessageTimeoutA(hTarget, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                 10000, &result) != 0 &&
           result != 0;
}

bool ReadOpenRequest(const COPYDATASTRUCT* pData, std::string& strPath) {
    if (!pData || pData->dwData != kOpenRequestTag || !pData->lpData || pData->cbData < 2 ||
        pData->cbData > kMaxRequestBytes)
        return false;
    const char* pszText = static_cast<const char*>(pData->lpData);
    // The text must end exactly at its terminator: no embedded zero, no missing end.
    if (pszText[pData->cbData - 1] != '\0' || std::string(pszText).size() != pData->cbData - 1)
        return false;
    strPath.assign(pszText);
    return true;
}
