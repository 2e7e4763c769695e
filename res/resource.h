// Resource and command ids. Plain #defines: this header is also read by the resource compiler.
#pragma once

#include "afxres.h"

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
