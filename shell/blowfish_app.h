// The application: Kestrine's start-up sequence.
#pragma once

#include "win_app.h"

class CBlowfishApp : public CWinApp {
    DECLARE_DYNAMIC(CBlowfishApp)
public:
    CBlowfishApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    void OnAppAbout();

private:
    BOOL m_bOleInitialised;

    DECLARE_MESSAGE_MAP()
};
