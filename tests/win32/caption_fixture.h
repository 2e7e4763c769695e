// Shared by the caption tests: a frame like the main one that answers the painter's
// notification and counts it, a painter whose state the tests may read, a screen-format
// canvas, and system colours changed for the length of a test.
#pragma once

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "caption_painter.h"
#include "canvas.h"
#include "dc.h"
#include "gdi_count.h"
#include "frame_wnd.h"

namespace kst_test {

class CPainterProbe : public CCaptionPainter {
public:
    using CCaptionPainter::m_bActive;
    using CCaptionPainter::m_bmCache;
    using CCaptionPainter::m_cxCache;
    using CCaptionPainter::m_cyCache;
    using CCaptionPainter::m_fontCaption;
};

// 295 x 135, the main frame's style; answers WM_CAPTIONPAINT as the main frame does.
class CCaptionTestFrame : public CFrameWnd {
public:
    explicit CCaptionTestFrame(DWORD dwStyle = WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX);
    ~CCaptionTestFrame() override;

    CFrameWnd* GetActiveFrame() override { return m_pActiveFrame != nullptr ? m_pActiveFrame : this; }

    CPainterProbe m_painter;
    int m_nRenders[2];       // notifications with a record, by activation state
    int m_nSettingsNotes;    // notifications without one
    CFrameWnd* m_pActiveFrame;

protected:
    LRESULT OnPaintCaption(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};

// Sets system colours and puts the old ones back at the end of the scope.
class CSysColors {
public:
    CSysColors(std::vector<std::pair<int, COLORREF>> colors);
    ~CSysColors();
    CSysColors(const CSysColors&) = delete;
    CSysColors& operator=(const CSysColors&) = delete;

private:
    std::vector<int> m_indexes;
    std::vector<COLORREF> m_saved;
};

}  // namespace kst_test
