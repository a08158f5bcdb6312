// Dodavozi.exe started on program folders whose settings file was deleted or
// damaged, driven as a user would: the window still works, no box is empty.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/ui/dialogs/ProgramFolder.h"
#include "TempDir.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";
// Bytes of no settings file, with a language count that is no number.
const char kGarbage[] = "\x8F\x01\xFF[Lang\xE9\r\nuage\x02=\x7F\x80\x81\r\n\0\0\x1A[Language]\r\nLanguageCount=zz\r\n";

// Logs the super user in through the login dialog; the main window, or
// null with the first box's text in boxText when a box came instead.
HWND LogInToMainWindow(ProgramFolder& folder, std::wstring& boxText) {
    const DWORD process = folder.MainProcessId();
    HWND login = nullptr;
    Eventually([&] {
        login = FindDialog(process, L"Login", false);
        return login != nullptr || FindDialog(process, L"", true) != nullptr;
    });
    if (!login) {
        boxText = L"<box> " + WindowText(FindDialog(process, L"", true));
        return nullptr;
    }
    SendMessageW(GetDlgItem(login, IDC_LOGIN_USER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"vorpl"));
    SendMessageW(GetDlgItem(login, IDC_LOGIN_PASSWORD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"vorpl"));
    PostMessageW(login, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND main = nullptr, box = nullptr;
    Eventually([&] {
        main = FindDialog(process, kProduct, false);
        box = FindDialog(process, L"", true);
        if (!box) box = FindDialog(process, L"System Prompt", true);
        return main != nullptr || box != nullptr;
    });
    if (box) boxText = CloseMessageBox(box);
    return main;
}

}  // namespace

TEST(StoredSettingsProgram, ADeletedOrDamagedSettingsFileGivesAWorkingWindow) {
    const struct {
        const char* name;
        bool deleted;
        std::string bytes;
    } damages[] = {
        {"deleted", true, ""},
        {"garbage", false, std::string(kGarbage, sizeof(kGarbage) - 1)},
        {"emptied", false, ""},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.name);
        ProgramFolder folder;
        folder.WriteOneDeviceList();
        const std::wstring settings = folder.File(L"VAD_Config.ini");
        if (damage.deleted) {
            ASSERT_TRUE(DeleteFileW(settings.c_str()));
        } else {
            ASSERT_TRUE(WriteWholeFile(settings, damage.bytes));
        }
        ASSERT_NE(nullptr, folder.Start());
        std::wstring boxText;
        HWND main = LogInToMainWindow(folder, boxText);
        ASSERT_NE(nullptr, main) << "a box came instead, its text " << boxText.size() << " characters";
        EXPECT_TRUE(boxText.empty());
        for (int id : {IDC_SKIN_DOWNLOAD, IDC_SKIN_MANAGE, IDC_SKIN_SEARCH, IDC_SKIN_SYSCONFIG, IDC_SKIN_EXIT}) {
            EXPECT_EQ(1u, VisibleChildren(main, id).size()) << id;
        }
        // The entries the window needs are in the file for the next start.
        wchar_t skin[64] = {0};
        GetPrivateProfileStringW(L"Language", L"SkinFileDir1", L"", skin, 64, settings.c_str());
        EXPECT_STREQ(L"Skin\\English", skin);
    }
}
