// The shared dialog driver answers boxes and dialogs of any thread of the process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dialog_driver.h"
#include "message_pump.h"

using kst_test::DialogAnswer;
using kst_test::DialogDriver;

namespace {

// A dialog template built in memory: an edit control 1003 and an OK button.
class EditDialogTemplate {
public:
    EditDialogTemplate() {
        Align();
        DLGTEMPLATE dialog{};
        dialog.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
        dialog.cdit = 2;
        dialog.cx = 160;
        dialog.cy = 60;
        Append(&dialog, sizeof dialog);
        Word(0);  // no menu
        Word(0);  // stock class
        Text(L"Enter Password");
        Word(8);
        Text(L"MS Sans Serif");
        Item(1003, 0x0081, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 10, 100, 12);
        Item(IDOK, 0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 30, 50, 14);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }

private:
    void Append(const void* data, size_t size) {
        const BYTE* bytes = static_cast<const BYTE*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
    }
    void Word(WORD value) { Append(&value, sizeof value); }
    void Text(const wchar_t* text) { Append(text, (wcslen(text) + 1) * sizeof(wchar_t)); }
    void Align() {
        while (m_bytes.size() % 4 != 0) m_bytes.push_back(0);
    }
    void Item(WORD id, WORD atom, DWORD style, short x, short y, short cx, short cy) {
        Align();
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Append(&item, sizeof item);
        Word(0xFFFF);
        Word(atom);
        Word(0);  // no title
        Word(0);  // no creation data
    }
    std::vector<BYTE> m_bytes;
};

INT_PTR CALLBACK EditDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        auto* typed = reinterpret_cast<std::string*>(::GetWindowLongPtrA(dialog, DWLP_USER));
        char text[64] = {};
        ::GetDlgItemTextA(dialog, 1003, text, sizeof text);
        *typed = text;
        ::EndDialog(dialog, IDOK);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

TEST(DialogDriver, AnswersMessageBoxesOfAWorkerThreadAndRecordsWhatTheyShowed) {
    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDOK));
    driver.Expect(DialogAnswer::Press(IDNO));
    int first = 0, second = 0;
    DWORD workerId = 0;
    std::thread worker([&] {
        workerId = ::GetCurrentThreadId();
        first = ::MessageBoxA(nullptr, "Something failed.", "Kestrine", MB_OK | MB_ICONHAND);
        second = ::MessageBoxA(nullptr, "Stop the job?", "Kestrine", MB_YESNO | MB_ICONQUESTION);
    });
    bool shown = driver.WaitForShown(2, 20000);
    worker.join();
    ASSERT_TRUE(shown);
    EXPECT_EQ(first, IDOK);
    EXPECT_EQ(second, IDNO);
    auto boxes = driver.Shown();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Kestrine");
    EXPECT_EQ(boxes[0].text, "Something failed.");
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONHAND));
    EXPECT_EQ(boxes[0].threadId, workerId);
    EXPECT_FALSE(boxes[0].unexpected);
    EXPECT_EQ(boxes[1].text, "Stop the job?");
    EXPECT_EQ(boxes[1].icon, UINT(MB_ICONQUESTION));
    EXPECT_EQ(driver.PendingAnswers(), 0u);
}

TEST(DialogDriver, FillsEditControlsOfADialogNamedByItsCaption) {
    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDOK).WithCaption("Password").Fill(1003, "abc"));
    EditDialogTemplate dialog;
    std::string typed;
    // Shown by this very thread: the driver works from its own thread.
    INT_PTR result = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialog.Get(), nullptr,
                                               EditDialogProc, reinterpret_cast<LPARAM>(&typed));
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(typed, "abc");
    auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Enter Password");
}

TEST(DialogDriver, ClosesAnUnexpectedBoxAndSaysSo) {
    DialogDriver driver;
    int result = ::MessageBoxA(nullptr, "Nobody expects this.", "Kestrine", MB_OKCANCEL);
    EXPECT_EQ(result, IDCANCEL);
    auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].unexpected);
    EXPECT_EQ(shown[0].icon, 0u);
}
