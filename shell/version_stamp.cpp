#include "version_stamp.h"

#include "registry_profile.h"

void CheckVersionStamp(const CRegistryProfile& profile) {
    if (profile.GetProfileString(kVersionStampSection, kVersionStampEntry, nullptr) != kVersionStamp)
        WriteVersionStamp(profile);
}

void WriteVersionStamp(const CRegistryProfile& profile) {
    profile.WriteProfileString(kVersionStampSection, kVersionStampEntry, kVersionStamp);
}
