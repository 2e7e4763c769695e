#include "command_line_info.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>

void CCommandLineInfo::ParseParam(const wchar_t* pszParam, bool bFlag, bool /*bLast*/) {
    if (bFlag) {
        // The shell's print verbs; anything else is not ours and is ignored.
        if (::_wcsicmp(pszParam, L"p") == 0)
            m_nShellCommand = FilePrint;
        else if (::_wcsicmp(pszParam, L"pt") == 0)
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

void ParseCommandLineArgs(const std::vector<std::wstring>& args, CCommandLineInfo& info) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const bool bFlag = arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-');
        info.ParseParam(bFlag ? arg.c_str() + 1 : arg.c_str(), bFlag, i + 1 == args.size());
    }
}

std::vector<std::wstring> AfxCommandLineArgs() {
    std::vector<std::wstring> args;
    int nArgs = 0;
    // The wide command line: the narrow one has every character outside the ANSI code page
    // replaced, and so names no file that has one.
    struct LocalFreeDeleter {
        void operator()(LPWSTR* p) const { ::LocalFree(p); }
    };
    const std::unique_ptr<LPWSTR, LocalFreeDeleter> argv(::CommandLineToArgvW(::GetCommandLineW(), &nArgs));
    if (argv == nullptr) return args;
    for (int i = 1; i < nArgs; ++i) args.emplace_back(argv.get()[i]);
    return args;
}
