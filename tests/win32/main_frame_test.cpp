// The program as it starts: the application's start-up in this process, the main frame
// with its tool bar and view, the command route, the document route and closing.
// Each test starts the program afresh: its own application object, frame and view.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_messages.h"
#include "blowfish_app.h"
#include "blowfish_doc.h"
#include "blowfish_view.h"
#include "caption_paint_info.h"
#include "dc.h"
#include "dialog_driver.h"
#include "kestrine_version.h"
#include "instance_handover.h"
#include "main_frame.h"
#include "message_box.h"
#include "message_pump.h"
#include "messages.h"
#include "registry_key.h"
#include "registry_values.h"
#include "resource.h"
#include "subclass_wnd.h"
#include "thread.h"
#include "ui_actor.h"
#include "wnd_hook_map.h"
#include "wide_paths.h"

using kst_test::Narrow;
using kst_test::Wide;

using kst_test::DialogAnswer;
using kst_test::DialogDriver;

// The file name field of the common file dialogs.
constexpr int kFileNameCombo = 0x47C;

namespace {

// Saves the main window as it shows on the screen; Wine hands a window's drawing to the
// display when its thread waits for messages, so let it wait a little first.
bool SaveScreenshot(HWND hWnd, const std::string& name) {
    kst_test::PumpUntil([] { return false; }, 300);
    return kst_test::SaveWindowPng(hWnd, kst_test::TestOutputDir() + "/" + name);
}

// Colours of the bar's pixels inside rc, row by row.
std::vector<COLORREF> BarPixels(HWND hBar, const RECT& rc) {
    std::vector<COLORREF> pixels;
    HDC hdc = ::GetDC(hBar);
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x) pixels.push_back(::GetPixel(hdc, x, y));
    ::ReleaseDC(hBar, hdc);
    return pixels;
}

std::string TempPath(const char* name) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Removes the WM_QUIT a closed main window leaves, so the next test's pumping goes on.
void DropQuitMessage() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

LRESULT SendOpenRequestTo(HWND hFrame, const std::string& path) {
    return SendOpenRequest(hFrame, Wide(path)) ? TRUE : FALSE;
}

// A shell drop of the given files, as WM_DROPFILES carries it.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const auto& p : paths) size += p.size() + 1;
    HGLOBAL h = ::GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(h));
    drop->pFiles = sizeof(DROPFILES);
    char* out = reinterpret_cast<char*>(drop + 1);
    for (const auto& p : paths) {
        memcpy(out, p.c_str(), p.size() + 1);
        out += p.size() + 1;
    }
    ::GlobalUnlock(h);
    return static_cast<HDROP>(h);
}

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        DropQuitMessage();
        s_app = new CBlowfishApp;
        s_app->InitApplication();
        s_app->SetCommandLineArgs({});
        ASSERT_TRUE(s_app->InitInstance());
    }
    void TearDown() override {
        // Whatever the test left: an idle window closes without a question.
        if (s_app->m_pMainWnd != nullptr) {
            if (CBlowfishView* pView = View()) pView->m_bBusy = 0;
            ::SendMessageA(s_app->m_pMainWnd->GetSafeHwnd(), WM_CLOSE, 0, 0);
        }
        kst_test::PumpPending();
        DropQuitMessage();
        s_app->ExitInstance();
        delete s_app;
        s_app = nullptr;
    }

    static CMainFrame* Frame() { return static_cast<CMainFrame*>(s_app->m_pMainWnd); }
    static CBlowfishView* View() { return Frame()->GetBlowfishView(); }
    static HWND ToolBar() { return Frame()->m_wndToolBar.GetSafeHwnd(); }
    static void Idle() {
        kst_test::PumpPending();
        s_app->OnIdle(0);
    }
    static bool Enabled(UINT nID) { return ::SendMessageA(ToolBar(), TB_ISBUTTONENABLED, nID, 0) != 0; }
    static void Click(UINT nID) {
        ::SendMessageA(Frame()->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                       reinterpret_cast<LPARAM>(ToolBar()));
    }

    static CBlowfishApp* s_app;
};

CBlowfishApp* MainFrameTest::s_app = nullptr;

}  // namespace

