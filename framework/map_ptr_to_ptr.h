// A map from one untyped pointer to another, over a hash table. The block size (how many
// entries a map expects to grow by) only sizes the table it starts with.
#pragma once

#include <windows.h>

#include <cstddef>
#include <unordered_map>

#include "object.h"

class CMapPtrToPtr : public CObject {
public:
    explicit CMapPtrToPtr(int nBlockSize = 10)
        : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 1), m_map(static_cast<std::size_t>(m_nBlockSize)) {}
    CMapPtrToPtr(const CMapPtrToPtr&) = delete;
    CMapPtrToPtr& operator=(const CMapPtrToPtr&) = delete;

    // TRUE and the value when `key` is present; `rValue` is left alone otherwise.
    BOOL Lookup(void* key, void*& rValue) const {
        const auto found = m_map.find(key);
        if (found == m_map.end()) return FALSE;
        rValue = found->second;
        return TRUE;
    }
    // The value slot of `key`, made (holding null) when the key is new.
    void*& operator[](void* key) { return m_map[key]; }
    // TRUE when the key was present.
    BOOL RemoveKey(void* key) { return m_map.erase(key) != 0 ? TRUE : FALSE; }

    int GetCount() const { return static_cast<int>(m_map.size()); }
    BOOL IsEmpty() const { return m_map.empty() ? TRUE : FALSE; }
    int GetBlockSize() const { return m_nBlockSize; }

private:
    int m_nBlockSize;
    std::unordered_map<void*, void*> m_map;
};
