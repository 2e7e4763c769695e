// When one access list lets nobody do more than another: what decides whether a result may
// keep the list it was born with or is narrowed to its source's.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "access_list_win32.h"
#include "system_win32.h"

namespace {

// The list `text` (SDDL) says; none for a null `text`, a descriptor without a list.
files::win32::AccessList ListOf(const char* text)
{
    files::win32::AccessList list;
    if (text == nullptr) {
        SECURITY_DESCRIPTOR none;
        EXPECT_TRUE(::InitializeSecurityDescriptor(&none, SECURITY_DESCRIPTOR_REVISION) &&
                    ::SetSecurityDescriptorDacl(&none, TRUE, nullptr, FALSE));
        EXPECT_TRUE(files::win32::AccessListOf(&none, list).ok);
        return list;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    EXPECT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &descriptor, nullptr))
        << text;
    const files::win32::LocalMemory owned(descriptor);
    EXPECT_TRUE(files::win32::AccessListOf(descriptor, list).ok) << text;
    return list;
}

struct Comparison {
    const char* inner;
    const char* outer;
    bool within;
    const char* why;
};

const Comparison kComparisons[] = {
    {"D:(A;;FR;;;BU)", "D:(A;;FA;;;BU)", true, "fewer rights"},
    {"D:(A;;FA;;;BU)", "D:(A;;FR;;;BU)", false, "more rights"},
    {"D:(A;;FR;;;WD)", "D:(A;;FR;;;BU)", false, "somebody more"},
    {"D:(A;;FR;;;BU)(A;;FW;;;BU)", "D:(A;;FR;;;BU)(A;;FW;;;BU)(A;;FR;;;SY)", true, "rights gathered from entries"},
    {"D:(A;;GR;;;BU)", "D:(A;;FR;;;BU)", true, "generic rights are the file rights they stand for"},
    {"D:(A;;GA;;;BU)", "D:(A;;FR;;;BU)", false, "generic rights are the file rights they stand for"},
    {"D:(A;;FR;;;BU)(A;OICIIO;GA;;;WD)", "D:(A;;FR;;;BU)", true, "entries only handed down are no matter"},
    {"D:(A;ID;FR;;;BU)", "D:P(A;OI;FR;;;BU)", true, "inherited or handed down, alike"},
    {"D:(D;;FR;;;WD)(A;;FA;;;BU)", "D:(A;;FA;;;BU)", true, "what forbids only narrows"},
    {"D:(A;;FR;;;BU)", "D:(D;;FR;;;S-1-5-21-1-2-3-1001)(A;;FR;;;BU)", false, "a bound that forbids holds its own list"},
    {"D:(D;;FR;;;S-1-5-21-1-2-3-1001)(A;;FR;;;BU)", "D:(D;;FR;;;S-1-5-21-1-2-3-1001)(A;;FR;;;BU)", true,
     "a bound that forbids holds its own list"},
    {"D:", "D:(A;;FR;;;BU)", true, "an empty list lets nobody in"},
    {nullptr, "D:(A;;FA;;;WD)", false, "no list lets in even those beyond everyone"},
    {"D:(A;;FA;;;WD)", nullptr, true, "no list lets in anyone"},
};

}  // namespace

TEST(AccessLists, OneIsWithinAnotherOnlyWhenItLetsNobodyDoMore)
{
    for (const Comparison& comparison : kComparisons) {
        SCOPED_TRACE(std::string(comparison.inner ? comparison.inner : "no list") + " within " +
                     (comparison.outer ? comparison.outer : "no list") + ": " + comparison.why);
        EXPECT_EQ(files::win32::GrantsNoMoreThan(ListOf(comparison.inner), ListOf(comparison.outer)), comparison.within);
    }
}

// The user who runs a job may do anything with its result: an entry for it goes after
// those the list has, which stay as they were, and only where the list lacks it.
TEST(AccessLists, TheCurrentUserIsAddedOnceAfterTheEntriesThereAre)
{
    files::win32::AccessList list = ListOf("D:(D;;FW;;;WD)(A;OICI;FR;;;BU)");
    const files::win32::AccessList before = list;
    ASSERT_TRUE(files::win32::LetInCurrentUser(list).ok);
    const files::win32::AccessList once = list;
    ASSERT_TRUE(files::win32::LetInCurrentUser(list).ok);
    EXPECT_EQ(list.acl, once.acl) << "not twice";
    const ACL* acl = reinterpret_cast<const ACL*>(list.acl.data());
    ASSERT_EQ(acl->AceCount, 3);
    for (WORD i = 0; i < 2; ++i) {
        void* entry = nullptr;
        void* kept = nullptr;
        ASSERT_TRUE(::GetAce(const_cast<ACL*>(acl), i, &entry) &&
                    ::GetAce(reinterpret_cast<ACL*>(const_cast<BYTE*>(before.acl.data())), i, &kept));
        const WORD size = static_cast<ACE_HEADER*>(kept)->AceSize;
        EXPECT_EQ(std::string(static_cast<char*>(entry), size), std::string(static_cast<char*>(kept), size));
    }
    files::win32::AccessList privateList;
    ASSERT_TRUE(files::win32::PrivateAccessList(privateList).ok);
    EXPECT_FALSE(files::win32::GrantsNoMoreThan(privateList, before)) << "the user";
    EXPECT_TRUE(files::win32::GrantsNoMoreThan(ListOf("D:(A;;FA;;;SY)"), privateList)) << "the system too";
}
