// The About box: template 100, no fields of its own.
#pragma once

#include "dialog.h"

class CAboutDlg : public CDialog {
    DECLARE_DYNAMIC(CAboutDlg)
public:
    CAboutDlg();
    BOOL OnInitDialog() override;
};