TEST_F(MainFrameTest, StartsAsAFixedWindowWithoutMenuCentredByTheWorkArea) {
    const HWND hFrame = Frame()->GetSafeHwnd();
    EXPECT_TRUE(::IsWindowVisible(hFrame));
    const LONG style = ::GetWindowLongA(hFrame, GWL_STYLE);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);  // a title bar all the same
    EXPECT_EQ(::GetMenu(hFrame), nullptr);

    RECT work{}, placed{};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    ::GetWindowRect(hFrame, &placed);
    EXPECT_EQ(placed.left, (work.right - work.left - 295) / 2);
    EXPECT_EQ(placed.top, (work.bottom - work.top - 135) / 2);
    EXPECT_EQ(placed.right - placed.left, 295);
    EXPECT_EQ(placed.bottom - placed.top, 135);

    char title[64] = {};
    ::GetWindowTextA(hFrame, title, sizeof title);
    EXPECT_STREQ(title, "Kestrine ") << "the title and the empty document title";
    EXPECT_STREQ(AfxGetAppName(), "Kestrine");
    EXPECT_EQ(Frame()->m_bShowAbout, 0);

    char status[64] = "x";
    ::GetDlgItemTextA(View()->GetSafeHwnd(), IDC_STATUS, status, sizeof status);
    EXPECT_STREQ(status, "");
}

TEST_F(MainFrameTest, CaptionIsPaintedByTheFramesPainterFromTheTitle) {
    const HWND hFrame = Frame()->GetSafeHwnd();
    EXPECT_EQ(GetHookMap()->FindHook(hFrame), &Frame()->m_captionPainter);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hFrame, GWLP_WNDPROC)), &HookedWndProc);

    // The frame answers the painter's notification with the shaded caption.
    HDC hScreen = ::GetDC(nullptr);
    CMemoryDC dc(hScreen);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(hScreen, 289, 18);
    ::ReleaseDC(nullptr, hScreen);
    {
        CSelectObject selected(dc, bitmap);
        CaptionPaintInfo info{289, 18, &dc, TRUE};
        EXPECT_EQ(::SendMessageA(hFrame, WM_CAPTIONPAINT, TRUE, reinterpret_cast<LPARAM>(&info)), 0);
        EXPECT_EQ(dc.GetPixel(0, 0), RGB(0, 0, 0));
        EXPECT_EQ(dc.GetPixel(288, 0), ::GetSysColor(COLOR_ACTIVECAPTION));
    }

    // A document title change brings the window text back to the title at the next idle time.
    ::SetWindowTextA(hFrame, "something else");
    ASSERT_NE(Frame()->GetActiveDocument(), nullptr);
    Frame()->GetActiveDocument()->SetTitle("Untitled");
    Idle();
    char title[64] = {};
    ::GetWindowTextA(hFrame, title, sizeof title);
    EXPECT_STREQ(title, "Kestrine ");
}

TEST_F(MainFrameTest, StartUpKeepsOnlyTheStampAndRegistersLockedFiles) {
    CRegistryKey core;
    std::string stamp;
    ASSERT_TRUE(core.Open(HKEY_CURRENT_USER, "Software\\Pellacore\\Software\\Kestrine\\Core"));
    ASSERT_TRUE(core.QueryString("Program ID", stamp));
    EXPECT_EQ(stamp, "Kestrine v0.3b");

    CRegistryKey recent;
    EXPECT_FALSE(recent.Open(HKEY_CURRENT_USER, "Software\\Pellacore\\Software\\Kestrine\\Recent File List"));

    // A different stamp is overwritten by the next frame's check.
    ASSERT_TRUE(s_app->WriteProfileString("Core", "Program ID", "Kestrine v0.3c"));
    Frame()->CheckVersionStamp();
    EXPECT_EQ(s_app->GetProfileString("Core", "Program ID"), "Kestrine v0.3b");

    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    EXPECT_EQ(kst_test::UserClassValue(".kst"), "Kestrine.Document");
    EXPECT_EQ(kst_test::UserClassValue("Kestrine.Document"), "Kestrine Document");
    EXPECT_EQ(kst_test::UserClassValue("Kestrine.Document\\shell\\open\\command"), std::string("\"") + exe + "\" \"%1\"");
    EXPECT_EQ(kst_test::UserClassValue("Kestrine.Document\\DefaultIcon"), std::string(exe) + ",1");
}

