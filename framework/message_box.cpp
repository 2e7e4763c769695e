#include "message_box.h"

#include <atomic>

namespace {
// Process-wide like the application object whose name it is.
std::atomic<const char*> g_pszAppName{"Kestrine"};
}  // namespace

const char* AfxGetAppName() { return g_pszAppName.load(); }

void AfxSetAppName(const char* pszAppName) {
    g_pszAppName.store(pszAppName != nullptr ? pszAppName : "Kestrine");
}

int AfxMessageBox(const char* pszText, UINT nType, UINT /*nIDHelp*/) {
    return ::MessageBoxA(::GetActiveWindow(), pszText, AfxGetAppName(), nType);
}
