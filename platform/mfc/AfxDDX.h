// Dialog data exchange routines for DoDataExchange: each moves one value
// between a member and a dialog control, in the direction the exchange says.
#pragma once

#include "CDataExchange.h"
#include "CStringT.h"
#include "CTime.h"

class CWnd;

// Subclasses the dialog item into control the first time; later passes do
// nothing. Throws when the item cannot be subclassed.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Text of an edit (or any window); numbers fail with a message and the
// focus on the control when the text is not a number of that type.
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, DWORD& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
// Check state of a check box: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* dx, int id, int& value);
// Index of the checked radio button in the group that starts at id; -1 none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
// Selected index of a combo box or list box; -1 none.
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
void DDX_LBIndex(CDataExchange* dx, int id, int& index);
// Text of a combo box (its edit or selected item).
void DDX_CBString(CDataExchange* dx, int id, CString& value);
// Time of a date-time picker (local time).
void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value);
// Limits the text length on load; fails on save when the text is longer.
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
// Range checks on save; fail with a message when outside [minValue, maxValue].
void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue);
