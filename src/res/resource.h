// Resource ids of the program: dialog templates, their controls, and the icon.
#pragma once

#define IDI_SETUP 102

// Wizard pages.
#define IDD_DESTINATION_PAGE 100
#define IDD_PROGRESS_PAGE 103
#define IDD_OPTIONS_PAGE 107
#define IDC_DEST_LABEL 1000
#define IDC_DEST_PATH 1001
#define IDC_BROWSE 1002
#define IDC_PROGRESS_BAR 1003
#define IDC_DESKTOP_BOX 1005
#define IDC_START_MENU_BOX 1006
#define IDC_PROGRESS_TEXT 1008

// Uninstall dialog and removal confirmation.
#define IDD_UNINSTALL 101
#define IDD_CONFIRM_REMOVAL 111
#define IDC_UNINSTALL_TEXT 1010
#define IDC_CONFIRM_ICON 1014
#define IDC_DELETE_ALL 1015
#define IDC_CONFIRM_TEXT 1018
