// Resource ids of the framework tests' dialogs and strings.
#pragma once

#define IDD_FORM 100
#define IDC_NAME 1001
#define IDC_COUNT 1002
#define IDC_ENABLED 1003
#define IDC_DRAWN 1004
#define IDC_LABEL 1005
#define IDC_ACTION 1006
#define IDC_LIST 1007
#define IDS_PROMPT 200
#define IDD_MENU_FORM 101
#define IDR_FORM_MENU 300
#define ID_FORM_MENU_OPEN 301
