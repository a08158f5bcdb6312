#include "CInitLanguage.h"

#include <new>

#include "common/CAutoLock.h"
#include "common/WholeFile.h"

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

// Calls visit(name) for each entry of the pattern's folder that matches the
// wanted kind; absolute patterns, so the process's current directory is never
// changed under other threads.
template <typename Visit>
void ForEachFound(const CString& pattern, bool directories, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        CString name(found.cFileName);
        if (isDirectory != directories || name == L"." || name == L"..") continue;
        visit(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool KeepsOwnText(const CString& frameworkClass) {
    return frameworkClass == L"CEdit" || frameworkClass == L"CRerezedctrl1";
}

// A missing or unreadable file translates nothing.
std::shared_ptr<const CIniDocument::CSectionIndex> ReadTranslations(const CString& path) {
    if (path.IsEmpty()) return nullptr;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) bytes.clear();
    CIniDocument document;
    document.Parse(bytes);
    return std::make_shared<const CIniDocument::CSectionIndex>(document.IndexSection(L"String"));
}

}  // namespace

CInitLanguage::CInitLanguage() : m_strSection(L"Interface") {}

CInitLanguage::~CInitLanguage() {}

int CInitLanguage::SetLanguageFile(const CString& path) {
    // Read before taking the lock: look-ups meanwhile keep the old language.
    std::shared_ptr<const CIniDocument::CSectionIndex> translations = ReadTranslations(path);
    CAutoLock guard(&m_fileLock);
    m_strLanguageFile = path;
    m_translations = std::move(translations);
    return 1;
}

CString CInitLanguage::GetLanguageFile() const {
    CAutoLock guard(&m_fileLock);
    return m_strLanguageFile;
}

CString CInitLanguage::GetString(const CString& key) const {
    std::shared_ptr<const CIniDocument::CSectionIndex> translations;
    {
        CAutoLock guard(&m_fileLock);
        translations = m_translations;
    }
    std::wstring text;
    if (!translations || key.IsEmpty() || !translations->Find(key.GetString(), text) || text.empty()) return key;
    return CString(text.substr(0, kTranslationChars - 1).c_str());
}

namespace {

// Words without a translation keep their text untouched: setting the same
// text again costs a message and a repaint, and makes edits notify a change.
void TranslateText(HWND window, const CInitLanguage& language) {
    const CString text = WindowText(window);
    if (text.IsEmpty()) return;
    const CString translated = language.GetString(text);
    if (translated != text) SetWindowTextW(window, translated);
}

}  // namespace

void CInitLanguage::TranslateDialog(HWND dialog, const ClassNameOf& classNameOf) const {
    TranslateText(dialog, *this);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        CString frameworkClass = classNameOf ? classNameOf(child) : CString(L"CWnd");
        if (KeepsOwnText(frameworkClass)) continue;
        TranslateText(child, *this);
    }
}

int CInitLanguage::Init(const CString& baseDir) {
    m_strBaseDir = baseDir;
    ScanLanguageFiles();
    ScanSolutions();
    return 1;
}

void CInitLanguage::ScanLanguageFiles() {
    ForEachFound(m_strBaseDir + L"Language\\*.ini", false, [this](const CString& name) { AddLanguageFile(name); });
}

void CInitLanguage::AddLanguageFile(const CString& fileName) {
    const CString path = m_strBaseDir + L"Language\\" + fileName;
    std::unique_ptr<LANGUAGE_ENTRY> entry(new LANGUAGE_ENTRY());
    GetPrivateProfileStringW(L"Info", L"Language", L"", entry->name, 64, path);
    if (!entry->name[0]) return;
    GetPrivateProfileStringW(L"Info", L"Author", L"", entry->author, 64, path);
    lstrcpynW(entry->file, CString(L"Language\\") + fileName, 64);
    m_aLanguages.push_back(std::move(entry));
}

void CInitLanguage::ScanSolutions() {
    for (size_t i = 0; i < m_aLanguages.size(); ++i) {
        const LANGUAGE_ENTRY* language = m_aLanguages[i].get();
        CString pattern = m_strBaseDir + m_strSection + L"\\" + language->name + L"\\*";
        ForEachFound(pattern, true, [&](const CString& folder) { AddSolution(folder, language); });
    }
}

void CInitLanguage::AddSolution(const CString& folderName, const LANGUAGE_ENTRY* language) {
    const CString relative = m_strSection + L"\\" + language->name + L"\\" + folderName;
    if (GetFileAttributesW(m_strBaseDir + relative + L"\\Login_Config.ini") == INVALID_FILE_ATTRIBUTES) return;
    std::unique_ptr<SOLUTION_ENTRY> entry(new SOLUTION_ENTRY());
    lstrcpynW(entry->folder, relative, 128);
    lstrcpynW(entry->name, folderName, 64);
    lstrcpynW(entry->path, relative, 128);
    entry->language = language;
    m_aSolutions.push_back(std::move(entry));
}

BOOL CInitLanguage::SelectSolution() {
    const CString languageFile = GetLanguageFile();
    const CString ini = m_strBaseDir + (languageFile.IsEmpty() ? CString(L"SystemConfig.ini") : languageFile);
    wchar_t value[128] = {0};
    GetPrivateProfileStringW(m_strSection, L"Solution", L"", value, 128, ini);
    const CString solution(value);
    m_strLanguageName = solution.IsEmpty() ? CString(L"English") : solution.Mid(m_strSection.GetLength() + 1, 7);
    m_pCurSolution = nullptr;
    for (const auto& entry : m_aSolutions) {
        if (solution.CompareNoCase(entry->folder) == 0) {
            m_pCurSolution = entry.get();
            break;
        }
    }
    return m_pCurSolution ? TRUE : FALSE;
}

int CInitLanguage::GetLanguageIndex() const {
    static const wchar_t* const kNames[] = {L"Chinese", L"English", L"Spanish", L"U .S .A"};
    for (int i = 0; i < 4; ++i)
        if (m_strLanguageName.CompareNoCase(kNames[i]) == 0) return i;
    return 0;
}

CString CInitLanguage::GetLanguageName(int index) const {
    if (index < 0 || index >= GetLanguageCount()) return CString();
    return m_aLanguages[index]->name;
}

CString CInitLanguage::GetSolutionName() const { return m_pCurSolution ? CString(m_pCurSolution->name) : CString(); }

CString CInitLanguage::GetSolutionFolder() const { return m_pCurSolution ? CString(m_pCurSolution->path) : CString(); }

CString CInitLanguage::GetSolutionPath() const {
    return m_pCurSolution ? m_strBaseDir + m_pCurSolution->language->file : CString();
}

CInitLanguage* GetInitLanguage() {
    if (!g_initLanguage) g_initLanguage = new (std::nothrow) CInitLanguage();
    return g_initLanguage;
}

void DeleteInitLanguage() {
    delete g_initLanguage;
    g_initLanguage = nullptr;
}

void CInitLanguage::TranslateDialog(CWnd* dialog) const {
    if (!dialog || !dialog->GetSafeHwnd()) return;
    TranslateDialog(dialog->GetSafeHwnd(), [](HWND child) {
        CWnd* object = CWnd::FromHandlePermanent(child);
        return object ? CString(object->GetRuntimeClass()->m_lpszClassName) : CString(L"CWnd");
    });
}
