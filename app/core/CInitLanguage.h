// CInitLanguage: the process-wide translation service. The English text is
// the key: GetString looks it up in section [String] of the current language
// file and gives the key back when there is no translation.
#pragma once

#include <afx.h>

#include <functional>

#include "CLock.h"

class CInitLanguage {
public:
    CInitLanguage();
    virtual ~CInitLanguage();
    CInitLanguage(const CInitLanguage&) = delete;
    CInitLanguage& operator=(const CInitLanguage&) = delete;

    // Sets the language file (full path; "" means no translation). Returns 1.
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

    const CString& GetSection() const { return m_strSection; }
    void SetSection(const CString& section) { m_strSection = section; }

private:
    CString m_strSection;
    mutable CLock m_fileLock;  // the UI thread replaces the path while workers translate
    CString m_strLanguageFile;
};

// Returns the one object, made on the first call; null only when it cannot be allocated.
CInitLanguage* GetInitLanguage();
// Deletes the object when there is one; a later GetInitLanguage makes a fresh one.
void DeleteInitLanguage();