TEST_F(MainFrameTest, ToolBarStripOnTopViewFillsTheRest) {
    CToolBar& bar = Frame()->m_wndToolBar;
    const UINT expected[] = {ID_ENCRYPT, ID_DECRYPT, 0, ID_SHRED, 0, ID_APP_ABOUT};
    ASSERT_EQ(bar.GetCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(bar.GetItemID(i), expected[i]) << "button " << i;
        EXPECT_EQ((bar.GetButtonStyle(i) & TBBS_SEPARATOR) != 0, expected[i] == 0) << "button " << i;
    }
    RECT button{};
    bar.GetItemRect(0, &button);
    EXPECT_EQ(button.right - button.left, 48 + 7);
    EXPECT_EQ(button.bottom - button.top, 48 + 6);
    EXPECT_NE(bar.GetBarStyle() & CBRS_TOOLTIPS, 0u);

    RECT client{}, barRect{}, viewRect{};
    ::GetClientRect(Frame()->GetSafeHwnd(), &client);
    ::GetWindowRect(ToolBar(), &barRect);
    ::GetWindowRect(View()->GetSafeHwnd(), &viewRect);
    POINT origin{0, 0};
    ::ClientToScreen(Frame()->GetSafeHwnd(), &origin);
    EXPECT_EQ(barRect.top, origin.y);
    EXPECT_EQ(barRect.right - barRect.left, client.right);
    EXPECT_GE(barRect.bottom - barRect.top, 48 + 6);
    EXPECT_EQ(viewRect.top, barRect.bottom);
    EXPECT_EQ(viewRect.bottom, origin.y + client.bottom);
    EXPECT_EQ(viewRect.right - viewRect.left, client.right);

    POINT barClient{0, 0};
    ::ClientToScreen(ToolBar(), &barClient);
    EXPECT_EQ(barClient.x - barRect.left, 4) << "the buttons sit 4 pixels right of the bar's edge";
}

TEST_F(MainFrameTest, ToolTipsComeFromTheCommandStrings) {
    const struct {
        UINT id;
        const char* tip;
    } cases[] = {{ID_ENCRYPT, "Encrypt (Ctrl+E)"},
                 {ID_DECRYPT, "Decrypt (Ctrl+D)"},
                 {ID_SHRED, "Shred (Ctrl+Shift+S)"},
                 {ID_APP_ABOUT, "About (F1)"}};
    for (const auto& c : cases) {
        NMTTDISPINFOA info{};
        info.hdr.hwndFrom = ToolBar();
        info.hdr.idFrom = c.id;
        info.hdr.code = TTN_GETDISPINFOA;
        ::SendMessageA(Frame()->GetSafeHwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        ASSERT_NE(info.lpszText, nullptr);
        EXPECT_STREQ(info.lpszText, c.tip) << "command " << c.id;
    }
}

TEST_F(MainFrameTest, ToolBarCommandsReachTheViewAndTheApplication) {
    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDCANCEL).WithCaption("Select File to Encrypt"));
    Click(ID_ENCRYPT);
    driver.Expect(DialogAnswer::Press(IDCANCEL).WithCaption("Select File to Shred"));
    Click(ID_SHRED);
    driver.Expect(DialogAnswer::Press(IDOK).WithCaption("About Kestrine"));
    Click(ID_APP_ABOUT);
    ASSERT_TRUE(driver.WaitForShown(3, 20000));
    const auto shown = driver.Shown();
    EXPECT_EQ(shown[0].caption, "Select File to Encrypt");
    EXPECT_EQ(shown[1].caption, "Select File to Shred");
    EXPECT_EQ(shown[2].caption, "About Kestrine");
    EXPECT_NE(shown[2].text.find("Kestrine Version " KESTRINE_VERSION_TEXT), std::string::npos) << shown[2].text;
    for (const auto& d : shown) EXPECT_FALSE(d.unexpected) << d.caption;
}

// Custom-draw notifications the main frame received, with its answers.
std::vector<std::pair<DWORD, LRESULT>> g_customDrawSeen;
HWND g_customDrawFrame = nullptr;

