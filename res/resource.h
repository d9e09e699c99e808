// Numbers of the program's resources and of the controls on its dialogs. Read by the C++ code,
// by the resource compiler and by the resource script reader on platforms without one.
#pragma once

// Resources.
#define IDD_ABOUT 100
#define IDS_ABOUT_MENU 101
#define IDD_MAIN 102
#define IDI_APP 128

// Controls of IDD_MAIN. The write button is the dialog's OK button.
#define IDC_STATUS 1000
#define IDC_VERIFY 1002
#define IDC_DRIVES 1004
#define IDC_LINK 1005

// The About entry of the main dialog's system menu.
#define IDM_ABOUT 0x0010

// The main dialog's status refresh timer.
#define TIMER_STATUS 1000

// Windows' own numbers, for builds that do not include its headers.
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
