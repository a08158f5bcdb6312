// The operator's backup from a fresh program folder to files on disk, all
// through the running Dodavozi.exe's own windows: the device added in the
// device dialog the first start asks for, a save directory chosen in the
// options (the directory itself is in the settings), a schedule due now made in the schedule list and editor,
// automatic download started, a manual download of yesterday for two
// channels, and the orderly stop and exit.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <algorithm>

#include "tests/app/ui/dialogs/ProgramFolder.h"

#include "TempDir.h"
#include "app/core/CRecordListDB.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"
#include "standins/qvnetsdk/SdkWire.h"
#include "standins/streamfmt/StreamFormat.h"
#include "TwoDayRecordings.h"
#include "tools/simrecorder/CSimRecorder.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";
const int kChannels = 2;

void Click(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void SetText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Picks a combo box item as the user's choice in the list would.
void Choose(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::string Narrow(const std::wstring& text) { return std::string(CStringA(text.c_str()).GetString()); }

CString StartText(const RECORD_FILE_DESC& file) {
    CString text;
    text.Format(L"%04u-%02u-%02u %02u:%02u:%02u", file.start.year, file.start.month, file.start.day, file.start.hour,
                file.start.minute, file.start.second);
    return text;
}

class OperatorBackupProgramTest : public ::testing::Test {
protected:
    // Two channels with ten-minute files from 01:00 to 01:30 yesterday and
    // today.
    void SetUp() override {
        recorder.reset(new CSimRecorder(TwoDayRecordings(kChannels)));
        ASSERT_TRUE(recorder->Start());
        saveDir = folder.File(L"save");
        CreateDirectoryW(saveDir.c_str(), nullptr);
        folder.SetUserSetting(L"Login_Info", L"VAD_DriverPathCount", L"1");
        folder.SetUserSetting(L"Login_Info", L"VAD_DriverPathType1", saveDir);
        folder.UseAutomaticLogin();
    }

    HWND Wait(const wchar_t* caption) { return WaitDialog(folder.MainProcessId(), caption, false, 40000); }
    std::wstring CloseBox() {
        HWND box = WaitDialog(folder.MainProcessId(), kProduct, true, 40000);
        return box ? CloseMessageBox(box) : L"(no message box)";
    }
    bool Hidden(HWND dialog) {
        return Eventually([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 20000);
    }

    // From the first start to a backup at work: the device asked for, the
    // save directory confirmed, a schedule due now, and Download pressed.
    // The main window; null when the program or its window did not come.
    HWND StartBackupDueNow() {
        if (!folder.Start()) {
            ADD_FAILURE() << "the program did not start";
            return nullptr;
        }
        EXPECT_EQ(L"Please add some device's informations!", CloseBox());
        AddDeviceAtFirstStart();
        HWND main = Wait(kProduct);
        if (!main) return nullptr;
        ConfirmSaveDirectory(main);
        AddScheduleDueNow(main);
        Click(main, IDC_SKIN_DOWNLOAD);
        return main;
    }

    // The first start has no device: the program asks for one and opens
    // the device dialog, where it is entered like a user would.
    void AddDeviceAtFirstStart() {
        HWND devices = Wait(L"Device Manage");
        ASSERT_NE(nullptr, devices);
        // Sent, not posted: the form opens before the fields are typed in.
        SendMessageW(devices, WM_COMMAND, MAKEWPARAM(IDC_DEVMANAGE_ADD, BN_CLICKED), 0);
        SetText(devices, IDC_DEVMANAGE_TITLE, L"Gate");
        SetText(devices, IDC_DEVMANAGE_IP, L"127.0.0.1");
        SetText(devices, IDC_DEVMANAGE_PORT, std::to_wstring(recorder->Port()));
        SetText(devices, IDC_DEVMANAGE_LOGINUSER, L"admin");
        SetText(devices, IDC_DEVMANAGE_PASSWORD, L"admin");
        SetText(devices, IDC_DEVMANAGE_CONFIRM, L"admin");
        Click(devices, IDC_DEVMANAGE_ADD);
        HWND list = GetDlgItem(devices, IDC_DEVMANAGE_LIST);
        ASSERT_TRUE(Eventually([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; }, 40000));
        Click(devices, IDC_DEVMANAGE_OK);
    }

    // The options show the save directory and take the free-space limit.
    void ConfirmSaveDirectory(HWND main) {
        Click(main, ID_TW_OPTION);
        HWND options = Wait(L"Option");
        ASSERT_NE(nullptr, options);
        HWND dirs = GetDlgItem(options, IDC_SYSCFG_DIR_LIST);
        ASSERT_TRUE(Eventually([&] { return SendMessageW(dirs, LVM_GETITEMCOUNT, 0, 0) == 1; }))
            << "the chosen folder is not listed";
        const std::wstring listed = ReadListView(dirs, folder.MainProcessId(), 1).at(0).at(0);
        EXPECT_EQ(0u, listed.find(saveDir)) << Narrow(listed);
        SetText(options, IDC_SYSCFG_FREE_LIMIT, L"600");
        Click(options, IDOK);
        ASSERT_TRUE(Hidden(options));
    }

    // A new schedule keeps the editor's defaults: every weekday, run all
    // day, yesterday's whole day: due now.
    void AddScheduleDueNow(HWND main) {
        Click(main, ID_TW_BACKUP_PROJECT);
        HWND schedules = Wait(L"Backup Project");
        ASSERT_NE(nullptr, schedules);
        Click(schedules, IDC_PROJECT_ADD);
        HWND editor = Wait(L"Backup Project Edit");
        ASSERT_NE(nullptr, editor);
        EXPECT_EQ(1, SendMessageW(GetDlgItem(editor, IDC_PROJEDIT_AGO), CB_GETCURSEL, 0, 0));
        Click(editor, IDOK);
        HWND list = GetDlgItem(schedules, IDC_PROJECT_LIST);
        ASSERT_TRUE(Eventually([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; }));
        Click(schedules, IDC_PROJECT_OK);
        EXPECT_EQ(L"If backup schedule is changed,schedule will be affect in next start schedule.", CloseBox());
        ASSERT_TRUE(Hidden(schedules));
    }

    // One manual task per channel, yesterday 00:00 to 23:59 as offered.
    void AddManualDownload(HWND main, int channel) {
        Click(main, ID_TW_MANUAL_DOWNLOAD);
        HWND manual = Wait(L"New Manual Download Task");
        ASSERT_NE(nullptr, manual);
        Choose(manual, IDC_MANUAL_CHANNEL, channel);
        Click(manual, IDC_MANUAL_OK);
        ASSERT_TRUE(Hidden(manual));
    }

    std::vector<RECORD_FILE_DESC> FilesOf(int channel, int daysBack) {
        const CTime day = CTime::GetCurrentTime() - CTimeSpan(daysBack, 0, 0, 0);
        QVNET_TIME begin = {(uint32_t)day.GetYear(), (uint32_t)day.GetMonth(), (uint32_t)day.GetDay(), 0, 0, 0};
        QVNET_TIME end = begin;
        end.hour = 23;
        end.minute = 59;
        return recorder->Device().Catalogue().Query((uint32_t)channel, 0, qvwire::TimeToSeconds(begin),
                                                    qvwire::TimeToSeconds(end));
    }

    std::string GeneratorBytes(const RECORD_FILE_DESC& file) {
        streamfmt::StreamParams params;
        if (!recorder->Device().Catalogue().ParamsOfFile(file, params)) return std::string();
        const std::vector<uint8_t> bytes = streamfmt::BuildStream(params);
        return std::string(bytes.begin(), bytes.end());
    }

    ProgramFolder folder;
    std::wstring saveDir;
    std::unique_ptr<CSimRecorder> recorder;
};

}  // namespace

TEST_F(OperatorBackupProgramTest, FromAFreshFolderToVerifiedFilesAndAnOrderlyExit) {
    HWND main = StartBackupDueNow();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(Eventually([&] { return WindowText(GetDlgItem(main, IDC_MAIN_STARTSTOP_LABEL)) == L"Stop"; }, 40000));
    for (int channel = 0; channel < kChannels; ++channel) AddManualDownload(main, channel);

    // The task list shows both kinds of download at work.
    HWND taskList = GetDlgItem(main, IDC_MAIN_TASKLIST);
    bool sawAuto = false, sawManual = false;
    EXPECT_TRUE(Eventually(
        [&] {
            for (const auto& row : ReadListView(taskList, folder.MainProcessId(), 5)) {
                sawAuto = sawAuto || row[4].find(L"[Auto]") == 0;
                sawManual = sawManual || row[4].find(L"[Manual]") == 0;
            }
            return sawAuto && sawManual;
        },
        60000))
        << "auto " << sawAuto << ", manual " << sawManual;
    const std::wstring shot = ShotPath(L"backup-running.bmp");
    if (!shot.empty()) SaveWindowShot(main, shot);

    // Yesterday's files of both channels arrive once per file under the
    // download rule, with their rows in the record list.
    std::vector<RECORD_FILE_DESC> expected;
    for (int channel = 0; channel < kChannels; ++channel) {
        for (const RECORD_FILE_DESC& file : FilesOf(channel, 1)) expected.push_back(file);
    }
    ASSERT_EQ(6u, expected.size());
    CRecordListDB recordList;
    ASSERT_TRUE(Eventually([&] { return recordList.Open(CString(folder.File(L"RecordList.db").c_str())) == 1; }));
    RECORD_LIST_ROWS rows;
    // The last row of the file's channel and start (the automatic and the
    // manual download may both fetch it).
    auto rowOf = [&](const RECORD_FILE_DESC& file) -> const RECORD_LIST_ROW* {
        const CString start = StartText(file);
        const RECORD_LIST_ROW* found = nullptr;
        for (const RECORD_LIST_ROW& row : rows) {
            if (row.I_ChannelIndex == static_cast<int>(file.channel) && row.C_StartTime == start) found = &row;
        }
        return found;
    };
    EXPECT_TRUE(Eventually(
        [&] {
            rows.clear();
            if (recordList.QueryAll(rows) != 0) return false;
            for (const RECORD_FILE_DESC& file : expected) {
                if (!rowOf(file)) return false;
            }
            return true;
        },
        180000))
        << rows.size() << " rows";
    for (const RECORD_FILE_DESC& file : expected) {
        const RECORD_LIST_ROW* found = rowOf(file);
        ASSERT_NE(nullptr, found) << Narrow(StartText(file).GetString()) << " channel " << file.channel;
        const CString start = StartText(file);
        CString name;
        name.Format(L"%s%s%s%s%s%s_DownLoad.duz", start.Mid(0, 4).GetString(), start.Mid(5, 2).GetString(),
                    start.Mid(8, 2).GetString(), start.Mid(11, 2).GetString(), start.Mid(14, 2).GetString(),
                    start.Mid(17, 2).GetString());
        const std::wstring path = found->C_FilePath.GetString();
        EXPECT_EQ(0u, path.find(saveDir)) << Narrow(path);
        EXPECT_EQ(std::wstring(name.GetString()),
                  path.substr(path.size() - std::min<size_t>(path.size(), name.GetLength())))
            << Narrow(path);
        EXPECT_TRUE(ReadWholeFile(path) == GeneratorBytes(file)) << Narrow(path) << " differs from the recorder's";
    }

    // Automatic download is stopped from the tray menu, its first item.
    PostMessageW(main, WM_TW_TRAY_NOTIFY, ID_TW_TRAY_ICON, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(Eventually([&] { return (menu = FindPopupMenu(folder.MainProcessId())) != nullptr; }));
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYUP, VK_DOWN, 0xC0000000);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(Eventually(
        [&] {
            for (const auto& row : ReadListView(taskList, folder.MainProcessId(), 5)) {
                if (row[4].find(L"[Auto]") == 0) return false;
            }
            return true;
        },
        40000))
        << "automatic tasks still listed";
    Click(main, IDC_SKIN_EXIT);
    HWND confirm = Wait(L"Exit");
    ASSERT_NE(nullptr, confirm);
    Click(confirm, IDOK);
    EXPECT_TRUE(ProgramFolder::WaitExit(folder.MainProcess(), 60000)) << "the program did not end";
}

// A record list that takes no row (every insert refused, while the file
// opens and passes its table check) must not cost a downloaded recording:
// each stays in the save folder, and the schedule's row in the task list
// says how many wait for their row.
TEST_F(OperatorBackupProgramTest, RecordingsAreKeptWhenTheRecordListTakesNoRows) {
    {
        CRecordListDB made;
        ASSERT_EQ(1, made.Open(CString(folder.File(L"RecordList.db").c_str())));
        ASSERT_EQ(0, made.CheckTable(0));
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open16(folder.File(L"RecordList.db").c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db,
                                      "CREATE TRIGGER refuse_rows BEFORE INSERT ON D_RecordList "
                                      "BEGIN SELECT RAISE(FAIL, 'refused'); END;",
                                      nullptr, nullptr, nullptr));
    sqlite3_close(db);

    HWND main = StartBackupDueNow();
    ASSERT_NE(nullptr, main);

    HWND taskList = GetDlgItem(main, IDC_MAIN_TASKLIST);
    std::wstring status;
    EXPECT_TRUE(Eventually(
        [&] {
            for (const auto& row : ReadListView(taskList, folder.MainProcessId(), 5)) {
                if (row[4].find(L"[Auto]") == 0) status = row[4];
            }
            return status.find(L"[Not in record list:3]") != std::wstring::npos;
        },
        180000))
        << Narrow(status);
    const std::wstring shot = ShotPath(L"record-list-refused.bmp");
    if (!shot.empty()) SaveWindowShot(main, shot);

    // Yesterday's files of the schedule's channel are all on disk.
    const CString day = (CTime::GetCurrentTime() - CTimeSpan(1, 0, 0, 0)).Format(L"%Y-%m-%d");
    int kept = 0;
    for (int channel = 0; channel < kChannels; ++channel) {
        for (const RECORD_FILE_DESC& file : FilesOf(channel, 1)) {
            const CString start = StartText(file);
            CString path;
            path.Format(L"%s\\%s\\Gate\\%d\\Normal\\%s%s%s%s%s%s_DownLoad.duz", saveDir.c_str(), day.GetString(),
                        channel + 1, start.Mid(0, 4).GetString(), start.Mid(5, 2).GetString(),
                        start.Mid(8, 2).GetString(), start.Mid(11, 2).GetString(), start.Mid(14, 2).GetString(),
                        start.Mid(17, 2).GetString());
            if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) continue;
            ++kept;
            EXPECT_TRUE(ReadWholeFile(path.GetString()) == GeneratorBytes(file)) << Narrow(path.GetString());
        }
    }
    EXPECT_EQ(3, kept) << "downloaded recordings were thrown away";
}
