#include "caption_buttons.h"

CaptionButtonLayout LayOutCaptionButtons(int cxCaption, int cxSize, int cySize, DWORD dwStyle, DWORD dwExStyle,
                                         BOOL bZoomed) {
    CaptionButtonLayout layout{};
    if ((dwStyle & WS_CAPTION) == 0) return layout;

    RECT rc{cxCaption - cxSize, 2, cxCaption - 2, cySize - 2};
    auto add = [&layout, &rc](UINT nState) { layout.buttons[layout.nCount++] = CaptionButton{rc, nState}; };
    add(DFCS_CAPTIONCLOSE);

    // A gap of 2 pixels stays between the close button and the next one.
    ::OffsetRect(&rc, -cxSize, 0);
    const UINT nMaxOrRestore = bZoomed ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX;
    if (dwStyle & WS_MAXIMIZEBOX)
        add(nMaxOrRestore);
    else if (dwExStyle & WS_EX_CONTEXTHELP)
        add(DFCS_CAPTIONHELP);
    else
        add(nMaxOrRestore | DFCS_INACTIVE);  // greyed, as the system draws a frame without the box

    if (dwStyle & WS_MINIMIZEBOX) {
        ::OffsetRect(&rc, -(cxSize - 2), 0);  // touching the maximise button
        add(DFCS_CAPTIONMIN);
    }
    layout.nWidth = cxCaption - rc.left - 2;
    return layout;
}
