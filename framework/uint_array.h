// A growable array of unsigned integers, indexed from 0.
#pragma once

#include <windows.h>

#include <vector>

class CUIntArray {
public:
    int GetSize() const { return static_cast<int>(m_values.size()); }
    UINT GetAt(int nIndex) const { return m_values.at(static_cast<size_t>(nIndex)); }
    // Sets the value at nIndex, growing the array with zeros when it is shorter.
    void SetAtGrow(int nIndex, UINT nValue) {
        if (nIndex < 0) return;
        if (static_cast<size_t>(nIndex) >= m_values.size()) m_values.resize(static_cast<size_t>(nIndex) + 1, 0);
        m_values[static_cast<size_t>(nIndex)] = nValue;
    }
    void RemoveAll() { m_values.clear(); }

private:
    std::vector<UINT> m_values;
};
