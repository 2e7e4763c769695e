#include "registry_profile.h"

#include "registry_key.h"

void CRegistryProfile::SetRegistryKey(const char* pszRegistryKey, const char* pszAppName) {
    m_strAppKey = std::string("Software\\") + pszRegistryKey + "\\" + pszAppName;
}

std::string CRegistryProfile::GetProfileString(const char* pszSection, const char* pszEntry,
                                               const char* pszDefault) const {
    std::string strValue;
    CRegistryKey key;
    if (IsSet() && key.Open(HKEY_CURRENT_USER, m_strAppKey + "\\" + pszSection) &&
        key.QueryString(pszEntry, strValue))
        return strValue;
    return pszDefault ? pszDefault : "";
}

bool CRegistryProfile::DeleteProfileEntry(const char* pszSection, const char* pszEntry) const {
    if (!IsSet()) return false;
    const std::string section = m_strAppKey + "\\" + pszSection;
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, section)) return true;
    key.Close();
    if (!key.Create(HKEY_CURRENT_USER, section) || !key.DeleteValue(pszEntry)) return false;
    if (key.IsEmpty()) {
        key.Close();
        ::RegDeleteKeyA(HKEY_CURRENT_USER, section.c_str());
    }
    return true;
}

bool CRegistryProfile::WriteProfileString(const char* pszSection, const char* pszEntry,
                                          const char* pszValue) const {
    CRegistryKey key;
    return IsSet() && key.Create(HKEY_CURRENT_USER, m_strAppKey + "\\" + pszSection) &&
           key.SetString(pszEntry, pszValue ? pszValue : "");
}
