// The two things every dialog of the program does with text: translate it,
// and show it in a message box captioned with the translated product name.
#pragma once

#include <afxwin.h>

// The current language's text for the English key.
CString Translate(const CString& key);
// A message box with the text as given (callers translate or format it) and
// the translated caption "Dodavozi". Returns the button pressed.
int ShowDodavoziBox(CWnd* owner, const CString& text, UINT type);
// The characters user ids and passwords may hold.
extern const wchar_t kUserIdChars[];
