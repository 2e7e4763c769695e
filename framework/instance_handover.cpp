#include "instance_handover.h"

#include <cstring>
#include <initializer_list>

#include "message_box.h"

namespace {

// The mark carries the application's name, so that two programs on this framework never
// take each other's windows for their own running instance.
std::string MainWindowProperty() { return std::string(AfxGetAppName()) + ".MainWindow"; }
// Tags our open requests among whatever else may arrive as WM_COPYDATA. Their texts are
// UTF-16, each ending in its zero unit: a path may hold any character. (The tags of the
// narrow requests of earlier versions, "KST0" and "KST1", are not taken: their paths could
// not name such files, and either side of a mixed pair then opens a window of its own.)
const ULONG_PTR kOpenRequestTag = 0x4B535530;  // "KSU0"
// A verb request: the verb and the path. Programs that only know open requests turn this
// tag away.
const ULONG_PTR kVerbRequestTag = 0x4B535531;  // "KSU1"
// The longest path the wide functions take, and a verb, with their terminators.
const DWORD kMaxRequestBytes = 2 * (32768 + 64);
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

// Sends the texts, each with its zero unit, under the tag; true when the window took them.
bool SendRequest(HWND hTarget, ULONG_PTR tag, std::initializer_list<std::wstring> texts) {
    std::wstring units;
    for (const std::wstring& text : texts) {
        units += text;
        units += L'\0';
    }
    DWORD processId = 0;
    if (::GetWindowThreadProcessId(hTarget, &processId) != 0) ::AllowSetForegroundWindow(processId);
    COPYDATASTRUCT data{};
    data.dwData = tag;
    data.cbData = static_cast<DWORD>(units.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(units.data());
    DWORD_PTR result = 0;
    // The running window may be inside a modal dialog; it still answers sent messages.
    return ::SendMessageTimeoutA(hTarget, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                 10000, &result) != 0 &&
           result != 0;
}

// Splits a request of the tag into exactly `nCount` non-empty texts, each ending in its
// zero unit and the last one ending the data; false for anything else.
bool ReadRequest(const COPYDATASTRUCT* pData, ULONG_PTR tag, size_t nCount, std::wstring* pTexts) {
    if (!pData || pData->dwData != tag || !pData->lpData || pData->cbData < 2 * sizeof(wchar_t) * nCount ||
        pData->cbData > kMaxRequestBytes || pData->cbData % sizeof(wchar_t) != 0)
        return false;
    // Copied out first: the data need not be aligned for wide characters.
    std::wstring units(pData->cbData / sizeof(wchar_t), L'\0');
    std::memcpy(&units[0], pData->lpData, pData->cbData);
    if (units.back() != L'\0') return false;
    size_t offset = 0;
    for (size_t i = 0; i < nCount; ++i) {
        if (offset >= units.size()) return false;
        pTexts[i].assign(units.c_str() + offset);
        if (pTexts[i].empty()) return false;
        offset += pTexts[i].size() + 1;
    }
    return offset == units.size();  // no embedded zero, nothing after the last text
}

}  // namespace

bool SendOpenRequest(HWND hTarget, const std::wstring& strPath) {
    return SendRequest(hTarget, kOpenRequestTag, {strPath});
}

bool ReadOpenRequest(const COPYDATASTRUCT* pData, std::wstring& strPath) {
    return ReadRequest(pData, kOpenRequestTag, 1, &strPath);
}

bool SendVerbRequest(HWND hTarget, const std::string& strVerb, const std::wstring& strPath) {
    return SendRequest(hTarget, kVerbRequestTag, {std::wstring(strVerb.begin(), strVerb.end()), strPath});
}

bool ReadVerbRequest(const COPYDATASTRUCT* pData, std::string& strVerb, std::wstring& strPath) {
    std::wstring texts[2];
    if (!ReadRequest(pData, kVerbRequestTag, 2, texts)) return false;
    // The application's verbs are ASCII words; anything else names none of them.
    for (const wchar_t c : texts[0])
        if (c < 0x20 || c > 0x7E) return false;
    strVerb.assign(texts[0].begin(), texts[0].end());
    strPath = texts[1];
    return true;
}
