#include "wide_text.h"

#include <windows.h>

std::wstring AfxWiden(const char* pszText) {
    if (pszText == nullptr || *pszText == '\0') return std::wstring();
    const int length = ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    if (length > 0) ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, &wide[0], length);
    wide.resize(wide.size() - 1);  // the terminator
    return wide;
}

CString AfxNarrowForDisplay(const std::wstring& strText) {
    if (strText.empty()) return CString();
    // Where the ANSI code page is UTF-8 no flag is allowed, and every character fits.
    const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = ::WideCharToMultiByte(CP_ACP, flags, strText.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length > 0 ? length : 1), '\0');
    if (length > 0) ::WideCharToMultiByte(CP_ACP, flags, strText.c_str(), -1, &narrow[0], length, nullptr, nullptr);
    return CString(narrow.c_str());
}
