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
inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// What kst.exe wrote to a standard stream that was no console: the bytes as they came.
class CapturedStream {
public:
    CapturedStream() {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        // Room for all a command says, so that it never waits for this end to read.
        ::CreatePipe(&m_read, &m_write, &inherited, 1 << 20);
        ::SetHandleInformation(m_read, HANDLE_FLAG_INHERIT, 0);
    }
    ~CapturedStream() {
        for (HANDLE handle : {m_read, m_write})
            if (handle != nullptr) ::CloseHandle(handle);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    HANDLE WriteEnd() const { return m_write; }
    // After the process has ended: everything it wrote.
    std::string Text() {
        ::CloseHandle(m_write);
        m_write = nullptr;
        std::string text;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(m_read, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
        return text;
    }

private:
    HANDLE m_read = nullptr;
    HANDLE m_write = nullptr;
};

// Runs kst.exe with a wide command line, as a console hands over any file name (in this
// process's console, if it has one), and answers its exit status. With `output` or
// `errors` that stream goes into a pipe and its bytes come back there.
inline DWORD RunKstExe(const std::wstring& arguments, std::string* output = nullptr, std::string* errors = nullptr) {
    const std::string exe = WindowsPath(KST_EXE_PATH);
    std::wstring commandLine = Quoted(std::wstring(exe.begin(), exe.end())) + L" " + arguments;
    CapturedStream capturedOutput;
    CapturedStream capturedErrors;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool capturing = output != nullptr || errors != nullptr;
    if (capturing) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output != nullptr ? capturedOutput.WriteEnd() : ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = errors != nullptr ? capturedErrors.WriteEnd() : ::GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, capturing, 0, nullptr, nullptr, &startup,
                          &process))
        return DWORD(-1);
    ::WaitForSingleObject(process.hProcess, 600000);
    DWORD status = DWORD(-1);
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (output != nullptr) *output = capturedOutput.Text();
    if (errors != nullptr) *errors = capturedErrors.Text();
    return status;
}

// The same with a command line in the ANSI code page.
inline DWORD RunKstExe(const std::string& arguments) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, arguments.data(), int(arguments.size()), nullptr, 0);
    std::wstring wide(size_t(length > 0 ? length : 0), L'\0');
    if (length > 0) ::MultiByteToWideChar(CP_ACP, 0, arguments.data(), int(arguments.size()), &wide[0], length);
    return RunKstExe(wide);
}

}  // namespace kst_test
