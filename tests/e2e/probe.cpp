// A look into the running program for the end-to-end tests, from another process: finds
// its windows by caption, prints what they show and presses their buttons. The tests
// type and click with xdotool as a user would; this only tells them where things are.
//
//   kst_probe wait CAPTION TIMEOUT_MS [TEXT]  wait for a top-level window (whose texts
//                                             contain TEXT), print it; exit 1 on timeout
//   kst_probe gone CAPTION TIMEOUT_MS         wait until no such window is left
//   kst_probe count CAPTION                   print the number of such windows
//   kst_probe press CAPTION ID [TEXT]         press button ID of the window (showing TEXT)
//   kst_probe settext CAPTION ID TEXT         put TEXT into control ID (a combo box's edit too)
//   kst_probe close CAPTION                   post WM_CLOSE to the window
//   kst_probe syscolor INDEX                  print the system colour INDEX as "r g b"
//   kst_probe hold CAPTION MS                 show a window of its own at the top-left corner,
//                                             take the activation and keep it MS ms
//   kst_probe button CAPTION ID               print "button X Y", the screen centre of the
//                                             window's tool bar button with command ID
//   kst_probe explorer VERB PATH              run the command of the user's Explorer entry VERB
//                                             for PATH as Explorer does ("%1" is the path)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "window_text.h"

