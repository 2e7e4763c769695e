// Proves the whole chain: a PE32 test program built with mingw, run by Wine in the
// headless X display, creating real windows.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Platform, WorkAreaIsReportedAndWindowsCanBeCreated) {
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_GT(work.right - work.left, 295);
    EXPECT_GT(work.bottom - work.top, 135);

    HWND window = CreateWindowExA(0, "STATIC", "probe", WS_POPUP | WS_VISIBLE, 10, 20, 295, 135,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    RECT placed{};
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.right - placed.left, 295);
    EXPECT_EQ(placed.bottom - placed.top, 135);
    DestroyWindow(window);
}

TEST(Platform, ThisIsA32BitProcess) {
    EXPECT_EQ(sizeof(void*), 4u);
}
