#include "command_line_info.h"

#include <strings.h>

void CCommandLineInfo::ParseParam(const char* pszParam, bool bFlag, bool /*bLast*/) {
    if (bFlag) {
        // The shell's print verbs; anything else is not ours and is ignored.
        if (::strcasecmp(pszParam, "p") == 0)
            m_nShellCommand = FilePrint;
        else if (::strcasecmp(pszParam, "pt") == 0)
            m_nShellCommand = FilePrintTo;
        return;
    }
    // The first plain argument names the document; printer names after /pt follow it.
    if (m_strFileName.empty()) {
        m_strFileName = pszParam;
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
    }
}

void ParseCommandLineArgs(const std::vector<std::string>& args, CCommandLineInfo& info) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool bFlag = arg.size() > 1 && (arg[0] == '/' || arg[0] == '-');
        info.ParseParam(bFlag ? arg.c_str() + 1 : arg.c_str(), bFlag, i + 1 == args.size());
    }
}
