#include "password_exchange.h"

#include <windows.h>

#include <string>
#include <vector>

#include "code_page.h"
#include "message_box.h"
#include "windows_code_page.h"

extern const char kPasswordCharactersMessage[] =
    "The password contains characters that cannot be used on this system. Please use other characters.";

namespace {

// The field's text as Unicode characters.
std::u32string TypedCharacters(HWND hControl) {
    const int length = ::GetWindowTextLengthW(hControl);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int got = ::GetWindowTextW(hControl, buffer.data(), static_cast<int>(buffer.size()));
    std::wstring typed(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
    std::u32string characters = files::UnicodeOf(typed);
    ::SecureZeroMemory(buffer.data(), buffer.size() * sizeof(wchar_t));
    ::SecureZeroMemory(&typed[0], typed.size() * sizeof(wchar_t));
    return characters;
}

}  // namespace

void DDX_PasswordText(CDataExchange* pDX, int nIDC, CString& key) {
    HWND hControl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(hControl, key);
        return;
    }
    std::u32string typed = TypedCharacters(hControl);
    std::string bytes;
    const bool fits = lockedfile::KeyFor(typed, *files::AnsiCodePage(), bytes);
    lockedfile::WipeText(typed);
    // The old value may be a secret: wipe it before it is replaced.
    key.SecureEmpty();
    if (!fits) {
        AfxMessageBox(kPasswordCharactersMessage, MB_ICONHAND);
        pDX->Fail();
    }
    key += bytes.c_str();
    lockedfile::WipeText(bytes);
}
