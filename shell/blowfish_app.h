// The application: Kestrine's start-up sequence.
#pragma once

#include <optional>

#include "ole_initialization.h"
#include "win_app.h"

// The program's exit codes: 0 when it did what it was asked, 1 when /register or
// /unregister could not write or remove every key, 2 when it refused its command line.
constexpr int kExitDone = 0;
constexpr int kExitRegistrationFailed = 1;
constexpr int kExitCommandLineRefused = 2;

class CBlowfishApp : public CWinApp {
    DECLARE_DYNAMIC(CBlowfishApp)
public:
    CBlowfishApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    void OnAppAbout();

private:
    // OLE for drag and drop, from the start of InitInstance to ExitInstance.
    std::optional<COleInitialization> m_ole;
    // What the process ends with when start-up ends it without a window.
    int m_nExitCode;

    DECLARE_MESSAGE_MAP()
};
