// CInitLanguage: the process-wide translation service. The English text is
// the key: GetString looks it up in section [String] of the current language
// file and gives the key back when there is no translation. The file is read
// when it is chosen (when the configuration is read); a look-up never goes
// to disk.
#pragma once

#include <afxwin.h>

#include <functional>
#include <memory>
#include <vector>

#include "CIniDocument.h"
#include "common/CLock.h"

// One language file found under <base>\Language (texts cut to 63 characters).
struct LANGUAGE_ENTRY {
    wchar_t file[64];    // "Language\" + file name
    wchar_t name[64];    // [Info] Language
    wchar_t author[64];  // [Info] Author
};

// One interface solution: <section>\<language name>\<folder> holding a Login_Config.ini.
struct SOLUTION_ENTRY {
    wchar_t folder[128];
    wchar_t name[64];
    wchar_t path[128];
    const LANGUAGE_ENTRY* language;
};

class CInitLanguage {
public:
    CInitLanguage();
    virtual ~CInitLanguage();
    CInitLanguage(const CInitLanguage&) = delete;
    CInitLanguage& operator=(const CInitLanguage&) = delete;

    // Sets the language file (full path; "" means no translation) and reads
    // its translations, also when it is the file already set. Returns 1.
    int SetLanguageFile(const CString& path);
    CString GetLanguageFile() const;

    // The translation of the key (at most 299 characters), or the key itself
    // when no file is set or the key is missing or empty there. Any thread.
    CString GetString(const CString& key) const;

    // Tells the framework class name of a dialog's child ("CEdit", "CWnd"...).
    typedef std::function<CString(HWND child)> ClassNameOf;
    // Translates the dialog's caption (when not empty) and the text of each
    // direct child, except children whose framework class is exactly "CEdit"
    // or "CRerezedctrl1" (their text is data, not a label). Without a class
    // resolver every child counts as a plain "CWnd" and is translated.
    void TranslateDialog(HWND dialog, const ClassNameOf& classNameOf = ClassNameOf()) const;
    // The same for a framework dialog: a child's class is the run-time class
    // of its permanent framework object, "CWnd" when it has none.
    void TranslateDialog(CWnd* dialog) const;

    const CString& GetSection() const { return m_strSection; }
    void SetSection(const CString& section) { m_strSection = section; }

    // Scans <baseDir>Language\*.ini and the solution folders. Returns 1.
    int Init(const CString& baseDir);
    void ScanLanguageFiles();
    // Adds the file when its [Info] Language is not empty.
    void AddLanguageFile(const CString& fileName);
    void ScanSolutions();
    // Adds <section>\<language>\<folder> when it holds a Login_Config.ini.
    void AddSolution(const CString& folderName, const LANGUAGE_ENTRY* language);
    // Reads [<section>] Solution from the language file (or SystemConfig.ini
    // when none is set), sets the language name from it ("English" when
    // empty) and selects the solution of that folder. Returns TRUE when one
    // was found.
    BOOL SelectSolution();
    // "Chinese" 0, "English" 1, "Spanish" 2, "U .S .A" 3, anything else 0.
    int GetLanguageIndex() const;
    // The name of the entry, "" past the end.
    CString GetLanguageName(int index) const;
    int GetLanguageCount() const { return static_cast<int>(m_aLanguages.size()); }
    int GetSolutionCount() const { return static_cast<int>(m_aSolutions.size()); }
    const CString& GetBaseDir() const { return m_strBaseDir; }
    const CString& GetSelectedLanguageName() const { return m_strLanguageName; }
    // Of the selected solution; "" when none is selected.
    CString GetSolutionName() const;
    CString GetSolutionFolder() const;
    CString GetSolutionPath() const;

private:
    CString m_strBaseDir;
    CString m_strLanguageName;
    CString m_strSection;
    std::vector<std::unique_ptr<LANGUAGE_ENTRY>> m_aLanguages;
    std::vector<std::unique_ptr<SOLUTION_ENTRY>> m_aSolutions;
    const SOLUTION_ENTRY* m_pCurSolution = nullptr;
    mutable CLock m_fileLock;  // the UI thread replaces the file while workers translate
    CString m_strLanguageFile;
    // Null when no file is set. A list fill asks for thousands of words: each
    // is answered from memory.
    std::shared_ptr<const CIniDocument::CSectionIndex> m_translations;
};

// Returns the one object, made on the first call; null only when it cannot be allocated.
CInitLanguage* GetInitLanguage();
// Deletes the object when there is one; a later GetInitLanguage makes a fresh one.
void DeleteInitLanguage();