LRESULT CALLBACK RecordCustomDraw(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* ret = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (nCode == HC_ACTION && ret->message == WM_NOTIFY && ret->hwnd == g_customDrawFrame) {
        const auto* nm = reinterpret_cast<const NMCUSTOMDRAW*>(ret->lParam);
        if (nm->hdr.code == static_cast<UINT>(NM_CUSTOMDRAW)) g_customDrawSeen.emplace_back(nm->dwDrawStage, ret->lResult);
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

TEST_F(MainFrameTest, EachToolBarPaintSendsTheFrameOnePrePaintItLeavesUnanswered) {
    g_customDrawSeen.clear();
    g_customDrawFrame = Frame()->GetSafeHwnd();
    HHOOK hHook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, RecordCustomDraw, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hHook, nullptr);
    for (int pass = 0; pass < 2; ++pass) {
        ::InvalidateRect(ToolBar(), nullptr, FALSE);
        ::UpdateWindow(ToolBar());
    }
    ::UnhookWindowsHookEx(hHook);
    ASSERT_EQ(g_customDrawSeen.size(), 2u);
    for (const auto& seen : g_customDrawSeen) {
        EXPECT_EQ(seen.first, static_cast<DWORD>(CDDS_PREPAINT));
        EXPECT_EQ(seen.second, 0);
    }
}

TEST_F(MainFrameTest, NewSystemColoursReachTheToolBarThroughTheFrame) {
    const int nIndex = COLOR_BTNFACE;
    const COLORREF crSaved = ::GetSysColor(COLOR_BTNFACE), crNew = RGB(210, 230, 200);
    ASSERT_TRUE(::SetSysColors(1, &nIndex, &crNew));
    ::SendMessageA(Frame()->GetSafeHwnd(), WM_SYSCOLORCHANGE, 0, 0);
    kst_test::PutCursor(POINT{1000, 740});
    ::InvalidateRect(ToolBar(), nullptr, FALSE);
    ::UpdateWindow(ToolBar());
    RECT rc{};
    Frame()->m_wndToolBar.GetItemRect(0, &rc);
    const COLORREF crEdge = BarPixels(ToolBar(), RECT{rc.left, rc.top, rc.left + 1, rc.top + 1})[0];
    ::SetSysColors(1, &nIndex, &crSaved);
    ::SendMessageA(Frame()->GetSafeHwnd(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(crEdge, crNew);
}

TEST_F(MainFrameTest, JobButtonsGreyOutEmbossedWhileBusyAboutStays) {
    CToolBarEx& bar = Frame()->m_wndToolBar;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE), highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT),
                   shadow = ::GetSysColor(COLOR_BTNSHADOW);
    auto itemRect = [&](UINT nID) {
        RECT rc{};
        bar.GetItemRect(bar.CommandToIndex(nID), &rc);
        return rc;
    };
    auto repaint = [&] {
        ::InvalidateRect(ToolBar(), nullptr, FALSE);
        ::UpdateWindow(ToolBar());
    };
    ::SetForegroundWindow(Frame()->GetSafeHwnd());
    kst_test::PutCursor(POINT{1000, 740});
    Idle();
    for (UINT id : {ID_ENCRYPT, ID_DECRYPT, ID_SHRED, ID_APP_ABOUT}) EXPECT_TRUE(Enabled(id)) << id;
    repaint();
    EXPECT_TRUE(SaveScreenshot(Frame()->GetSafeHwnd(), "toolbar_idle.png"));

    // One button hot, as under the mouse.
    const RECT encrypt = itemRect(ID_ENCRYPT);
    POINT centre{(encrypt.left + encrypt.right) / 2, (encrypt.top + encrypt.bottom) / 2};
    ::SendMessageA(ToolBar(), WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
    ::ClientToScreen(ToolBar(), &centre);
    kst_test::PutCursor(centre);
    repaint();
    EXPECT_EQ(bar.GetHotButton(), bar.CommandToIndex(ID_ENCRYPT));
    EXPECT_EQ(BarPixels(ToolBar(), RECT{encrypt.left, encrypt.top, encrypt.left + 1, encrypt.top + 1})[0], highlight);
    EXPECT_TRUE(SaveScreenshot(Frame()->GetSafeHwnd(), "toolbar_hot.png"));
    kst_test::PutCursor(POINT{1000, 740});
    kst_test::PumpUntil([&] { return bar.GetHotButton() == -1; }, 2000);

    // A job runs: the idle update redraws the three job buttons, and only them.
    repaint();
    View()->m_bBusy = 1;
    Idle();
    HRGN hUpdate = ::CreateRectRgn(0, 0, 0, 0);
    ::GetUpdateRgn(ToolBar(), hUpdate, FALSE);
    for (UINT id : {ID_ENCRYPT, ID_DECRYPT, ID_SHRED}) {
        EXPECT_FALSE(Enabled(id)) << id;
        const RECT rc = itemRect(id);
        EXPECT_TRUE(::PtInRegion(hUpdate, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2)) << id;
    }
    const RECT about = itemRect(ID_APP_ABOUT);
    EXPECT_FALSE(::PtInRegion(hUpdate, (about.left + about.right) / 2, (about.top + about.bottom) / 2));
    ::DeleteObject(hUpdate);
    EXPECT_TRUE(Enabled(ID_APP_ABOUT));
    ::UpdateWindow(ToolBar());
    for (UINT id : {ID_ENCRYPT, ID_DECRYPT, ID_SHRED}) {
        int shadows = 0, highlights = 0, others = 0;
        for (COLORREF cr : BarPixels(ToolBar(), itemRect(id))) {
            shadows += cr == shadow;
            highlights += cr == highlight;
            others += cr != shadow && cr != highlight && cr != face;
        }
        EXPECT_EQ(others, 0) << "embossed in face, highlight and shadow only: " << id;
        EXPECT_GT(shadows, 50) << id;
        EXPECT_GT(highlights, 20) << id;
    }
    int aboutColours = 0;
    for (COLORREF cr : BarPixels(ToolBar(), about)) aboutColours += cr != shadow && cr != highlight && cr != face;
    EXPECT_GT(aboutColours, 50) << "About keeps its coloured image";
    EXPECT_TRUE(SaveScreenshot(Frame()->GetSafeHwnd(), "toolbar_job_running.png"));
    View()->m_bBusy = 0;
    Idle();
    for (UINT id : {ID_ENCRYPT, ID_DECRYPT, ID_SHRED, ID_APP_ABOUT}) EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(MainFrameTest, FilesHandedOverOrDroppedOpenAsTheDocument) {
    const std::string plain = TempPath("kst_frame_plain.txt");
    const std::string other = TempPath("kst_frame_other.txt");
    WriteFile(plain, "This is not locked.");
    WriteFile(other, "Neither is this.");
    auto* pDoc = static_cast<CBlowfishDoc*>(Frame()->GetActiveDocument());
    ASSERT_NE(pDoc, nullptr);

    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDOK));
    EXPECT_EQ(SendOpenRequestTo(Frame()->GetSafeHwnd(), plain), TRUE);
    ASSERT_TRUE(driver.WaitForShown(1, 20000));
    EXPECT_EQ(driver.Shown()[0].text, "This file was not encrypted with Kestrine.");
    EXPECT_EQ(driver.Shown()[0].caption, "Kestrine");
    EXPECT_EQ(pDoc->m_bOpened, 1);
    EXPECT_EQ(Narrow(pDoc->m_strOpenedPath), plain);
    EXPECT_EQ(Narrow(View()->m_strSource), plain);

    // A drop on the window opens every file in turn, whatever its extension.
    driver.Clear();
    driver.Expect(DialogAnswer::Press(IDOK));
    driver.Expect(DialogAnswer::Press(IDOK));
    ::SendMessageA(Frame()->GetSafeHwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({plain, other})), 0);
    ASSERT_TRUE(driver.WaitForShown(2, 20000));
    EXPECT_EQ(Narrow(pDoc->m_strOpenedPath), other);
    EXPECT_EQ(Frame()->GetActiveDocument(), pDoc);  // the one document is reused

    // While a job runs, a handed-over file waits and the job's source stays; the file is
    // opened once the job has ended.
    driver.Clear();
    View()->m_strSource = L"C:\\job\\source.txt";
    View()->m_bBusy = 1;
    EXPECT_EQ(SendOpenRequestTo(Frame()->GetSafeHwnd(), plain), TRUE);
    kst_test::PumpUntil([] { return false; }, 1000);
    EXPECT_TRUE(driver.Shown().empty());
    EXPECT_EQ(Narrow(View()->m_strSource), "C:\\job\\source.txt");
    driver.Expect(DialogAnswer::Press(IDOK));
    ::PostMessageA(View()->GetSafeHwnd(), WM_JOB_DONE, 0, 0);
    ASSERT_TRUE(driver.WaitForShown(1, 20000));
    EXPECT_EQ(driver.Shown()[0].text, "This file was not encrypted with Kestrine.");
    EXPECT_EQ(Narrow(View()->m_strSource), plain);

    // Requests that are not ours are turned away.
    COPYDATASTRUCT foreign{7, 4, const_cast<char*>("abc")};
    EXPECT_EQ(::SendMessageA(Frame()->GetSafeHwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&foreign)), FALSE);
    ::DeleteFileA(plain.c_str());
    ::DeleteFileA(other.c_str());
}

