#include "app/core/CInitLanguage.h"

#include <gtest/gtest.h>

#include <thread>

#include "TempDir.h"
#include "app/core/CAppConfig.h"

namespace {

class CInitLanguageTest : public ::testing::Test {
protected:
    TempDir dir;
    CString file{dir.File(L"French.ini").c_str()};
    CInitLanguage language;

    void Translate(const wchar_t* key, const wchar_t* value) {
        ASSERT_TRUE(WritePrivateProfileStringW(L"String", key, value, file));
    }
};

CString TextOf(HWND window) {
    wchar_t text[256] = {0};
    GetWindowTextW(window, text, 256);
    return text;
}

// A real dialog from an in-memory template: a caption, a button, a static
// text and an edit control.
class TemplateDialog {
public:
    explicit TemplateDialog(const wchar_t* caption) {
        Begin(caption, 4);
        Item(0x0080, 1, L"OK", BS_PUSHBUTTON, 10, 10);
        Item(0x0082, 100, L"Name", SS_LEFT, 10, 30);
        Item(0x0081, 101, L"OK", ES_LEFT | WS_BORDER, 10, 50);
        Item(0x0082, 102, L"", SS_LEFT, 10, 70);
        m_dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(m_words.data()),
                                              nullptr, Proc, 0);
    }
    ~TemplateDialog() { DestroyWindow(m_dialog); }
    HWND hwnd() const { return m_dialog; }
    HWND item(int id) const { return GetDlgItem(m_dialog, id); }

private:
    static INT_PTR CALLBACK Proc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }
    void Align() {
        while (m_words.size() % 2) m_words.push_back(0);
    }
    void Text(const wchar_t* text) {
        for (; *text; ++text) m_words.push_back(*text);
        m_words.push_back(0);
    }
    void Dword(DWORD v) {
        m_words.push_back(LOWORD(v));
        m_words.push_back(HIWORD(v));
    }
    void Begin(const wchar_t* caption, WORD items) {
        Dword(WS_POPUP | WS_CAPTION | DS_SETFONT);
        Dword(0);
        m_words.insert(m_words.end(), {items, 0, 0, 200, 100, 0, 0});
        Text(caption);
        m_words.push_back(8);
        Text(L"MS Shell Dlg");
    }
    void Item(WORD atom, WORD id, const wchar_t* text, DWORD style, short x, short y) {
        Align();
        Dword(WS_CHILD | WS_VISIBLE | style);
        Dword(0);
        m_words.insert(m_words.end(), {static_cast<WORD>(x), static_cast<WORD>(y), 80, 14, id, 0xFFFF, atom});
        Text(text);
        m_words.push_back(0);
    }
    std::vector<WORD> m_words;
    HWND m_dialog = nullptr;
};

}  // namespace

TEST_F(CInitLanguageTest, LookupFallsBackToTheKey) {
    Translate(L"Save succeed!", L"Enregistr\u00E9 !");
    Translate(L"Empty", L"");
    Translate(L"Long", CString(L'x', 400));
    EXPECT_STREQ(L"Save succeed!", language.GetString(L"Save succeed!"));  // no file yet
    EXPECT_EQ(1, language.SetLanguageFile(file));
    EXPECT_STREQ(L"Enregistr\u00E9 !", language.GetString(L"Save succeed!"));
    EXPECT_STREQ(L"Missing key", language.GetString(L"Missing key"));
    EXPECT_STREQ(L"Empty", language.GetString(L"Empty"));
    EXPECT_STREQ(L"", language.GetString(L""));
    EXPECT_EQ(299, language.GetString(L"Long").GetLength());
    language.SetLanguageFile(dir.File(L"absent.ini").c_str());
    EXPECT_STREQ(L"Save succeed!", language.GetString(L"Save succeed!"));
    EXPECT_STREQ(L"Interface", language.GetSection());
}

