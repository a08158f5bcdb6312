// The check boxes of report lists that dialogs share: a row counts as ticked
// when its state image is 2, and a double click on the first column's header
// ticks or clears every row.
#pragma once

#include <afxcmn.h>

// Rows whose check box is ticked (state image 2).
int CountCheckedRows(const CListCtrl& list);
// Ticks or clears every row, with drawing held back meanwhile.
void SetAllChecks(CListCtrl& list, bool checked);
// The header double-click's toggle: allTicked flips and every row is ticked
// or cleared to match. False, with nothing changed, for an empty list.
bool ToggleAllChecks(CListCtrl& list, int& allTicked);
// True for a double click on the list's first column header, whichever of
// the header and the list (which relays it) is named as the sender.
bool IsFirstHeaderDoubleClick(const CListCtrl& list, LPARAM notification);
