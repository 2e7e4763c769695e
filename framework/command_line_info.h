// What the program was asked to do on its command line. Arguments are wide text, as the
// system hands them over: a file's name may hold any character.
#pragma once

#include <string>
#include <vector>

class CCommandLineInfo {
public:
    // FileVerb: an action of the application's own (m_strVerb) for the file; the framework
    // hands it to the running program or to the new main frame (CFrameWnd::OnShellVerb).
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileNothing, FileVerb };

    CCommandLineInfo() : m_nShellCommand(FileNew), m_strFileName(), m_strVerb() {}
    virtual ~CCommandLineInfo() = default;

    // Called for each argument after the program name; bFlag when it began with '/' or '-'
    // (the marker is already removed), bLast for the final one.
    virtual void ParseParam(const wchar_t* pszParam, bool bFlag, bool bLast);

    ShellCommand m_nShellCommand;
    std::wstring m_strFileName;
    std::string m_strVerb;  // with FileVerb: the application's name for the action
};

// Feeds the arguments (without the program name) to info.ParseParam.
void ParseCommandLineArgs(const std::vector<std::wstring>& args, CCommandLineInfo& info);
// The arguments of this process's command line, without the program's name, as the
// system splits them.
std::vector<std::wstring> AfxCommandLineArgs();