// A translator's file as the profile functions read it: names without case
// and blanks, the first of two equal names, quotes around a value.
TEST_F(CInitLanguageTest, TranslationsAreFoundAsTheProfileFunctionsFindThem) {
    const std::wstring text =
        L"\xFEFF; made by hand\r\n[Info]\r\nLanguage=Fran\u00E7ais\r\nAuthor=Ann\r\n"
        L"[ string ]\r\n  Stop  =  Arr\u00EAt \r\nSTOP=Halte\r\nquoted=\"  Oui \"\r\nbare line\r\n"
        L"; Start=commented out\r\n\r\n[Other]\r\nStart=wrong section\r\n[String]\r\nLater=second section\r\n";
    ASSERT_TRUE(WriteWholeFile(file.GetString(),
                               std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t))));
    language.SetLanguageFile(file);
    const struct {
        const wchar_t* key;
        const wchar_t* expected;
    } cases[] = {
        {L"Stop", L"Arr\u00EAt"},     {L"stop", L"Arr\u00EAt"}, {L" Stop ", L"Arr\u00EAt"}, {L"Quoted", L"  Oui "},
        {L"bare line", L"bare line"}, {L"Start", L"Start"},     {L"Language", L"Language"}, {L"Later", L"Later"},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.expected, language.GetString(c.key)) << "key \"" << c.key << "\"";
}

// The file is read when it is chosen: a list fill's thousands of look-ups
// never go to the disk, and choosing a file again (the same one too) shows
// what it holds now.
TEST_F(CInitLanguageTest, TheFileIsReadWhenChosenNotAtEachLookup) {
    Translate(L"Stop", L"Arr\u00EAt");
    language.SetLanguageFile(file);
    Translate(L"Stop", L"Halte");
    Translate(L"Start", L"D\u00E9marrer");
    EXPECT_STREQ(L"Arr\u00EAt", language.GetString(L"Stop"));
    EXPECT_STREQ(L"Start", language.GetString(L"Start"));

    language.SetLanguageFile(file);
    EXPECT_STREQ(L"Halte", language.GetString(L"Stop"));
    EXPECT_STREQ(L"D\u00E9marrer", language.GetString(L"Start"));

    ASSERT_TRUE(DeleteFileW(file));
    EXPECT_STREQ(L"Halte", language.GetString(L"Stop")) << "a file gone after it was read";
    language.SetLanguageFile(file);
    EXPECT_STREQ(L"Stop", language.GetString(L"Stop"));
}

TEST_F(CInitLanguageTest, LanguageChangeWhileOtherThreadsTranslate) {
    Translate(L"Stop", L"Arr\u00EAt");
    CString other = dir.File(L"Other.ini").c_str();
    ASSERT_TRUE(WritePrivateProfileStringW(L"String", L"Stop", L"Halt", other));
    language.SetLanguageFile(file);
    std::atomic<int> wrong{0};
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done) {
            CString text = language.GetString(L"Stop");
            if (text != L"Arr\u00EAt" && text != L"Halt") ++wrong;
        }
    });
    for (int i = 0; i < 300; ++i) language.SetLanguageFile(i % 2 ? file : other);
    done = true;
    reader.join();
    EXPECT_EQ(0, wrong.load());
}

TEST_F(CInitLanguageTest, TranslateDialogLabelsButNotEditData) {
    Translate(L"Device", L"Appareil");
    Translate(L"OK", L"D'accord");
    Translate(L"Name", L"Nom");
    language.SetLanguageFile(file);

    TemplateDialog dialog(L"Device");
    ASSERT_TRUE(dialog.hwnd());
    HWND edit = dialog.item(101);
    language.TranslateDialog(dialog.hwnd(), [&](HWND child) { return CString(child == edit ? L"CEdit" : L"CWnd"); });
    EXPECT_STREQ(L"Appareil", TextOf(dialog.hwnd()));
    EXPECT_STREQ(L"D'accord", TextOf(dialog.item(1)));
    EXPECT_STREQ(L"Nom", TextOf(dialog.item(100)));
    EXPECT_STREQ(L"OK", TextOf(edit));  // a bound edit keeps its data
    EXPECT_STREQ(L"", TextOf(dialog.item(102)));

    // Without framework objects every child is a plain window and is translated.
    TemplateDialog plain(L"");
    language.TranslateDialog(plain.hwnd());
    EXPECT_STREQ(L"", TextOf(plain.hwnd()));
    EXPECT_STREQ(L"D'accord", TextOf(plain.item(101)));

    // A framework dialog: the edit's framework object marks it as data.
    TemplateDialog framed(L"Device");
    CWnd dialogObject;
    CEdit editObject;
    ASSERT_TRUE(dialogObject.Attach(framed.hwnd()));
    ASSERT_TRUE(editObject.SubclassWindow(framed.item(101)));
    language.TranslateDialog(&dialogObject);
    EXPECT_STREQ(L"Appareil", TextOf(framed.hwnd()));
    EXPECT_STREQ(L"Nom", TextOf(framed.item(100)));
    EXPECT_STREQ(L"OK", TextOf(framed.item(101)));
    editObject.UnsubclassWindow();
    dialogObject.Detach();
}

