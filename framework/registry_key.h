// An open registry key that closes itself.
#pragma once

#include <windows.h>

#include <string>

#include "handle.h"

class CRegistryKey {
public:
    CRegistryKey() : m_hKey() {}
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Opens (creating when missing) a subkey for writing; false when refused.
    bool Create(HKEY hParent, const std::string& strSubKey);
    // Opens an existing subkey for reading; false when missing or refused.
    bool Open(HKEY hParent, const std::string& strSubKey);

    // Reads a string value ("" names the key's default value); false when missing.
    bool QueryString(const char* pszName, std::string& strValue) const;
    bool SetString(const char* pszName, const std::string& strValue) const;
    // The same in UTF-16, for values that name files (the program's own path).
    bool QueryString(const char* pszName, std::wstring& strValue) const;
    bool SetString(const char* pszName, const std::wstring& strValue) const;
    // Removes a value (null names the default value); a value that is not there is no failure.
    bool DeleteValue(const char* pszName) const;
    // Whether the key holds neither values nor subkeys.
    bool IsEmpty() const;

    HKEY Get() const { return m_hKey; }
    void Close();

private:
    CRegistryKeyHandle m_hKey;
};
