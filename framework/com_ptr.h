// A COM interface pointer that holds one reference: taken when it is given a pointer (or
// copied), given back when it goes or is given another.
#pragma once

#include <utility>

template <class T>
class CComPtr {
public:
    CComPtr() noexcept : m_p(nullptr) {}
    // Takes a reference of its own on p; the caller keeps its reference.
    explicit CComPtr(T* p) noexcept : m_p(p) {
        if (m_p != nullptr) m_p->AddRef();
    }
    CComPtr(const CComPtr& other) noexcept : CComPtr(other.m_p) {}
    CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CComPtr& operator=(CComPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~CComPtr() { Release(); }

    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // Gives the reference back now; the pointer is null afterwards.
    void Release() noexcept {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }

private:
    T* m_p;
};
