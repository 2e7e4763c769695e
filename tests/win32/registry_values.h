// Reading back what the program wrote to the registry.
#pragma once

#include <windows.h>

#include <string>

#include "registry_key.h"

namespace kst_test {

// The default value of a key, or "<missing>".
inline std::string DefaultValue(HKEY hRoot, const std::string& subKey) {
    CRegistryKey key;
    std::string value;
    if (!key.Open(hRoot, subKey) || !key.QueryString(nullptr, value)) return "<missing>";
    return value;
}

// A class as the user's own classes hold it (this platform's classes root shows the
// machine's only), and as the machine's classes hold it.
inline std::string UserClassValue(const std::string& subKey) {
    return DefaultValue(HKEY_CURRENT_USER, "Software\\Classes\\" + subKey);
}
inline std::string MachineClassValue(const std::string& subKey) {
    return DefaultValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + subKey);
}

}  // namespace kst_test
