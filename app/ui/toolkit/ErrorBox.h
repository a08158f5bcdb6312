// The one place the common services show an error to the user.
#pragma once

#include <afx.h>

// The caption every message box of the program carries.
extern const wchar_t kProductName[];

// Shows the text with the error icon, owned by the active window of this
// thread; does nothing for an empty text (callers pass "" for "no box").
void ShowErrorBox(const CString& text);
