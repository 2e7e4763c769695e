#include "window_text.h"

namespace kst_test {

namespace {
constexpr DWORD kAnswerWithinMs = 2000;
}

std::string WindowTextOf(HWND window) {
    char text[1024] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                          kAnswerWithinMs, &ignored);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

HWND EditFieldOf(HWND control) {
    for (HWND inner = control; inner != nullptr; inner = ::GetWindow(inner, GW_CHILD))
        if (ClassOf(inner) == "Edit") return inner;
    return control;
}

}  // namespace kst_test
