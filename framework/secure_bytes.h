// Bytes of a secret (a key, a password): every block this buffer gives back to the heap is
// overwritten with zeros first, whether the buffer is cleared, grows, is replaced or goes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

template <class T>
struct CWipingAllocator {
    using value_type = T;

    CWipingAllocator() = default;
    template <class U>
    CWipingAllocator(const CWipingAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* p, std::size_t n) noexcept {
        // SecureZeroMemory writes through a volatile pointer: the compiler cannot drop it as
        // a store to memory about to be freed.
        ::SecureZeroMemory(p, n * sizeof(T));
        std::allocator<T>().deallocate(p, n);
    }

    template <class U>
    bool operator==(const CWipingAllocator<U>&) const noexcept {
        return true;
    }
    template <class U>
    bool operator!=(const CWipingAllocator<U>&) const noexcept {
        return false;
    }
};

using CSecureBytes = std::vector<BYTE, CWipingAllocator<BYTE>>;