namespace {

using kst_test::WindowTextOf;

struct Search {
    std::string caption;
    std::string text;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam) {
    auto* texts = reinterpret_cast<std::vector<std::pair<int, std::string>>*>(lParam);
    texts->emplace_back(::GetDlgCtrlID(hWnd), WindowTextOf(hWnd));
    return TRUE;
}

std::vector<std::pair<int, std::string>> ChildTexts(HWND hWnd) {
    std::vector<std::pair<int, std::string>> texts;
    ::EnumChildWindows(hWnd, CollectChild, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

BOOL CALLBACK CollectTop(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (!::IsWindowVisible(hWnd) || WindowTextOf(hWnd) != search->caption) return TRUE;
    if (!search->text.empty()) {
        bool hit = false;
        for (const auto& t : ChildTexts(hWnd)) hit = hit || t.second.find(search->text) != std::string::npos;
        if (!hit) return TRUE;
    }
    search->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> Find(const std::string& caption, const std::string& text = std::string()) {
    Search search{caption, text, {}};
    ::EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitFor(const std::string& caption, DWORD timeoutMs, const std::string& text) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        auto found = Find(caption, text);
        if (!found.empty()) return found.front();
        if (::GetTickCount() - start > timeoutMs) return nullptr;
        ::Sleep(100);
    }
}

BOOL CALLBACK FindToolBar(HWND hWnd, LPARAM lParam) {
    char name[64] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    if (std::string(name) != TOOLBARCLASSNAMEA) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

// The item rectangle of a tool bar in another process. The control writes it at an address
// of its own process, so the probe maps one shared section into both and reads its own view
// (reading the other process's memory directly fails under an emulated Wine).
using NtMapViewOfSectionFn = LONG(WINAPI*)(HANDLE, HANDLE, PVOID*, ULONG_PTR, SIZE_T, PLARGE_INTEGER, PSIZE_T, DWORD,
                                           ULONG, ULONG);
using NtUnmapViewOfSectionFn = LONG(WINAPI*)(HANDLE, PVOID);

bool ItemRectOf(HWND hBar, int nIndex, RECT& rect) {
    HMODULE hNtdll = ::GetModuleHandleA("ntdll.dll");
    auto pfnMap = reinterpret_cast<NtMapViewOfSectionFn>(
        reinterpret_cast<void*>(::GetProcAddress(hNtdll, "NtMapViewOfSection")));
    auto pfnUnmap = reinterpret_cast<NtUnmapViewOfSectionFn>(
        reinterpret_cast<void*>(::GetProcAddress(hNtdll, "NtUnmapViewOfSection")));
    if (pfnMap == nullptr || pfnUnmap == nullptr) return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hBar, &pid);
    HANDLE hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    HANDLE hSection = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
    void* local = hSection != nullptr ? ::MapViewOfFile(hSection, FILE_MAP_ALL_ACCESS, 0, 0, 0) : nullptr;
    void* remote = nullptr;
    SIZE_T viewSize = 0;
    constexpr DWORD kViewUnmap = 2;
    bool ok = hProcess != nullptr && local != nullptr &&
              pfnMap(hSection, hProcess, &remote, 0, 0, nullptr, &viewSize, kViewUnmap, 0, PAGE_READWRITE) >= 0 &&
              ::SendMessageA(hBar, TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(remote));
    if (ok) rect = *static_cast<const RECT*>(local);
    if (remote != nullptr) pfnUnmap(hProcess, remote);
    if (local != nullptr) ::UnmapViewOfFile(local);
    if (hSection != nullptr) ::CloseHandle(hSection);
    if (hProcess != nullptr) ::CloseHandle(hProcess);
    return ok;
}

int PrintButton(HWND hWnd, UINT nID) {
    HWND hBar = nullptr;
    ::EnumChildWindows(hWnd, FindToolBar, reinterpret_cast<LPARAM>(&hBar));
    if (hBar == nullptr) return 1;
    const int nIndex = static_cast<int>(::SendMessageA(hBar, TB_COMMANDTOINDEX, nID, 0));
    RECT rect{};
    if (nIndex < 0 || !ItemRectOf(hBar, nIndex, rect)) return 1;
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::ClientToScreen(hBar, &centre);
    std::printf("button %ld %ld\n", centre.x, centre.y);
    return 0;
}

void Print(HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    POINT origin{0, 0};
    ::ClientToScreen(hWnd, &origin);
    std::printf("window %ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    std::printf("client %ld %ld\n", origin.x, origin.y);
    for (const auto& t : ChildTexts(hWnd)) std::printf("text %d %s\n", t.first, t.second.c_str());
}

}  // namespace

// Another program's window that takes the activation away, as a user's click elsewhere would.
int HoldActivation(const std::string& caption, DWORD ms) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "KstProbeHolder";
    ::RegisterClassA(&wc);
    HWND hWnd = ::CreateWindowExA(0, wc.lpszClassName, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240,
                                  120, nullptr, nullptr, wc.hInstance, nullptr);
    if (hWnd == nullptr) return 1;
    ::SetForegroundWindow(hWnd);
    ::SetActiveWindow(hWnd);
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(20);
    }
    ::DestroyWindow(hWnd);
    return 0;
}

// Explorer runs an entry of the context menu by putting the file's path for "%1" into the
// entry's command and starting that command line. This platform's Explorer looks only at
// the machine's classes, so the user's entry is read here from where it was registered.
int RunExplorerVerb(const std::string& verb, const std::string& path) {
    HKEY hKey = nullptr;
    const std::string key = "Software\\Classes\\*\\shell\\" + verb + "\\command";
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return 1;
    char value[2048] = {};
    DWORD size = sizeof value - 1;
    const LONG read = ::RegQueryValueExA(hKey, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(hKey);
    std::string command = value;
    const size_t at = command.find("%1");
    if (read != ERROR_SUCCESS || at == std::string::npos) return 1;
    command.replace(at, 2, path);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    std::printf("started %s\n", command.c_str());
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string command = argv[1];
    const std::string caption = argv[2];
    if (command == "syscolor") {
        const COLORREF color = ::GetSysColor(std::atoi(argv[2]));
        std::printf("%d %d %d\n", GetRValue(color), GetGValue(color), GetBValue(color));
        return 0;
    }
    if (command == "hold" && argc >= 4) return HoldActivation(caption, std::strtoul(argv[3], nullptr, 10));
    if (command == "wait" && argc >= 4) {
        HWND hWnd = WaitFor(caption, std::strtoul(argv[3], nullptr, 10), argc >= 5 ? argv[4] : "");
        if (hWnd == nullptr) return 1;
        Print(hWnd);
        return 0;
    }
    if (command == "gone" && argc >= 4) {
        const DWORD start = ::GetTickCount();
        while (!Find(caption).empty()) {
            if (::GetTickCount() - start > std::strtoul(argv[3], nullptr, 10)) return 1;
            ::Sleep(100);
        }
        return 0;
    }
    if (command == "explorer" && argc >= 4) return RunExplorerVerb(argv[2], argv[3]);
    if (command == "count") {
        std::printf("%u\n", static_cast<unsigned>(Find(caption).size()));
        return 0;
    }
    auto found = Find(caption, command == "press" && argc >= 5 ? argv[4] : "");
    if (found.empty()) return 1;
    HWND hWnd = found.front();
    if (command == "press" && argc >= 4) {
        HWND hButton = ::GetDlgItem(hWnd, std::atoi(argv[3]));
        if (hButton == nullptr) return 1;
        ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
        return 0;
    }
    if (command == "settext" && argc >= 5) {
        HWND hControl = ::GetDlgItem(hWnd, std::atoi(argv[3]));
        if (hControl == nullptr) return 1;
        DWORD_PTR got = 0;
        ::SendMessageTimeoutA(hControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG, 2000, &got);
        return 0;
    }
    if (command == "button" && argc >= 4) return PrintButton(hWnd, static_cast<UINT>(std::atoi(argv[3])));
    if (command == "close") {
        ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    return 2;
}
