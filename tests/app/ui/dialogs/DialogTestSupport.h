// Driving a real dialog from a test: texts, clicks, notifications, states.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

std::wstring ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::wstring& text);
// The button's BN_CLICKED, sent as the button would.
void Click(HWND dialog, int id);
BOOL IsItemVisible(HWND dialog, int id);
BOOL IsItemEnabled(HWND dialog, int id);
BOOL IsItemReadOnly(HWND dialog, int id);
// The list header's double-click on a column, sent to the list as the header sends it.
void SendHeaderDoubleClick(HWND list, int column);
std::wstring ListText(HWND list, int row, int column);
int ListRows(HWND list);
int SelectedRow(HWND list);
void SelectListRow(HWND list, int row);
// Pumps this thread's pending messages.
void Pump();
#include <functional>
#include <vector>

// Runs action while another thread answers OK to each "Dodavozi" box it
// shows, one after the other (up to count); the boxes' texts.
std::vector<std::wstring> AnswerBoxes(int count, const std::function<void()>& action);
