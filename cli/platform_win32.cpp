// kst as a Windows console program: its command line, the console and Ctrl+C.
#include "platform.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "code_page.h"
#include "open.h"
#include "path.h"

namespace kst {

namespace {

volatile LONG g_interruptEvent = -1;

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        ::InterlockedExchange(&g_interruptEvent, LONG(event));
        // Handled: the work stops between chunks and removes what it half wrote.
        return TRUE;
    }
    return FALSE;
}

// Restores the console's mode however the prompt ends.
class EchoOff {
public:
    explicit EchoOff(HANDLE console) : m_console(console), m_saved(0), m_changed(false)
    {
        if (::GetConsoleMode(console, &m_saved))
            m_changed = ::SetConsoleMode(console, m_saved & ~DWORD(ENABLE_ECHO_INPUT)) != FALSE;
    }
    ~EchoOff()
    {
        if (m_changed)
            ::SetConsoleMode(m_console, m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    HANDLE m_console;
    DWORD m_saved;
    bool m_changed;
};

// Reads a typed line as UTF-16 and hands it on as UTF-8, so that no character is lost
// before the code page the key is made in decides.
bool ReadConsoleLine(HANDLE console, SecretBytes& line)
{
    std::vector<char16_t, WipingAllocator<char16_t>> typed;
    bool ended = false;
    while (!ended) {
        wchar_t c = 0;
        DWORD got = 0;
        if (!::ReadConsoleW(console, &c, 1, &got, nullptr))
            break;
        ended = got == 0 || c == L'\n';
        if (!ended && c != L'\r')
            typed.push_back(char16_t(c));
    }
    WipeSecret(line);
    char sequence[4];
    lockedfile::ReadUtf16(typed.data(), typed.size(), [&](char32_t c) {
        const size_t length = lockedfile::EncodeUtf8(c, sequence);
        line.insert(line.end(), sequence, sequence + length);
    });
    WipeBytes(sequence, sizeof sequence);
    return ended;
}

struct LocalFreeDeleter {
    void operator()(LPWSTR* memory) const { ::LocalFree(memory); }
};

bool IsConsole(HANDLE stream)
{
    DWORD mode = 0;
    return ::GetConsoleMode(stream, &mode) != FALSE;
}

// Narrow text as wide text, as the file layer converts it (path.h).
std::wstring WideOf(const std::string& text)
{
    return files::Path(text).Native();
}

// What a redirected stream gets: the ANSI code page's bytes, as kst wrote before and as
// the program's own narrow texts are, so that what a script reads there and compares with
// names it knows stays as it was for every name the code page spells; '?' for each
// character it lacks (never a look-alike, which would name another file).
std::string AnsiOf(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    // Where the ANSI code page is UTF-8 no flag is allowed, and every character fits.
    const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = ::WideCharToMultiByte(CP_ACP, flags, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, flags, text.data(), int(text.size()), &ansi[0], size, nullptr, nullptr);
    return ansi;
}

// A console takes UTF-16 and shows every character its font has.
bool WriteToConsole(HANDLE console, const std::string& text)
{
    const std::wstring wide = WideOf(text);
    DWORD written = 0;
    return ::WriteConsoleW(console, wide.data(), DWORD(wide.size()), &written, nullptr) && written == wide.size();
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**)
{
    // The narrow arguments have each character the ANSI code page lacks replaced, and so
    // name no file that has one: the wide command line is read as the program reads its own.
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreeDeleter> wide(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i)
        arguments.push_back(files::Path::FromNative(wide.get()[i]).Narrow());
    return arguments;
}

bool StderrIsTerminal()
{
    return IsConsole(::GetStdHandle(STD_ERROR_HANDLE));
}

bool ReadSecretFromTerminal(const char* prompt, SecretBytes& secret)
{
    files::File owned;
    if (!files::Open("CONIN$", files::Access::ReadWrite, files::Sharing::ReadWrite, files::Creation::OpenExisting, owned)
             .ok)
        return false;
    HANDLE input = owned.Native();
    DWORD mode = 0;
    if (!::GetConsoleMode(input, &mode))
        return false;
    EchoOff quiet(input);
    WriteToStderr(prompt);
    const bool read = ReadConsoleLine(input, secret);
    WriteToStderr("\n");
    return read && !InterruptRequested();
}

void WriteToStderr(const std::string& text)
{
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE || text.empty())
        return;
    if (IsConsole(error)) {
        WriteToConsole(error, text);
        return;
    }
    const std::string ansi = AnsiOf(WideOf(text));
    DWORD written = 0;
    ::WriteFile(error, ansi.data(), DWORD(ansi.size()), &written, nullptr);
}

void WriteToStdout(const std::string& text)
{
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (IsConsole(output)) {
        // What stdio holds goes first, so that the lines come in their order.
        std::fflush(stdout);
        if (WriteToConsole(output, text))
            return;
    }
    std::fputs(AnsiOf(WideOf(text)).c_str(), stdout);
}

void InstallInterruptHandler()
{
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool InterruptRequested()
{
    return g_interruptEvent >= 0;
}

int InterruptExitStatus()
{
    // As a POSIX shell reports SIGINT, so scripts test one number on both systems.
    return 130;
}

void EndByInterrupt()
{
    // A console program has no signal to die by: the exit status says it (130, as a POSIX
    // shell shows SIGINT).
}

}  // namespace kst
