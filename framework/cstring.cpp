#include "cstring.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "secret_bytes.h"

CString& CString::operator=(const char* psz) {
    m_text = psz != nullptr ? psz : "";
    return *this;
}

void CString::SecureEmpty() {
    if (!m_text.empty()) WipeBytes(&m_text[0], m_text.size());
    m_text.clear();
}

CString& CString::operator+=(const CString& other) {
    m_text += other.m_text;
    return *this;
}
CString& CString::operator+=(const char* psz) {
    if (psz != nullptr) m_text += psz;
    return *this;
}
CString& CString::operator+=(char ch) {
    m_text += ch;
    return *this;
}

CString CString::Left(int nCount) const {
    size_t count = nCount < 0 ? 0 : std::min(m_text.size(), static_cast<size_t>(nCount));
    return CString(m_text.substr(0, count));
}
CString CString::Right(int nCount) const {
    size_t count = nCount < 0 ? 0 : std::min(m_text.size(), static_cast<size_t>(nCount));
    return CString(m_text.substr(m_text.size() - count));
}
CString CString::Mid(int nFirst) const {
    size_t first = nFirst < 0 ? 0 : std::min(m_text.size(), static_cast<size_t>(nFirst));
    return CString(m_text.substr(first));
}

// Letter case of the ASCII letters only: bytes of a multi-byte code page stay as they are.
CString& CString::MakeUpper() {
    for (char& ch : m_text)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    return *this;
}
CString& CString::MakeLower() {
    for (char& ch : m_text)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return *this;
}

int CString::Find(char ch, int nStart) const {
    if (nStart < 0) nStart = 0;
    size_t at = m_text.find(ch, static_cast<size_t>(nStart));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}
int CString::ReverseFind(char ch) const {
    size_t at = m_text.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Compare(const char* psz) const { return std::strcmp(m_text.c_str(), psz != nullptr ? psz : ""); }
int CString::CompareNoCase(const char* psz) const {
    CString a(*this), b(psz);
    return a.MakeUpper().Compare(b.MakeUpper());
}

void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list probe;
    va_copy(probe, args);
    int needed = std::vsnprintf(nullptr, 0, pszFormat, probe);
    va_end(probe);
    if (needed < 0) {
        m_text.clear();
    } else {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pszFormat, args);
        m_text.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
}

CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