TEST_F(MainFrameTest, CloseWhileBusyAnsweredNoKeepsWindowAndJob) {
    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDNO));
    View()->m_bBusy = 1;
    ::SendMessageA(Frame()->GetSafeHwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(driver.WaitForShown(1, 20000));
    EXPECT_EQ(driver.Shown()[0].text,
              "Kestrine is still processing information.\nClosing could lose this information.\n\nContinue closing?");
    EXPECT_EQ(driver.Shown()[0].caption, "Kestrine");
    ASSERT_NE(s_app->m_pMainWnd, nullptr);
    EXPECT_TRUE(::IsWindow(Frame()->GetSafeHwnd()));
    EXPECT_EQ(View()->m_bBusy, 1);
    EXPECT_FALSE(View()->StopRequested());
    View()->m_bBusy = 0;
}

TEST_F(MainFrameTest, CloseWhileEncryptingAnsweredYesStopsTheJobAndEndsCleanly) {
    const std::string source = TempPath("kst_frame_big.bin");
    const std::string dest = TempPath("kst_frame_big.kst");
    ::DeleteFileA(dest.c_str());
    {
        std::ofstream out(source, std::ios::binary);
        std::string chunk(1 << 20, 'k');
        for (int i = 0; i < 64; ++i) out << chunk;
    }
    CBlowfishView* pView = View();
    pView->m_strSource = Wide(source);
    pView->m_strDest = Wide(dest);
    pView->m_strPassword = "secret";
    pView->CopyPasswordToKey();
    pView->m_bBusy = 1;
    ASSERT_NE(AfxBeginThread(EncryptThreadProc, pView), nullptr);

    const HWND hFrame = Frame()->GetSafeHwnd();
    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDYES));
    ::SendMessageA(hFrame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(driver.WaitForShown(1, 20000));
    EXPECT_FALSE(::IsWindow(hFrame));
    EXPECT_EQ(s_app->m_pMainWnd, nullptr);
    EXPECT_EQ(s_app->GetFirstDocTemplate()->GetOpenDocument(), nullptr);
    EXPECT_FALSE(FileExists(dest)) << "the incomplete locked file is deleted";
    EXPECT_TRUE(FileExists(source));
    // Only the message box of the question was shown: the stopped job says nothing.
    EXPECT_EQ(driver.Shown().size(), 1u);
    ::DeleteFileA(source.c_str());
}

