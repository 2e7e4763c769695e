// A screen-format bitmap selected into a memory DC and filled with one colour: something
// to paint into and read pixels back from. For tests that link the framework.
#pragma once

#include <windows.h>

#include <optional>

#include "gdi.h"

namespace kst_test {

class CCanvas {
public:
    CCanvas(int cx, int cy, COLORREF crFill) : m_dc(), m_bitmap(), m_selection() {
        HDC hScreen = ::GetDC(nullptr);
        m_bitmap.CreateCompatibleBitmap(hScreen, cx, cy);
        ::ReleaseDC(nullptr, hScreen);
        m_selection.emplace(m_dc, m_bitmap);
        m_dc.FillSolidRect(0, 0, cx, cy, crFill);
    }
    CDC& dc() { return m_dc; }
    COLORREF At(int x, int y) const { return m_dc.GetPixel(x, y); }

private:
    CMemoryDC m_dc;
    CBitmap m_bitmap;
    std::optional<CSelectObject> m_selection;
};

}  // namespace kst_test
