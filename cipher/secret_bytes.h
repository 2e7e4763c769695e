// The one wipe for secrets (keys, passwords and whatever is derived from them), and the one
// type that holds their bytes, for both faces of the program: the window's key buffer and
// the passwords kst reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Overwrites the bytes through a volatile pointer, so that wiping memory about to be given
// back is not optimised away.
inline void WipeBytes(void* memory, size_t count)
{
    volatile uint8_t* bytes = static_cast<uint8_t*>(memory);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = 0;
}

// Gives memory back only after wiping it: whether a buffer is cleared, grows, is replaced or
// goes, no copy of its contents stays behind in the heap.
template <class T>
struct WipingAllocator {
    using value_type = T;

    WipingAllocator() = default;
    template <class U>
    WipingAllocator(const WipingAllocator<U>&) noexcept
    {
    }

    T* allocate(size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* p, size_t n) noexcept
    {
        WipeBytes(p, n * sizeof(T));
        std::allocator<T>().deallocate(p, n);
    }

    template <class U>
    bool operator==(const WipingAllocator<U>&) const noexcept
    {
        return true;
    }
    template <class U>
    bool operator!=(const WipingAllocator<U>&) const noexcept
    {
        return false;
    }
};

// Bytes of a secret. A vector keeps every byte in memory the allocator gives back wiped (a
// string would keep short ones inside itself, out of the allocator's reach).
using SecretBytes = std::vector<uint8_t, WipingAllocator<uint8_t>>;

// Wipes and frees a secret's memory now, not when it goes.
inline void WipeSecret(SecretBytes& secret)
{
    SecretBytes().swap(secret);
}
