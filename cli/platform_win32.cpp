// kst as a Windows console program: file handles, the console and Ctrl+C.
#include "platform.h"

#include <windows.h>

#include <io.h>

#include "console_text.h"
#include "path_names.h"

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

HANDLE Handle(const FileHandle& file)
{
    return reinterpret_cast<HANDLE>(file.Get());
}

std::string SystemText(DWORD error)
{
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : "error " + std::to_string(error);
    if (text != nullptr)
        ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
        result.pop_back();
    return result;
}

FileResult Failure(DWORD error)
{
    return {false, SystemText(error)};
}

FileResult OpenRegular(const std::string& path, DWORD access, DWORD share, FileHandle& file, uint64_t& length)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Failure(::GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return {false, "is a directory"};
    HANDLE handle = ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                  nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Failure(::GetLastError());
    file = FileHandle(reinterpret_cast<intptr_t>(handle));
    LARGE_INTEGER size;
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &size)) {
        file.Close();
        return {false, "not a regular file"};
    }
    length = uint64_t(size.QuadPart);
    return {};
}

// A second handle on one the process holds, closed on its own; it shares the file position.
FileResult Duplicate(HANDLE handle, FileHandle& file)
{
    HANDLE duplicate = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &duplicate, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return Failure(::GetLastError());
    file = FileHandle(reinterpret_cast<intptr_t>(duplicate));
    return {};
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
bool ReadConsoleLine(HANDLE console, std::string& line)
{
    std::wstring typed;
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
    for (wchar_t& c : typed)
        *const_cast<volatile wchar_t*>(&c) = 0;
    return ended;
}

}  // namespace

bool FileHandle::Close()
{
    if (m_handle == kNone)
        return true;
    const BOOL closed = ::CloseHandle(Handle(*this));
    m_handle = kNone;
    return closed != FALSE;
}

bool FileHandle::Read(uint8_t* buffer, size_t want, size_t& got)
{
    DWORD now = 0;
    const DWORD ask = want > 0x40000000 ? 0x40000000 : DWORD(want);
    // A pipe whose writer has closed it has come to its end; that is no error.
    if (!::ReadFile(Handle(*this), buffer, ask, &now, nullptr) && ::GetLastError() != ERROR_BROKEN_PIPE)
        return false;
    got = now;
    return true;
}

bool FileHandle::WriteAll(const uint8_t* buffer, size_t count)
{
    while (count > 0) {
        DWORD now = 0;
        const DWORD ask = count > 0x40000000 ? 0x40000000 : DWORD(count);
        if (!::WriteFile(Handle(*this), buffer, ask, &now, nullptr) || now == 0)
            return false;
        buffer += now;
        count -= now;
    }
    return true;
}

bool FileHandle::Flush()
{
    return ::FlushFileBuffers(Handle(*this)) != FALSE;
}

void StartWriteBack(FileHandle&, uint64_t, uint64_t)
{
    // Windows has no request to start writing a range early; FlushFileBuffers does it all.
}

FileResult OpenForReading(const std::string& path, FileHandle& file, uint64_t& length)
{
    // Shared for reading only: nobody changes the source while it is read.
    return OpenRegular(path, GENERIC_READ, FILE_SHARE_READ, file, length);
}

FileResult OpenForOverwriting(const std::string& path, FileHandle& file, uint64_t& length)
{
    return OpenRegular(path, GENERIC_WRITE, 0, file, length);
}

FileResult OpenToRead(const std::string& path, FileHandle& file)
{
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Failure(::GetLastError());
    file = FileHandle(reinterpret_cast<intptr_t>(handle));
    return {};
}

FileResult CreateUniqueFile(const std::string& directory, FileHandle& file, std::string& path)
{
    // A short name, so that the room a long destination name needs is not taken.
    for (unsigned attempt = 0;; ++attempt) {
        path = directory + ".kst-part." + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(attempt) +
               ".tmp";
        HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            file = FileHandle(reinterpret_cast<intptr_t>(handle));
            return {};
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 1000) {
            path.clear();
            return Failure(error);
        }
    }
}

FileResult LimitAccess(FileHandle&, FileHandle&, const std::string&)
{
    // A new file takes the access its folder gives, as the program's outputs do.
    return {};
}

bool SyncFolder(const std::string&)
{
    // The rename was made with MOVEFILE_WRITE_THROUGH: it is on the disk when it returns.
    return true;
}

FileResult OpenStandardOutput(FileHandle& file)
{
    return Duplicate(::GetStdHandle(STD_OUTPUT_HANDLE), file);
}

std::string LastErrorText()
{
    return SystemText(::GetLastError());
}

FileResult RenameFile(const std::string& from, const std::string& to, bool replace, bool& existed)
{
    existed = false;
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (::MoveFileExA(from.c_str(), to.c_str(), flags))
        return {};
    const DWORD error = ::GetLastError();
    existed = !replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS);
    return Failure(error);
}

bool RemoveFile(const std::string& path)
{
    return ::DeleteFileA(path.c_str()) != FALSE;
}

bool PathExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string NotAFile(const std::string& path)
{
    // Devices (NUL, COM1) are no entries of a folder: a rename onto one fails by itself.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "is a directory"
                                                                                                 : "";
}

bool SameFile(const std::string& first, const std::string& second)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string* paths[2] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        HANDLE handle = ::CreateFileA(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        FileHandle owned(reinterpret_cast<intptr_t>(handle));
        if (!::GetFileInformationByHandle(handle, &info[i]))
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

size_t FileNameStart(const std::string& path)
{
    return lockedfile::FileNameStart(path, NameLeadBytes(), NamePathStyle());
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, FileNameStart(path));
}

size_t RoomForNameIn(const std::string& folder)
{
    // As the program fits its proposal: the full folder, its separator, the name and the
    // terminator within MAX_PATH, the most its file dialog takes.
    char full[MAX_PATH * 2] = {};
    const DWORD length = ::GetFullPathNameA(folder.empty() ? "." : folder.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full)
        return 0;
    size_t used = length + 1;
    if (full[length - 1] != '\\' && full[length - 1] != '/')
        ++used;
    return used < MAX_PATH ? MAX_PATH - used : 0;
}

lockedfile::LeadBytePredicate NameLeadBytes()
{
    return [](uint8_t byte) { return ::IsDBCSLeadByte(byte) != FALSE; };
}

lockedfile::PathStyle NamePathStyle()
{
    return lockedfile::PathStyle::Windows;
}

bool StderrIsTerminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

bool ReadSecretFromTerminal(const char* prompt, std::string& secret)
{
    HANDLE input = ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE)
        return false;
    FileHandle owned(reinterpret_cast<intptr_t>(input));
    DWORD mode = 0;
    if (!::GetConsoleMode(input, &mode))
        return false;
    EchoOff quiet(input);
    WriteToStderr(prompt);
    const bool read = ReadConsoleLine(input, secret);
    WriteToStderr("\n");
    return read && !InterruptRequested();
}

FileResult OpenDescriptor(int descriptor, FileHandle& file)
{
    const intptr_t handle = ::_get_osfhandle(descriptor);
    if (handle == -1) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return Failure(ERROR_INVALID_HANDLE);
    }
    return Duplicate(reinterpret_cast<HANDLE>(handle), file);
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
