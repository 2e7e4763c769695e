// The view's key buffer holds the password: it is overwritten with zeros before its memory
// goes back to the heap, when a new key replaces it, when the job that keyed with it ends and
// when the view is destroyed; the password string is wiped as soon as the key holds it.
//
// This program replaces every form of the global delete, so it sees the bytes of one watched
// buffer at the moment it is freed however the buffer gives its memory back; every other
// block is freed as usual.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "blowfish_view.h"
#include "wide_paths.h"

using kst_test::Narrow;
using kst_test::Wide;

namespace {

std::mutex g_watchMutex;
const void* g_pWatched = nullptr;
size_t g_nWatchedLength = 0;
std::string g_strBytesWhenFreed;
bool g_bFreed = false;

void Watch(const void* p, size_t length) {
    std::lock_guard<std::mutex> lock(g_watchMutex);
    g_pWatched = p;
    g_nWatchedLength = length;
    g_strBytesWhenFreed.clear();
    g_bFreed = false;
}

}  // namespace

namespace {

void FreeWatching(void* p) noexcept {
    {
        std::lock_guard<std::mutex> lock(g_watchMutex);
        if (p != nullptr && p == g_pWatched) {
            g_strBytesWhenFreed.assign(static_cast<const char*>(p), g_nWatchedLength);
            g_bFreed = true;
            g_pWatched = nullptr;
        }
    }
    std::free(p);  // the default new takes its memory from malloc
}

}  // namespace

void operator delete(void* p) noexcept { FreeWatching(p); }
void operator delete(void* p, std::size_t) noexcept { FreeWatching(p); }
void operator delete[](void* p) noexcept { FreeWatching(p); }
void operator delete[](void* p, std::size_t) noexcept { FreeWatching(p); }

TEST(KeyBuffer, IsZeroedBeforeItIsReplacedOrFreedWithTheView) {
    auto view = std::make_unique<CBlowfishView>();
    view->m_strPassword = "first secret";
    view->CopyPasswordToKey();
    ASSERT_FALSE(view->m_pszKey.empty());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view->m_pszKey.data())), "first secret");
    Watch(view->m_pszKey.data(), 13);

    view->m_strPassword = "second";
    view->CopyPasswordToKey();
    ASSERT_TRUE(g_bFreed) << "the old key was not freed";
    EXPECT_EQ(g_strBytesWhenFreed, std::string(13, '\0'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view->m_pszKey.data())), "second");

    Watch(view->m_pszKey.data(), 7);
    view.reset();
    ASSERT_TRUE(g_bFreed) << "the key did not go with the view";
    EXPECT_EQ(g_strBytesWhenFreed, std::string(7, '\0'));
}

namespace {

std::string TempPath(const char* name) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

// The bytes at p: as they were when they went back to the heap, or as they are now.
std::string BytesSeen(const char* p, size_t length) {
    std::lock_guard<std::mutex> lock(g_watchMutex);
    return g_bFreed ? g_strBytesWhenFreed : std::string(p, length);
}

}  // namespace

TEST(KeyBuffer, PasswordIsWipedOnceTheKeyHoldsItAndTheKeyWhenTheJobEnds) {
    const std::string source = TempPath("kst_wipe_source.txt");
    const std::string dest = TempPath("kst_wipe_dest.kst");
    std::ofstream(source, std::ios::binary) << std::string(5000, 'w');
    ::DeleteFileA(dest.c_str());

    auto view = std::make_unique<CBlowfishView>();
    view->m_strSource = Wide(source);
    view->m_strDest = Wide(dest);
    // Long enough to live in memory of its own rather than inside the string.
    const std::string password = "a password long enough for the heap: 0123456789";
    view->m_strPassword = password.c_str();
    const char* pPassword = view->m_strPassword.GetString();
    Watch(pPassword, password.size());
    view->CopyPasswordToKey();
    EXPECT_TRUE(view->m_strPassword.IsEmpty()) << "the password outlived its copy into the key";
    EXPECT_EQ(BytesSeen(pPassword, password.size()), std::string(password.size(), '\0'));

    ASSERT_EQ(std::string(reinterpret_cast<const char*>(view->m_pszKey.data())), password);
    Watch(view->m_pszKey.data(), password.size() + 1);
    // The job on this thread, as its worker thread runs it.
    EXPECT_EQ(EncryptThreadProc(view.get()), 0u);
    EXPECT_TRUE(view->JobComplete());
    ASSERT_TRUE(g_bFreed) << "the key outlived the job";
    EXPECT_EQ(g_strBytesWhenFreed, std::string(password.size() + 1, '\0'));
    EXPECT_TRUE(view->m_pszKey.empty());
    view.reset();
    ::DeleteFileA(source.c_str());
    ::DeleteFileA(dest.c_str());
}
