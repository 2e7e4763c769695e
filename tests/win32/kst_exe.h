// Starts kst.exe, built beside the tests, as a script in a Windows console would.
#pragma once

#include <windows.h>

#include <string>

namespace kst_test {

inline std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Runs kst.exe with a command line (in this process's console, if it has one) and answers
// its exit status.
inline DWORD RunKstExe(const std::string& arguments) {
    std::string commandLine = Quoted(WindowsPath(KST_EXE_PATH)) + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return DWORD(-1);
    ::WaitForSingleObject(process.hProcess, 600000);
    DWORD status = DWORD(-1);
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return status;
}

}  // namespace kst_test
