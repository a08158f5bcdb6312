#include "ErrorBox.h"

const wchar_t kProductName[] = L"Dodavozi";

void ShowErrorBox(const CString& text) {
    if (text.IsEmpty()) return;
    MessageBoxW(GetActiveWindow(), text, kProductName, MB_OK | MB_ICONERROR);
}
