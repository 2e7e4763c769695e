// What Kestrine offers on every file in Explorer's context menu, "Encrypt with Kestrine"
// and "Shred with Kestrine", and the command-line switches those entries start it with:
// /encrypt FILE and /shred FILE.
#pragma once

#include <string>

#include "command_line_info.h"
#include "cstring.h"
#include "shell_registration.h"

class CBlowfishView;

// Writes both entries for the current user (what already reads as it should stays as it is),
// and removes them again.
RegistrationResult RegisterExplorerVerbs();
RegistrationResult UnregisterExplorerVerbs();

// The command line with the program's switches: a switch and its one file become the
// framework's verb request; anything it cannot take is kept as a refusal to show.
// /register and /unregister write and remove the program's registration for the user
// and end without a window; they stand alone on the command line.
class CKestrineCommandLineInfo : public CCommandLineInfo {
public:
    enum Registration { NoRegistration, Register, Unregister };

    CKestrineCommandLineInfo()
        : CCommandLineInfo(), m_nRegistration(NoRegistration), m_strUnknownSwitch(), m_nSwitches(0),
          m_nRegistrationSwitches(0), m_nFiles(0), m_bShellPrint(false) {}

    void ParseParam(const wchar_t* pszParam, bool bFlag, bool bLast) override;
    // The message for a command line the program will not act on, or empty.
    std::wstring Refusal() const;

    Registration m_nRegistration;  // what /register or /unregister asked for

private:
    std::wstring m_strUnknownSwitch;  // the first switch that is neither ours nor the shell's
    int m_nSwitches;                 // verb switches seen
    int m_nRegistrationSwitches;     // /register and /unregister seen
    int m_nFiles;                    // plain arguments seen
    bool m_bShellPrint;              // the locked files' print switch /p or /pt was given
};

// How a closing window names a handed-over file it did not take up: what was asked, and the
// path ("Shred with Kestrine: C:\...").
std::wstring DescribeShellRequest(const std::string& strVerb, const std::wstring& strPath);

// Runs the view's flow for a verb that reached the main frame (from this start's command
// line or handed over by another start); a verb this program does not know is refused with
// a message.
void RunShellVerb(CBlowfishView& view, const std::string& strVerb, const std::wstring& strPath);
