// kst as a Windows console program: the console and Ctrl+C.
#include "platform.h"

#include <windows.h>

#include "console_text.h"
#include "open.h"

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

// Reads a typed line as UTF-16 and gives the bytes the program would key with.
bool ReadConsoleLine(HANDLE console, SecretBytes& line)
{
    SecretWideText typed;
    bool ended = false;
    while (!ended) {
        wchar_t c = 0;
        DWORD got = 0;
        if (!::ReadConsoleW(console, &c, 1, &got, nullptr))
            break;
        ended = got == 0 || c == L'\n';
        if (!ended && c != L'\r')
            typed.push_back(c);
    }
    line = AnsiBytesOf(typed);
    return ended;
}

}  // namespace

bool StderrIsTerminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
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
    DWORD written = 0;
    if (error != nullptr && error != INVALID_HANDLE_VALUE)
        ::WriteFile(error, text.data(), DWORD(text.size()), &written, nullptr);
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
