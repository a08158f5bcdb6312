// The running program on a folder where one stored file is damaged: it says
// which file could not be read, keeps that file aside byte for byte, and
// goes on with what could be read; the dialog that shows the store saves a
// whole file again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DamagedBytes.h"
#include "tests/app/ui/dialogs/ProgramFolder.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/core/CLogDB.h"
#include "app/core/CRecordListDB.h"
#include "app/core/CUserManager.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";
const DWORD kWaitMs = 40000;

void Click(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

std::string Narrow(const std::wstring& text) { return std::string(CStringA(text.c_str()).GetString()); }

// The bytes up to the marker (which must be there) and a few after it.
std::string CutInside(const std::string& bytes, const std::string& marker) {
    const size_t at = bytes.find(marker);
    EXPECT_NE(std::string::npos, at) << marker;
    return bytes.substr(0, at + 3);
}

class DamagedFilesProgramTest : public ::testing::Test {
protected:
    void SetUp() override { folder.UseAutomaticLogin(); }

    // Starts the program and waits for the message about the file: closes
    // other message boxes on the way. The text, "" when none came.
    std::wstring StartAndReadNotice(const std::wstring& name) {
        EXPECT_NE(nullptr, folder.Start());
        return WaitForBoxAbout(name);
    }
    std::wstring WaitForBoxAbout(const std::wstring& name) {
        std::wstring found;
        Eventually(
            [&] {
                HWND box = FindDialog(folder.MainProcessId(), kProduct, true);
                if (!box) return false;
                const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
                if (Contains(text, L"could not be read") && Contains(text, name)) {
                    found = text;
                    if (const char* shots = std::getenv("DODAVOZI_SCREENSHOT_DIR"))
                        SaveWindowShot(box, std::wstring(CString(shots).GetString()) + L"\\unreadable-file.bmp");
                }
                CloseMessageBox(box);
                Sleep(300);  // the box closes before it is looked for again
                return !found.empty();
            },
            kWaitMs);
        return found;
    }
    HWND MainWindow() { return WaitDialog(folder.MainProcessId(), kProduct, false, kWaitMs); }
    HWND Open(HWND main, int command, const wchar_t* caption) {
        Click(main, command);
        return WaitDialog(folder.MainProcessId(), caption, false, kWaitMs);
    }
    bool RowsBecome(HWND dialog, int listId, int rows) {
        HWND list = GetDlgItem(dialog, listId);
        return Eventually([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == rows; }, kWaitMs);
    }
    bool Hidden(HWND dialog) {
        return Eventually([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kWaitMs);
    }

    // The one file kept aside for the name, with the text that names it in
    // the message.
    std::wstring KeptFile(const std::wstring& name) {
        const std::wstring pattern = folder.File(name + L".unreadable-*");
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return std::wstring();
        FindClose(search);
        return pattern.substr(0, pattern.find_last_of(L'\\') + 1) + found.cFileName;
    }
    void ExpectKeptAside(const std::wstring& name, const std::string& bytes, const std::wstring& notice) {
        const std::wstring kept = KeptFile(name);
        ASSERT_FALSE(kept.empty()) << "no kept copy of " << Narrow(name);
        EXPECT_EQ(bytes, ReadWholeFile(kept)) << "kept byte for byte";
        EXPECT_TRUE(Contains(notice, kept.substr(kept.find_last_of(L'\\') + 1))) << Narrow(notice);
    }

    // Writes the damaged file, starts the program and sees it told and kept.
    void StartOnDamaged(const std::wstring& name, const std::string& damaged) {
        ASSERT_TRUE(WriteWholeFile(folder.File(name), damaged));
        const std::wstring notice = StartAndReadNotice(name.substr(name.find_last_of(L'\\') + 1));
        ASSERT_FALSE(notice.empty()) << "no word of the damaged " << Narrow(name);
        ExpectKeptAside(name, damaged, notice);
    }
    // The dialog that shows a store, opened from the main window.
    struct STORE_DIALOG {
        int command;
        const wchar_t* caption;
        int listId;
        int okId;
        bool confirms;  // OK asks in a message box
    };
    // Opens the store's dialog from the main window, finds the rows kept
    // there and saves them with OK (confirmed in a message box when asked).
    void SaveThroughDialog(const STORE_DIALOG& store, int rows) {
        HWND main = MainWindow();
        ASSERT_NE(nullptr, main);
        HWND dialog = Open(main, store.command, store.caption);
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(RowsBecome(dialog, store.listId, rows)) << "the records before the damage are not shown";
        Click(dialog, store.okId);
        if (store.confirms) {
            HWND box = WaitDialog(folder.MainProcessId(), kProduct, true, kWaitMs);
            ASSERT_NE(nullptr, box);
            CloseMessageBox(box);
        }
        ASSERT_TRUE(Hidden(dialog));
    }
    // The file of three records cut inside the one holding the marker (the
    // last): the program starts on it, tells of it and keeps it aside, and
    // the store's dialog saves the two records before the cut, the kept
    // file staying as it was.
    void CutStartAndSave(const std::wstring& name, const std::string& marker, const STORE_DIALOG& store) {
        const std::string damaged = CutInside(ReadWholeFile(folder.File(name)), marker);
        ASSERT_NO_FATAL_FAILURE(StartOnDamaged(name, damaged));
        ASSERT_NO_FATAL_FAILURE(SaveThroughDialog(store, 2));
        EXPECT_EQ(damaged, ReadWholeFile(KeptFile(name))) << "nothing of the kept file lost";
    }

    ProgramFolder folder;
};

DEVICE_RECORD Device(int id, const char* title) {
    DEVICE_RECORD device;
    device.id = id;
    CopyFixedText(device.title, title);
    CopyFixedText(device.ip, "127.0.0.1");
    device.port = 1;  // never answers: the logins retry quietly
    device.channelCount = 1;
    CopyFixedText(device.channels[0].name, "door");
    return device;
}

}  // namespace

TEST_F(DamagedFilesProgramTest, ACutDeviceListKeepsTheDevicesBeforeTheCut) {
    {
        CDeviceManager devices;
        for (const DEVICE_RECORD& device : {Device(1001, "gate"), Device(1002, "yard"), Device(1003, "shed")})
            devices.AddDeviceRecord(device);
        ASSERT_EQ(0, devices.WriteDeviceXml(folder.File(L"device.xml").c_str()));
    }
    // Two devices: the start did not ask for devices as if there were none.
    ASSERT_NO_FATAL_FAILURE(CutStartAndSave(
        L"device.xml", "shed", {ID_TW_DEVICE_MANAGE, L"Device Manage", IDC_DEVMANAGE_LIST, IDC_DEVMANAGE_OK, false}));

    CDeviceManager saved;
    EXPECT_EQ(0, saved.ReadDeviceXml(folder.File(L"device.xml").c_str()));
    EXPECT_EQ(2, saved.GetDeviceCount());
    EXPECT_STREQ("yard", saved.GetDevice(1002).title);
}

TEST_F(DamagedFilesProgramTest, ACutScheduleFileKeepsTheSchedulesBeforeTheCut) {
    folder.WriteOneDeviceList();
    {
        CBackupScheduleStore store;
        const TIME_RANGE window = {8, 0, 9, 0};
        const int everyDay[7] = {1, 1, 1, 1, 1, 1, 1};
        for (int channel = 0; channel < 3; ++channel)
            store.AddAutoFields(1001, channel, window, everyDay, channel, window);
        ASSERT_EQ(0, store.Save(folder.File(L"backupschedule.xml").c_str()));
    }
    ASSERT_NO_FATAL_FAILURE(
        CutStartAndSave(L"backupschedule.xml", "ChannelIndex=\"2\"",
                        {ID_TW_BACKUP_PROJECT, L"Backup Project", IDC_PROJECT_LIST, IDC_PROJECT_OK, true}));

    CBackupScheduleStore saved;
    EXPECT_EQ(0, saved.Load(folder.File(L"backupschedule.xml").c_str()));
    std::vector<BACKUP_SCHEDULE> schedules;
    saved.ListAuto(schedules);
    ASSERT_EQ(2u, schedules.size());
    EXPECT_EQ(1, schedules[1].ChannelIndex);
}

TEST_F(DamagedFilesProgramTest, ACutUsersFileKeepsTheUsersBeforeTheCut) {
    folder.WriteOneDeviceList();
    {
        CUserManager users;
        for (const wchar_t* id : {L"anna", L"bert", L"cleo"})
            users.AddUserFields(id, id, L"pw", L"Male", L"2000-01-01", L"", L"", folder.File(id).c_str(), L"1");
        ASSERT_EQ(0, users.Save(folder.File(L"UserInfo.XML").c_str()));
    }
    ASSERT_NO_FATAL_FAILURE(CutStartAndSave(
        L"UserInfo.XML", "id=\"cleo\"", {ID_TW_USER_MANAGE, L"User Manage", IDC_USERMAN_LIST, IDC_USERMAN_OK, false}));

    CUserManager saved;
    EXPECT_EQ(0, saved.LoadFile(folder.File(L"UserInfo.XML").c_str()));
    std::vector<USER_INFO> users;
    saved.ListUsers(CString(), users);
    ASSERT_EQ(2u, users.size());
    EXPECT_STREQ(L"bert", users[1].id);
}

TEST_F(DamagedFilesProgramTest, ARecordListWithADamagedPageIsToldAtStartAndSetAside) {
    folder.WriteOneDeviceList();
    {
        CRecordListDB db;
        ASSERT_EQ(1, db.Open(folder.File(L"RecordList.db").c_str()));
        ASSERT_EQ(0, db.CheckTable(0));
        const CTime start = CTime::GetCurrentTime() - CTimeSpan(0, 1, 0, 0);
        for (int i = 0; i < 300; ++i) {
            RECORD_LIST_ROW row;
            row.L_DevID = 1001;
            row.C_StartTime = (start + CTimeSpan(0, 0, 0, i)).Format(L"%Y-%m-%d %H:%M:%S");
            row.C_EndTime = (start + CTimeSpan(0, 0, 0, i + 1)).Format(L"%Y-%m-%d %H:%M:%S");
            row.C_Info.Format(L"row-%04d %0120d", i, i);
            row.C_FilePath = folder.File(L"none.duz").c_str();
            ASSERT_EQ(0, db.Insert(row));
        }
    }
    // A page in the middle, which no statement of the start reads: the
    // check of every page at the login's open finds it.
    const std::string damaged = DamagePageHolding(ReadWholeFile(folder.File(L"RecordList.db")), "row-0150");
    ASSERT_NO_FATAL_FAILURE(StartOnDamaged(L"RecordList.db", damaged));
    HWND main = MainWindow();
    ASSERT_NE(nullptr, main);
    ASSERT_NE(nullptr, Open(main, IDC_SKIN_MANAGE, L"Record Manage")) << "the program goes on";

    // It goes on with a new record list of the rows before the damage.
    CRecordListDB fresh;
    ASSERT_EQ(1, fresh.Open(folder.File(L"RecordList.db").c_str()));
    RECORD_LIST_ROWS rows;
    EXPECT_EQ(0, fresh.QueryAll(rows));
    EXPECT_FALSE(rows.empty());
    EXPECT_GE(150u, rows.size());
    EXPECT_EQ(damaged, ReadWholeFile(KeptFile(L"RecordList.db")));
}

TEST_F(DamagedFilesProgramTest, ALogMonthWithADamagedPageIsSetAsideAndTheLogGoesOn) {
    folder.WriteOneDeviceList();
    const CTime now = CTime::GetCurrentTime();
    const std::wstring name = std::wstring(now.Format(L"%Y_%m").GetString()) + L".db";
    const std::wstring monthFile = folder.File(L"Log\\" + name);
    {
        CLogDB log;
        log.SetDirectory(folder.File(L"Log\\").c_str());
        for (int i = 0; i < 300; ++i) {
            LOG_RECORD record;
            record.C_UpdateTime = now.GetTime();
            record.C_Information.Format(L"row-%04d %0120d", i, i);
            log.AddLog(record);
        }
    }  // waits for its writer
    // The login is the first entry of this start: the month is checked then.
    ASSERT_NO_FATAL_FAILURE(StartOnDamaged(L"Log\\" + name, DamagePageHolding(ReadWholeFile(monthFile), "row-0150")));
    HWND main = MainWindow();
    ASSERT_NE(nullptr, main);
    HWND logQuery = Open(main, IDC_SKIN_SEARCH, L"Log Query");
    ASSERT_NE(nullptr, logQuery);
    // The new month holds this start's login and the record of the file set aside.
    HWND list = GetDlgItem(logQuery, IDC_LOGQUERY_LIST);
    bool login = false, setAside = false;
    EXPECT_TRUE(Eventually(
        [&] {
            Click(main, IDC_MAIN_LOGQUERY);
            Sleep(300);
            for (const auto& row : ReadListView(list, folder.MainProcessId(), 6)) {
                login = login || row[3] == L"User Login";
                setAside = setAside || (row[3] == L"System Error" && Contains(row[4], name));
            }
            return login && setAside;
        },
        kWaitMs))
        << "login " << login << ", set aside " << setAside;
}
