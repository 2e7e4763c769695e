#include "registry_key.h"

#include <cstring>
#include <vector>

bool CRegistryKey::Create(HKEY hParent, const std::string& strSubKey) {
    Close();
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(hParent, strSubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    m_hKey.Reset(hKey);
    return true;
}

bool CRegistryKey::Open(HKEY hParent, const std::string& strSubKey) {
    Close();
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hParent, strSubKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    m_hKey.Reset(hKey);
    return true;
}

bool CRegistryKey::QueryString(const char* pszName, std::string& strValue) const {
    if (!m_hKey)
        return false;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExA(m_hKey, pszName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<char> buffer(size + 1, '\0');
    if (::RegQueryValueExA(m_hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS)
        return false;
    strValue.assign(buffer.data());  // the stored terminator, if any, ends the text
    return true;
}

bool CRegistryKey::SetString(const char* pszName, const std::string& strValue) const {
    return m_hKey &&
           ::RegSetValueExA(m_hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                            static_cast<DWORD>(strValue.size() + 1)) == ERROR_SUCCESS;
}

namespace {

// A value's name (ASCII) as the wide functions take it; null names the default value.
std::wstring WideName(const char* pszName) {
    return pszName != nullptr ? std::wstring(pszName, pszName + std::strlen(pszName)) : std::wstring();
}

}  // namespace

bool CRegistryKey::QueryString(const char* pszName, std::wstring& strValue) const {
    if (!m_hKey)
        return false;
    const std::wstring name = WideName(pszName);
    const wchar_t* pszWideName = pszName != nullptr ? name.c_str() : nullptr;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(m_hKey, pszWideName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    if (::RegQueryValueExW(m_hKey, pszWideName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    strValue.assign(buffer.data());  // the stored terminator, if any, ends the text
    return true;
}

bool CRegistryKey::SetString(const char* pszName, const std::wstring& strValue) const {
    const std::wstring name = WideName(pszName);
    return m_hKey &&
           ::RegSetValueExW(m_hKey, pszName != nullptr ? name.c_str() : nullptr, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(strValue.c_str()),
                            static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CRegistryKey::DeleteValue(const char* pszName) const {
    if (!m_hKey) return false;
    const LONG status = ::RegDeleteValueA(m_hKey, pszName);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool CRegistryKey::IsEmpty() const {
    DWORD nSubKeys = 0, nValues = 0;
    return m_hKey &&
           ::RegQueryInfoKeyA(m_hKey, nullptr, nullptr, nullptr, &nSubKeys, nullptr, nullptr, &nValues, nullptr, nullptr,
                              nullptr, nullptr) == ERROR_SUCCESS &&
           nSubKeys == 0 && nValues == 0;
}

void CRegistryKey::Close() { m_hKey.Reset(); }
