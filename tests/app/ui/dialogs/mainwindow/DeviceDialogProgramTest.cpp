// The device dialog that Dodavozi.exe opens by itself at start-up (no device
// yet), driven from outside while one of its own boxes is up.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/ui/dialogs/ProgramFolder.h"
#include "TempDir.h"
#include "app/ui/dialogs/resource.h"

namespace {

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetText(HWND dialog, int id, const wchar_t* text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

bool IsRunning(HANDLE process) {
    DWORD code = 0;
    return GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
}

// Every device list the program folder holds, its own and its users', run together.
std::string DeviceListsText(const ProgramFolder& folder) {
    std::string text = ReadWholeFile(folder.File(L"device.xml"));
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder.File(L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return text;
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            text += ReadWholeFile(folder.File(name + L"\\device.xml"));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return text;
}

}  // namespace

TEST(DeviceDialogProgram, OkOrCancelArrivingWhileItsBoxIsUpTakeEffectWhenItCloses) {
    for (const int command : {IDC_DEVMANAGE_OK, IDC_DEVMANAGE_CANCEL}) {
        SCOPED_TRACE(command == IDC_DEVMANAGE_OK ? "OK" : "Cancel");
        ProgramFolder folder;  // no device list: the dialog opens by itself
        folder.UseAutomaticLogin();
        ASSERT_NE(nullptr, folder.Start());
        const DWORD process = folder.MainProcessId();
        HWND ask = WaitDialog(process, L"Dodavozi", true);
        ASSERT_NE(nullptr, ask);
        EXPECT_EQ(L"Please add some device's informations!", CloseMessageBox(ask));
        HWND dialog = WaitDialog(process, L"Device Manage", false);
        ASSERT_NE(nullptr, dialog);

        // A recorder that refuses the login: nothing listens on port 1.
        Click(dialog, IDC_DEVMANAGE_ADD);
        ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_DEVMANAGE_IP)) != FALSE; }));
        SetText(dialog, IDC_DEVMANAGE_TITLE, L"gate");
        SetText(dialog, IDC_DEVMANAGE_IP, L"127.0.0.1");
        SetText(dialog, IDC_DEVMANAGE_PORT, L"1");
        for (int id : {IDC_DEVMANAGE_LOGINUSER, IDC_DEVMANAGE_PASSWORD, IDC_DEVMANAGE_CONFIRM})
            SetText(dialog, id, L"admin");
        Click(dialog, IDC_DEVMANAGE_ADD);
        HWND box = WaitDialog(process, L"Dodavozi", true);
        ASSERT_NE(nullptr, box);
        // The command reaches the dialog while its box is up.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, command)));
        Sleep(500);
        // Held until the box closes: nothing is saved or ended under it.
        EXPECT_EQ(std::string::npos, DeviceListsText(folder).find("gate"));
        EXPECT_TRUE(IsWindowVisible(dialog));
        const std::wstring text = CloseMessageBox(box);
        EXPECT_EQ(0u, text.find(L"Can not login the device")) << std::string(text.begin(), text.end());
        if (command == IDC_DEVMANAGE_OK) {
            // The device was kept: the start goes on to the main window.
            EXPECT_NE(nullptr, WaitDialog(process, L"Dodavozi", false));
            EXPECT_TRUE(IsRunning(folder.MainProcess()));
            EXPECT_NE(std::string::npos, DeviceListsText(folder).find("gate"));
        } else {
            // Nothing kept: the program ends in order, not by a fault.
            ASSERT_TRUE(ProgramFolder::WaitExit(folder.MainProcess()));
            DWORD code = 0;
            GetExitCodeProcess(folder.MainProcess(), &code);
            EXPECT_LT(code, 0x80000000u) << std::hex << code;
            EXPECT_EQ(std::string::npos, DeviceListsText(folder).find("gate"));
        }
    }
}
