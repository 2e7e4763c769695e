#include "file_protection.h"

#include <windows.h>
#include <aclapi.h>

#include <memory>
#include <vector>

namespace kst_test {

namespace {

using LocalMemory = std::unique_ptr<void, decltype(&::LocalFree)>;

// The user this process runs as.
std::vector<BYTE> CurrentUser() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    std::unique_ptr<void, decltype(&::CloseHandle)> owned(token, &::CloseHandle);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    return std::vector<BYTE>(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + ::GetLengthSid(sid));
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return ::CreateWellKnownSid(type, nullptr, known, &size) && ::EqualSid(sid, known);
}

}  // namespace

bool MakePrivate(const std::string& path) {
    std::vector<BYTE> user = CurrentUser();
    if (user.empty()) return false;
    EXPLICIT_ACCESS_A access{};
    access.grfAccessPermissions = FILE_ALL_ACCESS;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName = reinterpret_cast<LPSTR>(user.data());
    PACL acl = nullptr;
    if (::SetEntriesInAclA(1, &access, nullptr, &acl) != ERROR_SUCCESS) return false;
    LocalMemory ownedAcl(acl, &::LocalFree);
    // Set as it is, protected from what the folder would hand down (SetNamedSecurityInfo
    // under Wine adds the folder's entries even to a protected list).
    SECURITY_DESCRIPTOR descriptor;
    return ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           ::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
           ::SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED) &&
           ::SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, &descriptor);
}

namespace {

// Whether an access list lets anyone beyond the owner read.
bool AnyoneElseReads(const ACL* acl) {
    if (acl == nullptr) return true;
    for (WORD i = 0; i < acl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(const_cast<ACL*>(acl), i, &entry)) continue;
        const ACE_HEADER* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
        const ACCESS_ALLOWED_ACE* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        const bool reads = (allowed->Mask & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL)) != 0;
        if (reads && (IsWellKnown(sid, WinWorldSid) || IsWellKnown(sid, WinAuthenticatedUserSid) ||
                      IsWellKnown(sid, WinBuiltinUsersSid)))
            return true;
    }
    return false;
}

}  // namespace

bool OthersMayRead(const std::string& path) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;  // what cannot be looked at cannot be shown to be private
    LocalMemory owned(descriptor, &::LocalFree);
    return AnyoneElseReads(acl);
}

bool OthersMayReadOpen(void* file) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return true;
    LocalMemory owned(descriptor, &::LocalFree);
    return AnyoneElseReads(acl);
}

}  // namespace kst_test