TEST_F(MainFrameTest, CloseWhileIdleAsksNothing) {
    ASSERT_NE(s_app->m_pMainWnd, nullptr);
    const HWND hFrame = s_app->m_pMainWnd->GetSafeHwnd();
    DialogDriver driver;
    ::SendMessageA(hFrame, WM_CLOSE, 0, 0);
    kst_test::PumpPending();
    EXPECT_TRUE(driver.Shown().empty());
    EXPECT_FALSE(::IsWindow(hFrame));
    EXPECT_EQ(s_app->m_pMainWnd, nullptr);
}

namespace {

// Where a close arrives: the flow the test starts, the answers that lead to the dialog, and
// the caption of the dialog that is up when another program asks the window to close.
struct CloseCase {
    const char* name;
    UINT command;  // 0: the locked file is handed over by a second start
    std::vector<std::string> answersBefore;  // "plain", "locked", "out" (file names) or "password"
    const char* closeAt;
};

class CloseDuringAFlowTest : public MainFrameTest, public ::testing::WithParamInterface<CloseCase> {
protected:
    void SetUp() override {
        MainFrameTest::SetUp();
        WriteFile(m_plain, "Not locked.");
        WriteFile(m_locked, std::string("BLOW\x05" "a.txt\x00", 11));
        ::DeleteFileA(m_out.c_str());
    }
    void TearDown() override {
        MainFrameTest::TearDown();
        for (const std::string& path : {m_plain, m_locked, m_out}) ::DeleteFileA(path.c_str());
    }
    // The answers to the flow's dialogs before the one that is up at the close: a file
    // dialog is given one of the three files, a password dialog an empty password.
    std::vector<DialogAnswer> AnswersBefore(const CloseCase& c) const {
        std::vector<DialogAnswer> answers;
        for (const std::string& step : c.answersBefore) {
            if (step == "password") {
                answers.push_back(DialogAnswer::Press(IDOK).WithCaption("Password Protection").Fill(1003, ""));
                continue;
            }
            const std::string& path = step == "plain" ? m_plain : step == "locked" ? m_locked : m_out;
            answers.push_back(DialogAnswer::Press(IDOK).Fill(kFileNameCombo, path));
        }
        return answers;
    }

