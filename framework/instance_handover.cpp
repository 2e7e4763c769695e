#include "instance_handover.h"

#include "message_box.h"

namespace {

// The mark carries the application's name, so that two programs on this framework never
// take each other's windows for their own running instance.
std::string MainWindowProperty() { return std::string(AfxGetAppName()) + ".MainWindow"; }
// Tags our open requests among whatever else may arrive as WM_COPYDATA.
const ULONG_PTR kOpenRequestTag = 0x4B535430;  // "KST0"
// A verb request: the verb and the path, each ending in its zero byte. Programs that only
// know open requests turn this tag away.
const ULONG_PTR kVerbRequestTag = 0x4B535431;  // "KST1"
// Longest path the shell can hand us, in bytes with its terminator.
const DWORD kMaxRequestBytes = 32768;
// How long a start waits for the one before it to come up or hand over.
const DWORD kStartupTurnTimeoutMs = 20000;

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

CStartupTurn::CStartupTurn()
    : m_hMutex(::CreateMutexA(nullptr, FALSE, ("Local\\" + std::string(AfxGetAppName()) + ".Startup").c_str())),
      m_bHeld(false) {
    if (!m_hMutex.IsValid()) return;
    const DWORD waited = ::WaitForSingleObject(m_hMutex.Get(), kStartupTurnTimeoutMs);
    // An abandoned turn (a start that crashed) passes to this one all the same.
    m_bHeld = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

CStartupTurn::~CStartupTurn() {
    if (m_bHeld) ::ReleaseMutex(m_hMutex.Get());
}

HWND FindRunningMainWindow() {
    MarkedWindowSearch search{MainWindowProperty(), nullptr};
    ::EnumWindows(FindMarkedWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

namespace {

// Sends the bytes (which end in a zero byte) under the tag; true when the window took them.
bool SendRequest(HWND hTarget, ULONG_PTR tag, const std::string& strBytes) {
    DWORD processId = 0;
    if (::GetWindowThreadProcessId(hTarget, &processId) != 0) ::AllowSetForegroundWindow(processId);
    COPYDATASTRUCT data{};
    data.dwData = tag;
    data.cbData = static_cast<DWORD>(strBytes.size());
    data.lpData = const_cast<char*>(strBytes.data());
    DWORD_PTR result = 0;
    // The running window may be inside a modal dialog; it still answers sent messages.
    return ::SendMessageTimeoutA(hTarget, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                 10000, &result) != 0 &&
           result != 0;
}

// Splits a request of the tag into exactly `nCount` non-empty texts, each ending in its
// zero byte and the last one ending the data; false for anything else.
bool ReadRequest(const COPYDATASTRUCT* pData, ULONG_PTR tag, size_t nCount, std::string* pTexts) {
    if (!pData || pData->dwData != tag || !pData->lpData || pData->cbData < 2 * nCount ||
        pData->cbData > kMaxRequestBytes)
        return false;
    const char* pszData = static_cast<const char*>(pData->lpData);
    if (pszData[pData->cbData - 1] != '\0') return false;
    size_t offset = 0;
    for (size_t i = 0; i < nCount; ++i) {
        if (offset >= pData->cbData) return false;
        pTexts[i].assign(pszData + offset);
        if (pTexts[i].empty()) return false;
        offset += pTexts[i].size() + 1;
    }
    return offset == pData->cbData;  // no embedded zero, nothing after the last text
}

}  // namespace

bool SendOpenRequest(HWND hTarget, const std::string& strPath) {
    return SendRequest(hTarget, kOpenRequestTag, std::string(strPath.c_str(), strPath.size() + 1));
}

bool ReadOpenRequest(const COPYDATASTRUCT* pData, std::string& strPath) {
    return ReadRequest(pData, kOpenRequestTag, 1, &strPath);
}

bool SendVerbRequest(HWND hTarget, const std::string& strVerb, const std::string& strPath) {
    std::string bytes = strVerb;
    bytes += '\0';
    bytes += strPath;
    bytes += '\0';
    return SendRequest(hTarget, kVerbRequestTag, bytes);
}

bool ReadVerbRequest(const COPYDATASTRUCT* pData, std::string& strVerb, std::string& strPath) {
    std::string texts[2];
    if (!ReadRequest(pData, kVerbRequestTag, 2, texts)) return false;
    strVerb = texts[0];
    strPath = texts[1];
    return true;
}
