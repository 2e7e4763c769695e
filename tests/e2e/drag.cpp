// A drag source in a process of its own, as the shell is: drags files onto the main view
// of a running program through OLE's drag loop and drops them there.
//
//   kst_drag CAPTION PATH...   drop PATHs on the view (the pane child) of the visible
//                              top-level window CAPTION; prints "effect N" (1: taken)
//                              and exits 0 when the view took the drop
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "drag_drop.h"
#include "window_text.h"

namespace {

// The frame's one view is its pane child.
constexpr int kFirstPaneId = 0xE900;

struct Search {
    std::string caption;
    HWND found;
};

BOOL CALLBACK FindTop(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (!::IsWindowVisible(hWnd) || kst_test::WindowTextOf(hWnd) != search->caption) return TRUE;
    if (::GetDlgItem(hWnd, kFirstPaneId) == nullptr) return TRUE;
    search->found = hWnd;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    Search search{argv[1], nullptr};
    ::EnumWindows(FindTop, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    if (FAILED(::OleInitialize(nullptr))) return 1;
    int exitCode = 1;
    {
        kst_test::DragData data;
        data.files.assign(argv + 2, argv + argc);
        kst_test::ComRef<IDataObject> object(kst_test::NewDataObject(data));
        const kst_test::DragOutcome outcome =
            kst_test::DragOnto(::GetDlgItem(search.found, kFirstPaneId), object.get());
        std::printf("effect %lu feedback %lu reached %d result 0x%lx\n", outcome.effect, outcome.lastFeedback,
                    outcome.reachedTarget ? 1 : 0, static_cast<unsigned long>(outcome.result));
        if (outcome.effect == DROPEFFECT_COPY) exitCode = 0;
    }
    ::OleUninitialize();
    return exitCode;
}
