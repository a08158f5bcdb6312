#include "DialogMessages.h"

#include "app/core/CInitLanguage.h"
#include "app/ui/toolkit/WindowUtil.h"

const wchar_t kUserIdChars[] = L"1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_+";

CString Translate(const CString& key) { return GetInitLanguage()->GetString(key); }

int ShowDodavoziBox(CWnd* owner, const CString& text, UINT type) {
    return ShowMessageBox(owner, text, type, Translate(L"Dodavozi"));
}
