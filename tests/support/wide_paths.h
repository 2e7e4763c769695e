// Paths in the tests are built as narrow text of the ANSI code page; the program holds
// them wide. These cross between the two as the program's own conversions do, and reach
// files by wide path, for the names the code page cannot spell.
#pragma once

#include <windows.h>

#include <string>

#include "wide_text.h"

namespace kst_test {

inline std::wstring Wide(const std::string& ansi) { return AfxWiden(ansi.c_str()); }
inline std::string Narrow(const std::wstring& wide) { return std::string(AfxNarrowForDisplay(wide).GetString()); }

// "Отчёт 📄.txt": Cyrillic letters and an emoji (a surrogate pair), which code page 1252
// stores by the rule as one '_' each.
const std::wstring kReportName = L"\x041E\x0442\x0447\x0451\x0442 \xD83D\xDCC4.txt";
const char kReportStored[] = "_____ _.txt";
// "Расшифровано ✓.txt": a name to decrypt to that code page 1252 cannot spell either.
const std::wstring kDecryptedName =
    L"\x0420\x0430\x0441\x0448\x0438\x0444\x0440\x043E\x0432\x0430\x043D\x043E \x2713.txt";

// Files by wide path, through the long form, so that a path beyond MAX_PATH works here too.
inline std::wstring LongForm(const std::wstring& path) { return L"\\\\?\\" + path; }

inline bool WriteWide(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

inline std::string ReadWide(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(LongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

inline bool ExistsWide(const std::wstring& path) {
    return ::GetFileAttributesW(LongForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace kst_test
