// Stands in for a running program in another process: shows no window, but marks one as
// the running instance of the application named by its argument, prints the window's
// handle and keeps it until its input is closed.
#include <windows.h>

#include <cstdio>

#include "instance_handover.h"
#include "message_box.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    AfxSetAppName(argv[1]);
    HWND hWnd = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) return 1;
    MarkRunningMainWindow(hWnd, true);
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hWnd)));
    std::fflush(stdout);
    char ch = 0;
    while (std::fread(&ch, 1, 1, stdin) == 1) {}
    ::DestroyWindow(hWnd);
    return 0;
}
