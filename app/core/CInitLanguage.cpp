#include "CInitLanguage.h"

#include <new>

#include "CAutoLock.h"

namespace {

CInitLanguage* g_initLanguage = nullptr;

const int kTranslationChars = 300;

CString WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return CString();
    CString text;
    int copied = GetWindowTextW(window, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer(copied);
    return text;
}

bool KeepsOwnText(const CString& frameworkClass) {
    return frameworkClass == L"CEdit" || frameworkClass == L"CRerezedctrl1";
}

}  // namespace

CInitLanguage::CInitLanguage() : m_strSection(L"Interface") {}

CInitLanguage::~CInitLanguage() {}

int CInitLanguage::SetLanguageFile(const CString& path) {
    CAutoLock guard(&m_fileLock);
    m_strLanguageFile = path;
    return 1;
}

CString CInitLanguage::GetLanguageFile() const {
    CAutoLock guard(&m_fileLock);
    return m_strLanguageFile;
}

CString CInitLanguage::GetString(const CString& key) const {
    const CString file = GetLanguageFile();
    // An empty key would read as "every key of the section" on some systems.
    if (file.IsEmpty() || key.IsEmpty()) return key;
    wchar_t buffer[kTranslationChars] = {0};
    GetPrivateProfileStringW(L"String", key, L"", buffer, kTranslationChars, file);
    return buffer[0] ? CString(buffer) : key;
}

void CInitLanguage::TranslateDialog(HWND dialog, const ClassNameOf& classNameOf) const {
    CString caption = WindowText(dialog);
    if (!caption.IsEmpty()) SetWindowTextW(dialog, GetString(caption));
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        CString frameworkClass = classNameOf ? classNameOf(child) : CString(L"CWnd");
        if (KeepsOwnText(frameworkClass)) continue;
        SetWindowTextW(child, GetString(WindowText(child)));
    }
}

CInitLanguage* GetInitLanguage() {
    if (!g_initLanguage) g_initLanguage = new (std::nothrow) CInitLanguage();
    return g_initLanguage;
}

void DeleteInitLanguage() {
    delete g_initLanguage;
    g_initLanguage = nullptr;
}
