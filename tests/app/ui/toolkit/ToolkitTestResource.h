// Resource ids of the toolkit tests' dialog.
#pragma once

#define IDD_TOOLKIT_FORM 100
#define IDC_FORM_EDIT 1001
#define IDC_FORM_READONLY 1002
#define IDC_FORM_CHECK 1003
#define IDC_FORM_HINT 1004
#define IDC_FORM_BUTTON 1005
#define IDC_FORM_MULTI 1006
