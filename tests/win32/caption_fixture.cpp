#include "caption_fixture.h"

namespace kst_test {

BEGIN_MESSAGE_MAP(CCaptionTestFrame, CFrameWnd)
    ON_MESSAGE(WM_CAPTIONPAINT, OnPaintCaption)
END_MESSAGE_MAP()

CCaptionTestFrame::CCaptionTestFrame(DWORD dwStyle)
    : CFrameWnd(), m_painter(), m_nRenders{0, 0}, m_nSettingsNotes(0), m_pActiveFrame(nullptr) {
    m_strTitle = "Kestrine";
    CreateEx(0, nullptr, "Kestrine", dwStyle, 40, 40, 295, 135, nullptr, nullptr);
}

CCaptionTestFrame::~CCaptionTestFrame() {
    if (m_hWnd != nullptr) DestroyWindow();
}

LRESULT CCaptionTestFrame::OnPaintCaption(WPARAM wParam, LPARAM lParam) {
    if (lParam != 0)
        ++m_nRenders[wParam ? 1 : 0];
    else
        ++m_nSettingsNotes;
    m_painter.PaintGradientCaption(static_cast<BOOL>(wParam), reinterpret_cast<const CaptionPaintInfo*>(lParam),
                                   m_strTitle);
    return 0;
}

CSysColors::CSysColors(std::vector<std::pair<int, COLORREF>> colors) : m_indexes(), m_saved() {
    std::vector<COLORREF> values;
    for (const auto& c : colors) {
        m_indexes.push_back(c.first);
        m_saved.push_back(::GetSysColor(c.first));
        values.push_back(c.second);
    }
    ::SetSysColors(static_cast<int>(m_indexes.size()), m_indexes.data(), values.data());
}

CSysColors::~CSysColors() {
    ::SetSysColors(static_cast<int>(m_indexes.size()), m_indexes.data(), m_saved.data());
}

}  // namespace kst_test
