// Language files written for a test and chosen through the program's own
// language table; the language chosen before comes back at the end.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "app/core/CInitLanguage.h"

class LanguageChoice {
public:
    using Words = std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>;

    LanguageChoice() : m_before(GetInitLanguage()->GetLanguageFile()) {}
    ~LanguageChoice() { GetInitLanguage()->SetLanguageFile(m_before); }
    LanguageChoice(const LanguageChoice&) = delete;
    LanguageChoice& operator=(const LanguageChoice&) = delete;

    // Writes the translations into the file's [String] section; false when
    // one could not be written.
    static bool Write(const std::wstring& file, Words words) {
        for (const auto& word : words) {
            if (!::WritePrivateProfileStringW(L"String", word.first, word.second, file.c_str())) return false;
        }
        return true;
    }
    static void Choose(const std::wstring& file) { GetInitLanguage()->SetLanguageFile(CString(file.c_str())); }

private:
    CString m_before;
};
