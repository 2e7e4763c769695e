// Access lists of files on Windows: read, set and compared through open handles.
#include "access_list_win32.h"

#include <aclapi.h>

#include "file_handle.h"
#include "system_win32.h"

namespace files::win32 {

namespace {

// An entry as far as it matters to the file itself: its kind, whom it names (or, for a
// kind we do not look into, all that it holds) and what it allows or forbids, in the
// specific rights of files.
struct Entry {
    BYTE type;
    ACCESS_MASK mask;
    std::vector<BYTE> subject;
    bool operator==(const Entry& other) const
    {
        return type == other.type && mask == other.mask && subject == other.subject;
    }
};

// No kind of entry has this number: one that cannot be read is never within anything.
constexpr BYTE kUnreadableEntry = 0xFF;

ACCESS_MASK FileRights(ACCESS_MASK mask)
{
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    ::MapGenericMask(&mask, &mapping);
    return mask;
}

// The entries that apply to the file itself: those only handed down are no matter to it.
std::vector<Entry> Applying(const AccessList& list)
{
    std::vector<Entry> entries;
    if (list.acl.size() < sizeof(ACL))
        return {{kUnreadableEntry, 0, {}}};
    ACL* acl = reinterpret_cast<ACL*>(const_cast<BYTE*>(list.acl.data()));
    for (WORD i = 0; i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(acl, i, &ace)) {
            entries.push_back({kUnreadableEntry, 0, {}});
            continue;
        }
        const ACE_HEADER* header = static_cast<const ACE_HEADER*>(ace);
        if (header->AceFlags & INHERIT_ONLY_ACE)
            continue;
        const BYTE* bytes = static_cast<const BYTE*>(ace);
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
            // Entries that allow and that forbid are laid out alike.
            const ACCESS_ALLOWED_ACE* entry = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
            const BYTE* sid = reinterpret_cast<const BYTE*>(&entry->SidStart);
            const DWORD length = ::GetLengthSid(const_cast<BYTE*>(sid));
            entries.push_back({header->AceType, FileRights(entry->Mask), std::vector<BYTE>(sid, sid + length)});
        } else {
            entries.push_back({header->AceType, 0, std::vector<BYTE>(bytes + sizeof *header, bytes + header->AceSize)});
        }
    }
    return entries;
}

// What the entries that allow let `subject` do, together.
ACCESS_MASK AllowedTo(const std::vector<Entry>& entries, const std::vector<BYTE>& subject)
{
    ACCESS_MASK allowed = 0;
    for (const Entry& entry : entries) {
        if (entry.type == ACCESS_ALLOWED_ACE_TYPE && entry.subject == subject)
            allowed |= entry.mask;
    }
    return allowed;
}

// Adds to `list` (a list, not none) an entry that lets `sid` do anything, after those it has;
// nothing where it already may.
Result Allow(AccessList& list, PSID sid)
{
    // Another entry where one already lets it do anything would change nothing: what an
    // entry allows, no later entry that forbids takes back.
    const BYTE* subject = static_cast<const BYTE*>(sid);
    if (list.acl.size() >= sizeof(ACL) &&
        AllowedTo(Applying(list), std::vector<BYTE>(subject, subject + ::GetLengthSid(sid))) == FILE_ALL_ACCESS)
        return {};
    const DWORD entryBytes = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(sid);
    ACL* acl = list.acl.size() >= sizeof(ACL) ? reinterpret_cast<ACL*>(list.acl.data()) : nullptr;
    ACL_SIZE_INFORMATION used{};
    if (acl != nullptr && !::GetAclInformation(acl, &used, sizeof used, AclSizeInformation))
        return FailedWith(::GetLastError());
    const BYTE revision = acl != nullptr ? acl->AclRevision : BYTE(ACL_REVISION);
    const DWORD entriesBytes = acl != nullptr ? used.AclBytesInUse - sizeof(ACL) : 0;
    std::vector<BYTE> wider(sizeof(ACL) + entriesBytes + entryBytes, 0);
    ACL* widerAcl = reinterpret_cast<ACL*>(wider.data());
    void* first = nullptr;
    if (!::InitializeAcl(widerAcl, DWORD(wider.size()), revision) ||
        (entriesBytes != 0 && !(::GetAce(acl, 0, &first) && ::AddAce(widerAcl, revision, MAXDWORD, first, entriesBytes))) ||
        !::AddAccessAllowedAce(widerAcl, revision, FILE_ALL_ACCESS, sid))
        return FailedWith(::GetLastError());
    list.acl = std::move(wider);
    return {};
}

}  // namespace

Result AccessListOf(PSECURITY_DESCRIPTOR descriptor, AccessList& list)
{
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted))
        return FailedWith(::GetLastError());
    list.unrestricted = !present || acl == nullptr;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(acl);
    list.acl = list.unrestricted ? std::vector<BYTE>() : std::vector<BYTE>(bytes, bytes + acl->AclSize);
    return {};
}

Result ReadAccessList(HANDLE file, AccessList& list)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error =
        ::GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        return FailedWith(error);
    const LocalMemory owned(descriptor);
    return AccessListOf(descriptor, list);
}

Result SetAccessList(HANDLE file, const AccessList& list)
{
    // Set as it is through the handle: SetSecurityInfo would add the folder's entries to it
    // under Wine, and a list that is not protected takes them from the folder on Windows
    // whenever the folder's list is handed down again.
    // Its entries are its own now, none handed down from a folder.
    std::vector<BYTE> own = list.acl;
    ACL* acl = list.unrestricted ? nullptr : reinterpret_cast<ACL*>(own.data());
    for (WORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        void* entry = nullptr;
        if (::GetAce(acl, i, &entry))
            static_cast<ACE_HEADER*>(entry)->AceFlags &= ~INHERITED_ACE;
    }
    SECURITY_DESCRIPTOR descriptor;
    if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
        !::SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED) ||
        !::SetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, &descriptor))
        return FailedWith(::GetLastError());
    return {};
}

Result LetInCurrentUser(AccessList& list)
{
    if (list.unrestricted)
        return {};
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return FailedWith(::GetLastError());
    const File ownedToken(token);  // the layer's owning handle closes any handle of the system
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size != 0 ? size : 1);
    if (!::GetTokenInformation(token, TokenUser, user.data(), size, &size))
        return FailedWith(::GetLastError());
    return Allow(list, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
}

Result PrivateAccessList(AccessList& list)
{
    BYTE system[SECURITY_MAX_SID_SIZE];
    DWORD systemSize = sizeof system;
    if (!::CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize))
        return FailedWith(::GetLastError());
    list = AccessList();
    const Result result = Allow(list, system);
    return result.ok ? LetInCurrentUser(list) : result;
}

bool GrantsNoMoreThan(const AccessList& inner, const AccessList& outer)
{
    if (outer.unrestricted)
        return true;
    if (inner.unrestricted)
        return false;
    const std::vector<Entry> innerEntries = Applying(inner), outerEntries = Applying(outer);
    // What a list forbids depends on the order of its entries and on who belongs to whom:
    // only the same list is surely within one that forbids.
    for (const Entry& entry : outerEntries) {
        if (entry.type != ACCESS_ALLOWED_ACE_TYPE)
            return innerEntries == outerEntries;
    }
    for (const Entry& entry : innerEntries) {
        if (entry.type == ACCESS_DENIED_ACE_TYPE)
            continue;
        if (entry.type != ACCESS_ALLOWED_ACE_TYPE)
            return false;
        if ((entry.mask & ~AllowedTo(outerEntries, entry.subject)) != 0)
            return false;
    }
    return true;
}

}  // namespace files::win32
