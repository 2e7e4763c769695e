// What the program was asked to do on its command line.
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
    virtual void ParseParam(const char* pszParam, bool bFlag, bool bLast);

    ShellCommand m_nShellCommand;
    std::string m_strFileName;
    std::string m_strVerb;  // with FileVerb: the application's name for the action
};

// Feeds the arguments (without the program name) to info.ParseParam.
void ParseCommandLineArgs(const std::vector<std::string>& args, CCommandLineInfo& info);
