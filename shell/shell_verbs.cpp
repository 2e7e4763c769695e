#include "shell_verbs.h"

#include <windows.h>
#include <strings.h>

#include "blowfish_view.h"
#include "message_box.h"
#include "shell_registration.h"
#include "win_app.h"

namespace {

struct ExplorerVerb {
    const char* pszSwitch;    // on the command line, after '/' or '-', in any letter case
    const char* pszKey;       // the entry's key: named after the program, so no other's is touched
    const char* pszMenuText;  // what Explorer's context menu shows
    void (CBlowfishView::*pfnFlow)(const std::wstring& strPath);
};

const ExplorerVerb kExplorerVerbs[] = {
    {"encrypt", "Kestrine.Encrypt", "Encrypt with Kestrine", &CBlowfishView::EncryptFileFromShell},
    {"shred", "Kestrine.Shred", "Shred with Kestrine", &CBlowfishView::ShredFileFromShell},
};

const ExplorerVerb* FindVerb(const std::string& strSwitch) {
    for (const ExplorerVerb& verb : kExplorerVerbs)
        if (::strcasecmp(verb.pszSwitch, strSwitch.c_str()) == 0) return &verb;
    return nullptr;
}

// A switch of the command line as the ASCII word the program's switches are; "" for one
// with any other character, which names none of them.
std::string SwitchWord(const wchar_t* pszParam) {
    std::string word;
    for (const wchar_t* p = pszParam; *p != L'\0'; ++p) {
        if (*p < 0x20 || *p > 0x7E) return std::string();
        word += static_cast<char>(*p);
    }
    return word;
}

bool IsShellPrintSwitch(const std::string& strParam) {
    return ::strcasecmp(strParam.c_str(), "p") == 0 || ::strcasecmp(strParam.c_str(), "pt") == 0;
}

std::wstring UnknownSwitchMessage(const std::wstring& strSwitch) {
    return L"Kestrine does not know the switch \"/" + strSwitch +
           L"\".\n\nIt takes /encrypt FILE, /shred FILE, the name of a locked file, /register or /unregister.";
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

const struct {
    const char* pszSwitch;
    CKestrineCommandLineInfo::Registration nRegistration;
} kRegistrationSwitches[] = {
    {"register", CKestrineCommandLineInfo::Register},
    {"unregister", CKestrineCommandLineInfo::Unregister},
};

ShellFileVerb FileVerbOf(const ExplorerVerb& verb) {
    // The program's path quoted (wide: it may hold any character), the switch, and the
    // file's path quoted: "%1".
    const std::wstring command = L"\"" + AfxModulePath() + L"\" /" + Wide(verb.pszSwitch) + L" \"%1\"";
    return ShellFileVerb{"*", verb.pszKey, verb.pszMenuText, command};
}

}  // namespace

RegistrationResult RegisterExplorerVerbs() {
    RegistrationResult result;
    for (const ExplorerVerb& verb : kExplorerVerbs) result.Add(RegisterUserFileVerb(FileVerbOf(verb)));
    return result;
}

RegistrationResult UnregisterExplorerVerbs() {
    RegistrationResult result;
    for (const ExplorerVerb& verb : kExplorerVerbs) result.Add(UnregisterUserFileVerb(FileVerbOf(verb)));
    return result;
}

void CKestrineCommandLineInfo::ParseParam(const wchar_t* pszParam, bool bFlag, bool bLast) {
    if (bFlag) {
        const std::string word = SwitchWord(pszParam);
        for (const auto& registration : kRegistrationSwitches) {
            if (::strcasecmp(registration.pszSwitch, word.c_str()) != 0) continue;
            ++m_nRegistrationSwitches;
            m_nRegistration = registration.nRegistration;
            m_nShellCommand = FileNothing;
            return;
        }
        if (const ExplorerVerb* pVerb = FindVerb(word)) {
            ++m_nSwitches;
            m_nShellCommand = FileVerb;
            m_strVerb = pVerb->pszSwitch;
        } else if (IsShellPrintSwitch(word)) {
            m_bShellPrint = true;
            if (m_nShellCommand != FileVerb) CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
        } else if (m_strUnknownSwitch.empty()) {
            m_strUnknownSwitch = pszParam;
        }
        return;
    }
    ++m_nFiles;
    if (m_nRegistration != NoRegistration) return;
    if (m_nShellCommand == FileVerb) {
        if (m_strFileName.empty()) m_strFileName = pszParam;
        return;
    }
    CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
}

std::wstring CKestrineCommandLineInfo::Refusal() const {
    if (!m_strUnknownSwitch.empty()) return UnknownSwitchMessage(m_strUnknownSwitch);
    if (m_nRegistration != NoRegistration &&
        (m_nRegistrationSwitches != 1 || m_nSwitches != 0 || m_nFiles != 0 || m_bShellPrint))
        return std::wstring(L"The switch /") + (m_nRegistration == Register ? L"register" : L"unregister") +
               L" stands alone: it takes no file and no other switch.";
    // One of our switches stands alone with its one file; the locked files' print verbs
    // beside it make no sense either.
    if (m_nShellCommand == FileVerb && (m_nSwitches != 1 || m_nFiles != 1 || m_bShellPrint))
        return L"The switch /" + Wide(m_strVerb) + L" takes the name of one file.";
    return std::wstring();
}

std::wstring DescribeShellRequest(const std::string& strVerb, const std::wstring& strPath) {
    std::wstring what = L"Open with Kestrine";
    if (const ExplorerVerb* pVerb = FindVerb(strVerb))
        what = Wide(pVerb->pszMenuText);
    else if (!strVerb.empty())
        what = L"/" + Wide(strVerb);
    return what + L": " + strPath;
}

void RunShellVerb(CBlowfishView& view, const std::string& strVerb, const std::wstring& strPath) {
    const ExplorerVerb* pVerb = FindVerb(strVerb);
    if (pVerb == nullptr) {
        // Another start of a newer program may hand over what this one cannot do.
        AfxMessageBox(UnknownSwitchMessage(Wide(strVerb)));
        return;
    }
    (view.*(pVerb->pfnFlow))(strPath);
}
