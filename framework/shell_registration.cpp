#include "shell_registration.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "registry_key.h"

namespace {

// The current user's classes: the only place this program registers anything.
constexpr char kUserClasses[] = "Software\\Classes\\";

struct ClassEntry {
    std::string strKey;     // below the user's classes
    std::wstring strValue;  // the key's default value: the program's path may hold any character
};

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// The program's own texts (ASCII) beside its path.
std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring DefaultValueOf(const std::string& strKey) {
    CRegistryKey key;
    std::wstring value;
    if (!key.Open(HKEY_CURRENT_USER, kUserClasses + strKey) || !key.QueryString(nullptr, value)) return std::wstring();
    return value;
}

bool KeyExists(const std::string& strKey) {
    CRegistryKey key;
    return key.Open(HKEY_CURRENT_USER, kUserClasses + strKey);
}

RegistrationResult WriteEntries(const ClassEntry* pEntries, size_t nCount) {
    RegistrationResult result;
    for (size_t i = 0; i < nCount; ++i) {
        const ClassEntry& entry = pEntries[i];
        if (KeyExists(entry.strKey) && DefaultValueOf(entry.strKey) == entry.strValue) continue;
        CRegistryKey key;
        const bool bWritten = key.Create(HKEY_CURRENT_USER, kUserClasses + entry.strKey) && key.SetString(nullptr, entry.strValue);
        result.Add(RegistrationResult{bWritten, true});
    }
    return result;
}

// Removes a key of the user's classes with everything below it; a missing key is no failure.
RegistrationResult DeleteTree(const std::string& strKey) {
    if (!KeyExists(strKey)) return RegistrationResult{};
    const bool bDeleted = ::SHDeleteKeyA(HKEY_CURRENT_USER, (kUserClasses + strKey).c_str()) == ERROR_SUCCESS;
    return RegistrationResult{bDeleted, true};
}

}  // namespace

RegistrationResult RegisterShellFileType(const ShellFileType& type, bool bCompat) {
    const std::wstring exe = Quoted(type.strExePath);
    const std::string& id = type.strTypeId;
    const ClassEntry entries[] = {
        {id, Wide(type.strTypeName)},
        {id + "\\shell\\open\\command", exe + L" \"%1\""},
        {type.strExtension, Wide(id)},
        // The compatible form: the document icon and the shell's print verbs.
        {id + "\\DefaultIcon", type.strExePath + L"," + std::to_wstring(type.nIconIndex)},
        {id + "\\shell\\print\\command", exe + L" /p \"%1\""},
        {id + "\\shell\\printto\\command", exe + L" /pt \"%1\" \"%2\" \"%3\" \"%4\""},
    };
    return WriteEntries(entries, bCompat ? sizeof entries / sizeof entries[0] : 3);
}

RegistrationResult UnregisterShellFileType(const ShellFileType& type) {
    RegistrationResult result = DeleteTree(type.strTypeId);
    if (!KeyExists(type.strExtension) || DefaultValueOf(type.strExtension) != Wide(type.strTypeId)) return result;
    CRegistryKey extension;
    const bool bDeleted = extension.Create(HKEY_CURRENT_USER, kUserClasses + type.strExtension) && extension.DeleteValue(nullptr);
    result.Add(RegistrationResult{bDeleted, true});
    // The extension's key goes too when nothing else lives in it.
    if (bDeleted && extension.IsEmpty()) {
        extension.Close();
        result.Add(DeleteTree(type.strExtension));
    }
    return result;
}

RegistrationResult RegisterUserFileVerb(const ShellFileVerb& verb) {
    const std::string key = verb.strFileClass + "\\shell\\" + verb.strVerbKey;
    const ClassEntry entries[] = {
        {key, Wide(verb.strMenuText)},
        {key + "\\command", verb.strCommand},
    };
    return WriteEntries(entries, sizeof entries / sizeof entries[0]);
}

RegistrationResult UnregisterUserFileVerb(const ShellFileVerb& verb) {
    return DeleteTree(verb.strFileClass + "\\shell\\" + verb.strVerbKey);
}

void NotifyShellOfAssociationChange() { ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }
