// Calls into a control of this thread that do not go through SendMessage.
// Every message sent on the user-interface thread passes the thread's window
// hooks (the menu library's start-up hook is one), and under Wine each such
// pass is a round trip to the server: building or ticking a tree of
// thousands of items through sent messages takes seconds. CallControl runs
// the control's window procedure (its framework subclass included) as a sent
// message would, minus the hooks, which look at windows being created and at
// menus, never at a control's items.
#pragma once

#include <afxcmn.h>

#include <vector>

// The control's answer to the message. A window of another thread gets the
// message sent, as the system requires.
LRESULT CallControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Tree items through CallControl: the next item of a kind (TVGN_*), an
// item's data, its check mark (state image 2) and setting it, expanding,
// collapsing and selecting it (TVGN_CARET, TVGN_FIRSTVISIBLE), and appending
// an unchecked item with its data. An item appended expanded shows the
// children added under it later without the two expand notifications.
HTREEITEM TreeNextItem(HWND tree, HTREEITEM item, UINT kind);
DWORD_PTR TreeItemData(HWND tree, HTREEITEM item);
void ExpandTreeItem(HWND tree, HTREEITEM item);
void CollapseTreeItem(HWND tree, HTREEITEM item);
bool TreeItemExpanded(HWND tree, HTREEITEM item);
void SelectTreeItem(HWND tree, HTREEITEM item, UINT kind);
bool TreeItemChecked(HWND tree, HTREEITEM item);
void SetTreeItemCheck(HWND tree, HTREEITEM item, bool checked);
HTREEITEM AppendTreeCheckItem(HWND tree, const CString& text, HTREEITEM parent, DWORD_PTR data, bool expanded = false);

// Empties a combo box and adds texts in order through CallControl, into the
// box's own list when the box would only pass them on to it: no message is
// sent per text, where a device list has hundreds.
void FillComboBox(HWND combo, const std::vector<CString>& texts);
