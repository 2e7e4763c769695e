#include "shell_registration.h"

#include "registry_key.h"

#include <windows.h>

namespace {

struct ClassEntry {
    std::string strKey;    // below the classes root
    std::string strValue;  // the key's default value
};

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

bool WriteEntries(HKEY hRoot, const std::string& strPrefix, const ClassEntry* pEntries, size_t nCount) {
    for (size_t i = 0; i < nCount; ++i) {
        CRegistryKey key;
        if (!key.Create(hRoot, strPrefix + pEntries[i].strKey) || !key.SetString(nullptr, pEntries[i].strValue))
            return false;
    }
    return true;
}

}  // namespace

bool RegisterShellFileType(const ShellFileType& type, bool bCompat) {
    const std::string exe = Quoted(type.strExePath);
    const std::string& id = type.strTypeId;
    const ClassEntry entries[] = {
        {id, type.strTypeName},
        {id + "\\shell\\open\\command", exe + " \"%1\""},
        {type.strExtension, id},
        // The compatible form: the document icon and the shell's print verbs.
        {id + "\\DefaultIcon", type.strExePath + "," + std::to_string(type.nIconIndex)},
        {id + "\\shell\\print\\command", exe + " /p \"%1\""},
        {id + "\\shell\\printto\\command", exe + " /pt \"%1\" \"%2\" \"%3\" \"%4\""},
    };
    const size_t nCount = bCompat ? sizeof entries / sizeof entries[0] : 3;
    return WriteEntries(HKEY_CLASSES_ROOT, "", entries, nCount) ||
           WriteEntries(HKEY_CURRENT_USER, "Software\\Classes\\", entries, nCount);
}

bool RegisterUserFileVerb(const ShellFileVerb& verb) {
    const ClassEntry entries[] = {
        {"", verb.strMenuText},
        {"\\command", verb.strCommand},
    };
    const std::string key = "Software\\Classes\\" + verb.strFileClass + "\\shell\\" + verb.strVerbKey;
    return WriteEntries(HKEY_CURRENT_USER, key, entries, sizeof entries / sizeof entries[0]);
}
