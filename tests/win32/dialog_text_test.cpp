// Every text the program's dialog templates show fits its control in the dialog's font:
// nothing of the program is clipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resource.h"
#include "window_text.h"

namespace {

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

bool ShowsText(HWND control) {
    if (kst_test::ClassOf(control) != "Static") return false;
    const LONG type = ::GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP ||
           type == SS_SIMPLE;
}

// Says how the text of one static control is clipped, or nothing when it fits.
std::string ClippingOf(HWND control, HFONT font) {
    const std::string text = kst_test::WindowTextOf(control);
    RECT client{};
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    std::string why;
    if (client.bottom < 2 * metrics.tmHeight || (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) {
        // Room for one line: the whole text must fit across.
        std::string shown = text;
        if (!prefix) shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
        SIZE extent{};
        ::GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
        if (extent.cx > client.right)
            why = "needs " + std::to_string(extent.cx) + " pixels across, has " + std::to_string(client.right);
    } else {
        RECT needed = client;
        ::DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | prefix);
        if (needed.bottom > client.bottom || needed.right > client.right)
            why = "needs " + std::to_string(needed.right) + " x " + std::to_string(needed.bottom) + " pixels, has " +
                  std::to_string(client.right) + " x " + std::to_string(client.bottom);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return why;
}

}  // namespace

TEST(DialogTexts, EveryStaticTextFitsItsControl) {
    // A hidden parent for the form, which is a child window.
    HWND parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    int measured = 0;
    for (int id : {IDD_ABOUTBOX, IDD_KESTRINE_FORM, IDD_DECRYPT_PASSWORD, IDD_ENCRYPT_PASSWORD}) {
        SCOPED_TRACE("template " + std::to_string(id));
        HWND dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), parent,
                                           IgnoreEverything, 0);
        ASSERT_NE(dialog, nullptr);
        const HFONT font = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        std::vector<HWND> children;
        ::EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
        for (HWND child : children) {
            if (!ShowsText(child)) continue;
            ++measured;
            EXPECT_EQ(ClippingOf(child, font), "") << '"' << kst_test::WindowTextOf(child) << '"';
        }
        ::DestroyWindow(dialog);
    }
    ::DestroyWindow(parent);
    EXPECT_EQ(measured, 4 + 1 + 2 + 4) << "the static texts of the four templates";
}
