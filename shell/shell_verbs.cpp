#include "shell_verbs.h"

#include <windows.h>
#include <strings.h>

#include "blowfish_view.h"
#include "message_box.h"
#include "shell_registration.h"

namespace {

struct ExplorerVerb {
    const char* pszSwitch;    // on the command line, after '/' or '-', in any letter case
    const char* pszKey;       // the entry's key: named after the program, so no other's is touched
    const char* pszMenuText;  // what Explorer's context menu shows
    void (CBlowfishView::*pfnFlow)(const CString& strPath);
};

const ExplorerVerb kExplorerVerbs[] = {
    {"encrypt", "Kestrine.Encrypt", "Encrypt with Kestrine", &CBlowfishView::EncryptFileFromShell},
    {"shred", "Kestrine.Shred", "Shred with Kestrine", &CBlowfishView::ShredFileFromShell},
};

const ExplorerVerb* FindVerb(const char* pszSwitch) {
    for (const ExplorerVerb& verb : kExplorerVerbs)
        if (::strcasecmp(verb.pszSwitch, pszSwitch) == 0) return &verb;
    return nullptr;
}

bool IsShellPrintSwitch(const char* pszParam) {
    return ::strcasecmp(pszParam, "p") == 0 || ::strcasecmp(pszParam, "pt") == 0;
}

std::string UnknownSwitchMessage(const std::string& strSwitch) {
    return "Kestrine does not know the switch \"/" + strSwitch +
           "\".\n\nIt takes /encrypt FILE, /shred FILE, the name of a locked file, /register or /unregister.";
}

const struct {
    const char* pszSwitch;
    CKestrineCommandLineInfo::Registration nRegistration;
} kRegistrationSwitches[] = {
    {"register", CKestrineCommandLineInfo::Register},
    {"unregister", CKestrineCommandLineInfo::Unregister},
};

ShellFileVerb FileVerbOf(const ExplorerVerb& verb) {
    char exePath[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exePath, MAX_PATH);
    // The program's path quoted, the switch, and the file's path quoted: "%1".
    const std::string command = std::string("\"") + exePath + "\" /" + verb.pszSwitch + " \"%1\"";
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

void CKestrineCommandLineInfo::ParseParam(const char* pszParam, bool bFlag, bool bLast) {
    if (bFlag) {
        for (const auto& registration : kRegistrationSwitches) {
            if (::strcasecmp(registration.pszSwitch, pszParam) != 0) continue;
            ++m_nRegistrationSwitches;
            m_nRegistration = registration.nRegistration;
            m_nShellCommand = FileNothing;
            return;
        }
        if (const ExplorerVerb* pVerb = FindVerb(pszParam)) {
            ++m_nSwitches;
            m_nShellCommand = FileVerb;
            m_strVerb = pVerb->pszSwitch;
        } else if (IsShellPrintSwitch(pszParam)) {
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

std::string CKestrineCommandLineInfo::Refusal() const {
    if (!m_strUnknownSwitch.empty()) return UnknownSwitchMessage(m_strUnknownSwitch);
    if (m_nRegistration != NoRegistration &&
        (m_nRegistrationSwitches != 1 || m_nSwitches != 0 || m_nFiles != 0 || m_bShellPrint))
        return std::string("The switch /") + (m_nRegistration == Register ? "register" : "unregister") +
               " stands alone: it takes no file and no other switch.";
    // One of our switches stands alone with its one file; the locked files' print verbs
    // beside it make no sense either.
    if (m_nShellCommand == FileVerb && (m_nSwitches != 1 || m_nFiles != 1 || m_bShellPrint))
        return "The switch /" + m_strVerb + " takes the name of one file.";
    return std::string();
}

std::string DescribeShellRequest(const CString& strVerb, const CString& strPath) {
    std::string what = "Open with Kestrine";
    if (const ExplorerVerb* pVerb = FindVerb(strVerb))
        what = pVerb->pszMenuText;
    else if (!strVerb.IsEmpty())
        what = "/" + std::string(strVerb.GetString());
    return what + ": " + strPath.GetString();
}

void RunShellVerb(CBlowfishView& view, const CString& strVerb, const CString& strPath) {
    const ExplorerVerb* pVerb = FindVerb(strVerb);
    if (pVerb == nullptr) {
        // Another start of a newer program may hand over what this one cannot do.
        AfxMessageBox(UnknownSwitchMessage(strVerb.GetString()).c_str());
        return;
    }
    (view.*(pVerb->pfnFlow))(strPath);
}
