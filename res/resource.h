// Resource and command ids. Plain #defines: this header is also read by the resource compiler.
#pragma once

#define IDD_ABOUTBOX            100
#define IDD_KESTRINE_FORM       101
#define IDR_MAINFRAME           128
#define IDI_LOCKED_DOCUMENT     129
#define IDD_DECRYPT_PASSWORD    133
#define IDD_ENCRYPT_PASSWORD    134

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
#define IDC_PASSWORD            1003
#define IDC_RETYPE              1004
#define IDC_STATUS              1004
#define IDC_PROGRESS            1005

#define ID_ENCRYPT              32771
#define ID_DECRYPT              32772
#define ID_SHRED                32773

#define ID_FILE_NEW             0xE100
#define ID_FILE_OPEN            0xE101
#define ID_APP_ABOUT            0xE140
#define AFX_IDS_APP_TITLE       0xE000
#define AFX_IDW_TOOLBAR         0xE800
#define AFX_IDW_PANE_FIRST      0xE900