// The program's way to another language: DefaultLanguage in VAD_Config.ini,
// taken when the configuration is made at start-up.
TEST(LanguageSwitchTest, TheLanguageChosenInTheSettingsTranslatesAfterTheNextStart) {
    TempDir dir;
    const CString programDir = (dir.Path() + L"\\").c_str(), settings = programDir + L"VAD_Config.ini";
    const wchar_t* const languages[][3] = {{L"1", L"Skin1", L"Arr\u00EAt"}, {L"2", L"Skin2", L"Halt"}};
    ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"LanguageCount", L"2", settings));
    for (const auto& language : languages) {
        const CString n = language[0], skin = language[1];
        ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"SkinFileDir" + n, skin, settings));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"LanguageFilePath" + n, L"Words.ini", settings));
        ASSERT_TRUE(CreateDirectoryW(programDir + skin, nullptr));
        ASSERT_TRUE(WritePrivateProfileStringW(L"String", L"Stop", language[2], programDir + skin + L"\\Words.ini"));
    }
    for (const auto& language : languages) {
        ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"DefaultLanguage", language[0], settings));
        { CAppConfig startUp(programDir); }
        EXPECT_STREQ(language[2], GetInitLanguage()->GetString(L"Stop")) << "language " << language[0];
    }
    DeleteInitLanguage();
}

TEST(InitLanguageSingletonTest, CreatedOnFirstUseAndDeletedOnce) {
    CInitLanguage* first = GetInitLanguage();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, GetInitLanguage());
    first->SetLanguageFile(L"C:\\x.ini");
    DeleteInitLanguage();
    DeleteInitLanguage();
    CInitLanguage* fresh = GetInitLanguage();
    ASSERT_NE(nullptr, fresh);
    EXPECT_STREQ(L"", fresh->GetLanguageFile());
    DeleteInitLanguage();
}

TEST(InitLanguageSolutionsTest, ScansLanguagesAndSelectsASolution) {
    TempDir dir;
    const CString base = (dir.Path() + L"\\").c_str();
    CreateDirectoryW(base + L"Language", nullptr);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Info", L"Language", L"English", base + L"Language\\en.ini"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Info", L"Author", L"Ann", base + L"Language\\en.ini"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Info", L"Author", L"Nobody", base + L"Language\\nameless.ini"));
    for (const wchar_t* folder :
         {L"Interface", L"Interface\\English", L"Interface\\English\\Blue", L"Interface\\English\\Red"})
        CreateDirectoryW(base + folder, nullptr);
    ASSERT_TRUE(WriteWholeFile(dir.File(L"Interface\\English\\Blue\\Login_Config.ini"), "[x]\r\n"));

    CInitLanguage language;
    EXPECT_EQ(1, language.Init(base));
    ASSERT_EQ(1, language.GetLanguageCount());  // a file without a language name is left out
    EXPECT_STREQ(L"English", language.GetLanguageName(0));
    EXPECT_STREQ(L"", language.GetLanguageName(1));
    ASSERT_EQ(1, language.GetSolutionCount());  // Red has no Login_Config.ini

    EXPECT_FALSE(language.SelectSolution());  // SystemConfig.ini names none
    EXPECT_STREQ(L"English", language.GetSelectedLanguageName());
    EXPECT_STREQ(L"", language.GetSolutionName());

    ASSERT_TRUE(
        WritePrivateProfileStringW(L"Interface", L"Solution", L"interface\\English\\BLUE", base + L"SystemConfig.ini"));
    EXPECT_TRUE(language.SelectSolution());
    EXPECT_EQ(1, language.GetLanguageIndex());
    EXPECT_STREQ(L"Blue", language.GetSolutionName());
    EXPECT_STREQ(L"Interface\\English\\Blue", language.GetSolutionFolder());
    EXPECT_STREQ(base + L"Language\\en.ini", language.GetSolutionPath());
}
