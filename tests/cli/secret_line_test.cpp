// A password read into kst leaves no copy in the memory it gives back on the way, however
// often its buffer grows.
//
// This program replaces the global new and delete, so it sees every block at the moment it
// is given back; while a test watches, a block that still holds the start of the password
// is noted.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "codec_fakes.h"
#include "line_reader.h"

namespace {

bool g_watching = false;
bool g_copyGivenBack = false;
const char kMarker[] = "Sesame-7";

void GiveBack(void* p) noexcept
{
    if (g_watching && p != nullptr) {
        const size_t size = ::malloc_usable_size(p);
        if (::memmem(p, size, kMarker, sizeof kMarker - 1) != nullptr)
            g_copyGivenBack = true;
    }
    std::free(p);
}

}  // namespace

void* operator new(std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { GiveBack(p); }
void operator delete(void* p, std::size_t) noexcept { GiveBack(p); }
void operator delete[](void* p) noexcept { GiveBack(p); }
void operator delete[](void* p, std::size_t) noexcept { GiveBack(p); }

TEST(SecretLine, AGrowingPasswordLineGivesBackOnlyWipedMemory)
{
    const std::string password = std::string(kMarker) + std::string(200, 'q');
    std::vector<uint8_t> input(password.begin(), password.end());
    input.push_back('\n');
    testing_codec::MemorySource source(input);

    g_copyGivenBack = false;
    g_watching = true;
    bool read = false, same = false;
    {
        SecretBytes line;
        read = kst::ReadLine(source, line);
        // Compared in place: a copy made here would be the test's own leak.
        same = line.size() == password.size() && std::equal(line.begin(), line.end(), password.begin());
    }
    g_watching = false;
    EXPECT_TRUE(read);
    EXPECT_TRUE(same);
    EXPECT_FALSE(g_copyGivenBack) << "memory holding the password went back to the heap unwiped";
}
