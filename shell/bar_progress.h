// A job's progress, sent to the view's progress bar. The bar belongs to the user-interface
// thread: the messages are sent, so the job goes on only once the bar has moved.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "blowfish_view.h"
#include "locked_format.h"

class BarProgress : public lockedfile::ProgressSink {
public:
    explicit BarProgress(const CBlowfishView& view) : m_view(view), m_hBar(view.m_progress.GetSafeHwnd()) {}

    // Range 0 to 100: low word 0, high word 100.
    void SetRange() override { ::SendMessageA(m_hBar, PBM_SETRANGE, 0, 0x00640000); }
    void SetPos(int percent) override { ::SendMessageA(m_hBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0); }
    bool StopRequested() override { return m_view.StopRequested(); }

private:
    const CBlowfishView& m_view;
    HWND m_hBar;
};
