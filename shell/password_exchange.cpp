#include "password_exchange.h"

#include <windows.h>

#include <vector>

#include "code_page.h"
#include "message_box.h"
#include "secret_bytes.h"
#include "windows_code_page.h"

extern const char kPasswordCharactersMessage[] =
    "The password contains characters that cannot be used on this system. Please use other characters.";

namespace {

// The field's text as Unicode characters; every copy is wiped when its memory goes.
lockedfile::SecretCharacters TypedCharacters(HWND hControl) {
    const int length = ::GetWindowTextLengthW(hControl);
    std::vector<wchar_t, WipingAllocator<wchar_t>> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int got = ::GetWindowTextW(hControl, buffer.data(), static_cast<int>(buffer.size()));
    const std::vector<char16_t, WipingAllocator<char16_t>> units(buffer.begin(),
                                                                 buffer.begin() + (got > 0 ? got : 0));
    lockedfile::SecretCharacters characters;
    lockedfile::ReadUtf16(units.data(), units.size(), [&](char32_t c) { characters.push_back(c); });
    return characters;
}

}  // namespace

void DDX_PasswordText(CDataExchange* pDX, int nIDC, CString& key) {
    HWND hControl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(hControl, key);
        return;
    }
    SecretBytes bytes;
    const bool fits = lockedfile::KeyFor(TypedCharacters(hControl), *files::AnsiCodePage(), bytes);
    // The old value may be a secret: wipe it before it is replaced.
    key.SecureEmpty();
    if (!fits) {
        AfxMessageBox(kPasswordCharactersMessage, MB_ICONHAND);
        pDX->Fail();
    }
    bytes.push_back(0);
    key += reinterpret_cast<const char*>(bytes.data());
}
