#include "UnreadableFileNotices.h"

#include "DialogMessages.h"

CString UnreadableFileText(const UNREADABLE_FILE& file) {
    CString text;
    text.Format(L"%s\n%s\n\n", Translate(L"This file could not be read:").GetString(), file.path.GetString());
    if (file.keptAs.IsEmpty()) {
        text += Translate(L"It could not be kept aside and has been left as it is.");
        return text;
    }
    text.AppendFormat(L"%s\n%s\n\n%s", Translate(L"It has been kept unchanged as:").GetString(),
                      file.keptAs.GetString(),
                      Translate(L"The program goes on with what could be read of it.").GetString());
    return text;
}

int ShowUnreadableFileNotices(CWnd* owner) {
    const std::vector<UNREADABLE_FILE> files = TakeUnreadableFileNotices();
    for (const UNREADABLE_FILE& file : files) ShowDodavoziBox(owner, UnreadableFileText(file), MB_ICONWARNING);
    return static_cast<int>(files.size());
}

void ShowReadFailure(CWnd* owner, const wchar_t* key) {
    if (ShowUnreadableFileNotices(owner) == 0) ShowDodavoziBox(owner, Translate(key), MB_ICONWARNING);
}
