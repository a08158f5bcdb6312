#include "DialogMessages.h"

#include "CTranslationBatch.h"
#include "app/core/CInitLanguage.h"
#include "app/ui/toolkit/WindowUtil.h"

const wchar_t kUserIdChars[] = L"1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_+";

CString Translate(const CString& key) {
    CString text;
    if (CTranslationBatch::Recall(key, &text)) return text;
    text = GetInitLanguage()->GetString(key);
    CTranslationBatch::Keep(key, text);
    return text;
}

int ShowDodavoziBox(CWnd* owner, const CString& text, UINT type) {
    return ShowMessageBox(owner, text, type, Translate(L"Dodavozi"));
}
