// The framework's string: a value of narrow characters in the process's code page.
#pragma once

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_text(psz != nullptr ? psz : "") {}
    CString(const char* pch, int nLength) : m_text(pch, pch != nullptr && nLength > 0 ? nLength : 0) {}
    CString(const std::string& text) : m_text(text) {}
    CString(const CString&) = default;
    CString(CString&&) = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) = default;
    CString& operator=(const char* psz);

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    // Overwrites the characters with zeros before emptying: for passwords and keys.
    void SecureEmpty();

    operator const char*() const { return m_text.c_str(); }
    const char* GetString() const { return m_text.c_str(); }
    char GetAt(int nIndex) const { return m_text.at(static_cast<size_t>(nIndex)); }

    CString& operator+=(const CString& other);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString& MakeUpper();
    CString& MakeLower();
    int Find(char ch, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;
    // printf-style formatting; the result replaces the string.
    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

private:
    std::string m_text;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
bool operator<(const CString& a, const CString& b);
