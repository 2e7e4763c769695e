// The application's settings in the current user's registry profile:
// HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>.
#pragma once

#include <windows.h>  // first: it renames GetProfileString and friends for everyone alike

#include <string>

class CRegistryProfile {
public:
    CRegistryProfile() = default;

    // pszRegistryKey may itself hold backslashes ("Pellacore\Software").
    void SetRegistryKey(const char* pszRegistryKey, const char* pszAppName);
    bool IsSet() const { return !m_strAppKey.empty(); }
    // Path below HKEY_CURRENT_USER, e.g. "Software\Pellacore\Software\Kestrine".
    const std::string& GetAppKeyPath() const { return m_strAppKey; }

    // A missing section or value reads as pszDefault (empty when null).
    std::string GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault) const;
    bool WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue) const;
    // Removes a value, and its section once nothing is left in it; a value that is not
    // there is no failure.
    bool DeleteProfileEntry(const char* pszSection, const char* pszEntry) const;

private:
    std::string m_strAppKey;
};
