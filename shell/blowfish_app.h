// The application: Kestrine's start-up sequence.
#pragma once

#include <optional>

#include "ole_initialization.h"
#include "win_app.h"

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

    DECLARE_MESSAGE_MAP()
};
