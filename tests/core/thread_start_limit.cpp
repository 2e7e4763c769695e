// This test program's pthread_create stands in front of the system's (std::thread calls it
// from the C++ library) and refuses starts while a limit is held.
#include "thread_start_limit.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>

namespace {

constexpr int kNoLimit = -1;
std::atomic<int> g_startsLeft{kNoLimit};
std::atomic<int> g_refused{0};

// Takes one start from the limit; false when none is left.
bool TakeStart()
{
    int left = g_startsLeft.load();
    while (left != kNoLimit) {
        if (left == 0)
            return false;
        if (g_startsLeft.compare_exchange_weak(left, left - 1))
            return true;
    }
    return true;
}

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Create systemCreate = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    if (!TakeStart()) {
        ++g_refused;
        return EAGAIN;
    }
    return systemCreate(thread, attributes, start, argument);
}

namespace testing_codec {

ThreadStartLimit::ThreadStartLimit(int allowedStarts)
{
    g_refused = 0;
    g_startsLeft = allowedStarts;
}

ThreadStartLimit::~ThreadStartLimit()
{
    g_startsLeft = kNoLimit;
}

int ThreadStartLimit::Refused() const
{
    return g_refused;
}

}  // namespace testing_codec
