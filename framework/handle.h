// Ownership of a platform handle is a property of its type. CHandleT<Traits, true> owns its
// handle: it moves, never copies, and closes the handle when it goes or is given another.
// CHandleT<Traits, false> borrows: it copies freely and never closes anything. The traits
// say what the handle is, which value means "none" and how it is closed.
//
// Every close of the program happens in a traits' Close below or in one of the few handle
// types of their own kind (the window DCs, CComPtr, the storage medium, the file layer's
// files::File); the layer check (tests/layers/check_layers.sh) holds the rest of the code
// to that.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <type_traits>
#include <utility>

#include "common_controls.h"

// Closes the platform refused: a handle closed a second time, or one that was never ours.
// Counted for the whole process, so that a test can show that no such close happens.
inline std::atomic<long>& AfxRefusedHandleCloses() {
    static std::atomic<long> count{0};
    return count;
}

namespace afx_handle {

// Copying is what tells the two forms apart: an owner has nobody to share its handle with.
struct Copyable {};
struct MoveOnly {
    MoveOnly() = default;
    MoveOnly(const MoveOnly&) = delete;
    MoveOnly& operator=(const MoveOnly&) = delete;
    MoveOnly(MoveOnly&&) = default;
    MoveOnly& operator=(MoveOnly&&) = default;
};

}  // namespace afx_handle

template <class Traits, bool t_bOwned>
class CHandleT : private std::conditional_t<t_bOwned, afx_handle::MoveOnly, afx_handle::Copyable> {
public:
    using Handle = typename Traits::Handle;

    CHandleT() noexcept : m_h(Traits::Invalid()) {}
    explicit CHandleT(Handle h) noexcept : m_h(h) {}
    CHandleT(const CHandleT&) = default;
    CHandleT& operator=(const CHandleT&) = default;
    CHandleT(CHandleT&& other) noexcept : m_h(other.Detach()) {}
    CHandleT& operator=(CHandleT&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    ~CHandleT() { Reset(); }

    Handle Get() const noexcept { return m_h; }
    operator Handle() const noexcept { return m_h; }
    bool IsValid() const noexcept { return m_h != Traits::Invalid(); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Hands the handle back without closing it; the object is empty afterwards.
    Handle Detach() noexcept { return std::exchange(m_h, Traits::Invalid()); }
    // Closes an owned handle (a borrowed one is only forgotten) and holds h instead.
    // FALSE when the platform refused the close.
    bool Reset(Handle h = Traits::Invalid()) noexcept {
        const Handle old = std::exchange(m_h, h);
        if constexpr (t_bOwned) {
            if (old != Traits::Invalid() && !Traits::Close(old)) {
                ++AfxRefusedHandleCloses();
                return false;
            }
        }
        return true;
    }

private:
    Handle m_h;
};

template <class Traits>
using COwnedHandle = CHandleT<Traits, true>;
template <class Traits>
using CBorrowedHandle = CHandleT<Traits, false>;

// One handle that Attach borrows and Adopt (or a Create) owns, for the drawing wrappers whose
// callers decide per handle. The owned one lives in an owning handle, the borrowed one in a
// borrowing handle: at most one of the two is set, and only the owning one ever closes.
template <class Traits>
class CAttachableHandle {
public:
    using Handle = typename Traits::Handle;

    Handle Get() const noexcept { return m_owned.IsValid() ? m_owned.Get() : m_borrowed.Get(); }
    bool IsValid() const noexcept { return m_owned.IsValid() || m_borrowed.IsValid(); }
    bool IsOwned() const noexcept { return m_owned.IsValid(); }

    // FALSE when h is none or a handle is held already.
    bool Attach(Handle h) noexcept {
        if (!Accept(h)) return false;
        m_borrowed.Reset(h);
        return true;
    }
    bool Adopt(Handle h) noexcept {
        if (!Accept(h)) return false;
        m_owned.Reset(h);
        return true;
    }
    // Owns a handle just created for this object. One that cannot be held (creation failed,
    // or a handle is held already, which is a caller's fault) must not leak: it is closed.
    bool TakeCreated(Handle h) noexcept {
        COwnedHandle<Traits> created(h);
        if (!created.IsValid() || IsValid()) return false;
        m_owned = std::move(created);
        return true;
    }
    Handle Detach() noexcept {
        const Handle h = Get();
        m_owned.Detach();
        m_borrowed.Detach();
        return h;
    }
    // Closes an owned handle, forgets a borrowed one; FALSE when none was held.
    bool Close() noexcept {
        if (!IsValid()) return false;
        m_borrowed.Reset();
        return m_owned.Reset();
    }

private:
    bool Accept(Handle h) const noexcept { return h != Traits::Invalid() && !IsValid(); }

    COwnedHandle<Traits> m_owned;
    CBorrowedHandle<Traits> m_borrowed;
};

// The traits of the platform's handle kinds. Most are null for none and closed by a function
// that answers FALSE when it refuses.
template <class H, BOOL(WINAPI* t_pfnClose)(H)>
struct CNullHandleTraits {
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static bool Close(Handle h) noexcept { return t_pfnClose(h) != FALSE; }
};

using CGdiObjectTraits = CNullHandleTraits<HGDIOBJ, &::DeleteObject>;
using CMemoryDCTraits = CNullHandleTraits<HDC, &::DeleteDC>;
using CImageListTraits = CNullHandleTraits<HIMAGELIST, &commctl::ImageList_Destroy>;
using CMenuTraits = CNullHandleTraits<HMENU, &::DestroyMenu>;
using CHookTraits = CNullHandleTraits<HHOOK, &::UnhookWindowsHookEx>;
// Kernel objects (threads, events, mappings).
using CKernelHandleTraits = CNullHandleTraits<HANDLE, &::CloseHandle>;

// Registry functions answer an error code, not a BOOL.
struct CRegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static bool Close(Handle h) noexcept { return ::RegCloseKey(h) == ERROR_SUCCESS; }
};

using CMenuHandle = COwnedHandle<CMenuTraits>;
using CHookHandle = COwnedHandle<CHookTraits>;
using CKernelHandle = COwnedHandle<CKernelHandleTraits>;
using CRegistryKeyHandle = COwnedHandle<CRegistryKeyTraits>;