    const std::string m_plain = TempPath("kst_close_plain.txt");
    const std::string m_locked = TempPath("kst_close_locked.kst");
    const std::string m_out = TempPath("kst_close_out.txt");
};

const CloseCase kCloseCases[] = {
    {"EncryptSource", ID_ENCRYPT, {}, "Select File to Encrypt"},
    {"EncryptDestination", ID_ENCRYPT, {"plain"}, "Encrypted File"},
    {"EncryptOverwriteQuestion", ID_ENCRYPT, {"plain", "locked"}, "Encrypted File"},
    {"EncryptPassword", ID_ENCRYPT, {"plain", "out"}, "Password Protection"},
    {"DecryptSource", ID_DECRYPT, {}, "Select File to Decrypt"},
    {"DecryptRefusal", ID_DECRYPT, {"plain"}, "Kestrine"},
    {"DecryptDestination", ID_DECRYPT, {"locked"}, "Decrypted File"},
    {"DecryptPassword", ID_DECRYPT, {"locked", "out"}, "Password Protection"},
    {"DecryptEmptyPasswordRefusal", ID_DECRYPT, {"locked", "out", "password"}, "Kestrine"},
    {"ShredSource", ID_SHRED, {}, "Select File to Shred"},
    {"AboutBox", ID_APP_ABOUT, {}, "About Kestrine"},
    {"HandedOverFile", 0, {}, "Decrypted File"},
};

}  // namespace

TEST_P(CloseDuringAFlowTest, WaitsUntilTheFlowHasUnwoundThenCloses) {
    const CloseCase& c = GetParam();
    const HWND hFrame = Frame()->GetSafeHwnd();
    DialogDriver driver;
    for (const DialogAnswer& answer : AnswersBefore(c)) driver.Expect(answer);
    driver.Expect(DialogAnswer::CloseWindowInstead(hFrame).WithCaption(c.closeAt));
    // Pressed only if the close left the dialog up, so that the flow ends all the same.
    driver.Expect(DialogAnswer::Press(IDCANCEL).WithCaption(c.closeAt));

    if (c.command != 0) {
        Click(c.command);
    } else {
        SendOpenRequestTo(hFrame, m_locked);
        ::SendMessageA(hFrame, WM_KST_SHELL_OPEN, 0, 0);  // what the frame posted itself
    }
    // The flow has returned: the window it ran in must still be there.
    EXPECT_TRUE(::IsWindow(hFrame)) << "the window was destroyed under the flow";
    EXPECT_TRUE(kst_test::PumpUntil([&] { return !::IsWindow(hFrame); }, 20000)) << "the close was not carried out";
    EXPECT_EQ(s_app->m_pMainWnd, nullptr);

    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), c.answersBefore.size() + 1) << "the close did not end the dialog";
    EXPECT_EQ(shown.back().pressed, 0) << "the close came while " << shown.back().caption << " was up";
    EXPECT_FALSE(FileExists(m_out)) << "no job ran";
}

INSTANTIATE_TEST_SUITE_P(EveryDialogOfEveryFlow, CloseDuringAFlowTest, ::testing::ValuesIn(kCloseCases),
                         [](const ::testing::TestParamInfo<CloseCase>& param) { return param.param.name; });

namespace {

// A frame whose creation fails, as when its tool bar cannot be made.
class CFailingFrame : public CFrameWnd {
public:
    int OnCreate(LPCREATESTRUCT) { return -1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFailingFrame, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

}  // namespace

TEST(DocTemplate, AFrameThatCannotBeCreatedLeavesNothingBehind) {
    CSingleDocTemplate docTemplate(IDR_MAINFRAME, &AfxNewDocument<CBlowfishDoc>, &AfxNewFrame<CFailingFrame>,
                                   &AfxNewView<CBlowfishView>);
    EXPECT_EQ(docTemplate.OpenDocumentFile(nullptr), nullptr);
    EXPECT_EQ(docTemplate.GetOpenDocument(), nullptr);
    EXPECT_EQ(docTemplate.OpenDocumentFile(L"C:\\any.kst"), nullptr);
    EXPECT_EQ(docTemplate.GetOpenDocument(), nullptr);
}
