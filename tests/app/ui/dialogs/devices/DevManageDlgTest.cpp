// What OK makes of the edited lists: the users' files, the engine's list and
// its sessions, the schedules of deleted devices.
#include "DevManageDlgFixture.h"

TEST_F(DevManageDlgTest, AddedDeviceReadsItsChannelsAndReachesFileAndEngine) {
    AddThroughForm(L"gate", recorder->Port());
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_STREQ(L"gate", List().GetItemText(0, 1));
    const int workingId = static_cast<int>(List().GetItemData(0));
    EXPECT_EQ(3, dlg->SelectedList()->GetDevice(workingId).channelCount) << "channels read by the one-off login";
    EXPECT_EQ(0, dlg->SelectedList()->GetDevice(workingId).loggedIn);
    EXPECT_EQ(std::string::npos, DeviceFile().find("gate")) << "nothing stored before OK";

    CommitAndReopen();
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    EXPECT_STREQ("gate", devices[0].title);
    EXPECT_EQ(3, devices[0].channelCount);
    EXPECT_EQ(devices[0].id * 10000 + 2, devices[0].channels[2].channelId);
    EXPECT_NE(std::string::npos, DeviceFile().find("gate"));
    EXPECT_TRUE(queued.empty()) << "new devices log in through the engine's own triggers";
    EXPECT_FALSE(dlg->IsWindowVisible()) << "OK closes the dialog";
}

TEST_F(DevManageDlgTest, TheListOpensInReportViewWithItsColumnsLaidOutAndTheFocus) {
    // Keys go to the device rows, not to the user combo above them (whose
    // arrows would load another user's list).
    EXPECT_EQ(List().m_hWnd, ::GetFocus());

    const struct {
        const wchar_t* heading;
        int width;
    } columns[] = {{L"No.", 50},
                   {L"Title", 200},
                   {L"Desc", 180},
                   {L"Use DDNS", 80},
                   {L"DDNS IP", 120},
                   {L"DDNS Port", 80},
                   {L"DDNS Device Name", 120},
                   {L"IP", 120},
                   {L"Port", 80},
                   {L"Type", 120},
                   {L"Model", 120},
                   {L"UserID", 100}};
    EXPECT_EQ(static_cast<DWORD>(LVS_REPORT), List().GetStyle() & LVS_TYPEMASK);
    CHeaderCtrl* header = List().GetHeaderCtrl();
    ASSERT_NE(nullptr, header);
    EXPECT_TRUE(header->IsWindowVisible());
    ASSERT_EQ(12, header->GetItemCount());
    int left = 0;
    for (int i = 0; i < 12; ++i) {
        wchar_t text[64] = {};
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        ASSERT_TRUE(header->GetItem(i, &item));
        EXPECT_STREQ(columns[i].heading, text);
        CRect rect;
        ASSERT_TRUE(header->GetItemRect(i, &rect));
        EXPECT_EQ(left, rect.left) << "column " << i;
        EXPECT_EQ(columns[i].width, rect.Width()) << "column " << i;
        EXPECT_GT(rect.Height(), 0) << "column " << i;
        left += columns[i].width;
    }
}

TEST_F(DevManageDlgTest, RenamingKeepsTheSessionAndMovingDropsIt) {
    AddThroughForm(L"gate", recorder->Port());
    CommitAndReopen();
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    const int id = devices[0].id;
    ASSERT_GE(GetBackupEngine().LoginDevice(id), 0);
    const int handle = EngineDevice(id).loginHandle;
    ASSERT_NE(0, handle);

    // A new title only: same id, same session.
    UpdateRow(0, IDC_DEVMANAGE_TITLE, L"front gate");
    CommitAndReopen();
    DEVICE_RECORD renamed = EngineDevice(id);
    EXPECT_STREQ("front gate", renamed.title);
    EXPECT_EQ(1, renamed.loggedIn);
    EXPECT_EQ(handle, renamed.loginHandle);
    EXPECT_TRUE(queued.empty());

    // Another address is another device: the old one is logged out and
    // removed, the new one gets a new id and logs in at its own address.
    CSimRecorder* other = StartRecorder("admin");
    CString port;
    port.Format(L"%u", other->Port());
    UpdateRow(0, IDC_DEVMANAGE_PORT, port);
    CommitAndReopen();
    EXPECT_EQ(0, EngineDevice(id).id);
    GetBackupEngine().GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    const int movedId = devices[0].id;
    EXPECT_NE(id, movedId);
    EXPECT_EQ(other->Port(), devices[0].port);
    EXPECT_EQ(0, devices[0].loggedIn);
    std::vector<DEVICE_RECORD> loggedIn;
    EXPECT_EQ(-1, GetBackupEngine().GetLoggedInDevices(loggedIn)) << "the old session is closed";
    EXPECT_GE(GetBackupEngine().LoginDevice(movedId), 0);
}

TEST_F(DevManageDlgTest, NewCredentialsDropTheSessionAndQueueALogin) {
    AddThroughForm(L"gate", recorder->Port());
    CommitAndReopen();
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    const int id = devices[0].id;
    ASSERT_GE(GetBackupEngine().LoginDevice(id), 0);

    UpdateRow(0, IDC_DEVMANAGE_PASSWORD, L"other");
    CommitAndReopen();
    const DEVICE_RECORD changed = EngineDevice(id);
    EXPECT_EQ(id, changed.id);
    EXPECT_EQ(0, changed.loggedIn);
    EXPECT_STREQ("other", changed.password);
    EXPECT_EQ(std::vector<int>{id}, queued);
}

TEST_F(DevManageDlgTest, DeletingRemovesTheDeviceAndPurgesItsSchedules) {
    AddThroughForm(L"gate", recorder->Port());
    AddThroughForm(L"yard", recorder->Port() == 1 ? 2 : 1);
    CommitAndReopen();
    ASSERT_EQ(2, List().GetItemCount());
    const int gateId = static_cast<int>(List().GetItemData(0));
    const int yardId = static_cast<int>(List().GetItemData(1));
    EXPECT_EQ(gateId + 1, yardId) << "two new devices get consecutive ids";
    ASSERT_GE(GetBackupEngine().LoginDevice(gateId), 0);
    {
        CBackupScheduleStore schedules;
        BACKUP_SCHEDULE schedule;
        schedule.DevID = gateId;
        schedule.RunTime = {0, 0, 23, 59};
        schedules.AddAuto(schedule);
        schedule.DevID = yardId;
        schedules.AddAuto(schedule);
        ASSERT_EQ(0, schedules.Save(CString(temp.File(L"backupschedule.xml").c_str())));
    }

    // Delete stays disabled until a row is ticked; the header double-click ticks all.
    EXPECT_FALSE(dlg->GetDlgItem(IDC_DEVMANAGE_DELETE)->IsWindowEnabled());
    List().SetCheck(0, TRUE);
    EXPECT_EQ(1, dlg->GetCheckedCount());
    EXPECT_TRUE(dlg->GetDlgItem(IDC_DEVMANAGE_DELETE)->IsWindowEnabled());
    NMHEADERW doubleClick = {};
    doubleClick.hdr.hwndFrom = List().GetHeaderCtrl()->m_hWnd;
    doubleClick.hdr.code = HDN_ITEMDBLCLICKW;
    List().SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&doubleClick));
    EXPECT_EQ(2, dlg->GetCheckedCount());
    List().SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&doubleClick));
    EXPECT_EQ(0, dlg->GetCheckedCount());
    EXPECT_FALSE(dlg->GetDlgItem(IDC_DEVMANAGE_DELETE)->IsWindowEnabled());

    List().SetCheck(0, TRUE);
    Click(IDC_DEVMANAGE_DELETE);
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_STREQ(L"1", List().GetItemText(0, 0)) << "rows renumbered";
    EXPECT_EQ(gateId, EngineDevice(gateId).id) << "nothing leaves the engine before OK";
    CommitAndReopen();
    EXPECT_EQ(0, EngineDevice(gateId).id);
    EXPECT_EQ(yardId, EngineDevice(yardId).id);
    std::vector<DEVICE_RECORD> loggedIn;
    EXPECT_EQ(-1, GetBackupEngine().GetLoggedInDevices(loggedIn));
    CBackupScheduleStore schedules;
    schedules.Load(CString(temp.File(L"backupschedule.xml").c_str()));
    std::vector<BACKUP_SCHEDULE> left;
    schedules.ListAll(left, FALSE);
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(yardId, left[0].DevID);
}

TEST_F(DevManageDlgTest, DeletedAndAddedAgainAtTheSameAddressKeepsItsId) {
    AddThroughForm(L"gate", recorder->Port());
    CommitAndReopen();
    const int id = static_cast<int>(List().GetItemData(0));
    List().SetCheck(0, TRUE);
    Click(IDC_DEVMANAGE_DELETE);
    ASSERT_EQ(0, List().GetItemCount());
    AddThroughForm(L"gate again", recorder->Port());
    CommitAndReopen();
    const DEVICE_RECORD back = EngineDevice(id);
    EXPECT_EQ(id, back.id);
    EXPECT_STREQ("gate again", back.title);
}

TEST_F(DevManageDlgTest, OtherUsersListsGoToTheirOwnFilesNotTheEngine) {
    const std::wstring bobDir = temp.File(L"bob");
    ASSERT_TRUE(CreateDirectoryW(bobDir.c_str(), nullptr));
    USER_INFO bob;
    bob.id = L"bob";
    bob.name = L"Bob";
    bob.systemdir = bobDir.c_str();
    ASSERT_EQ(0, GetBackupEngine().Users().AddUser(bob));
    dlg->RefreshView();
    CComboBox* users = static_cast<CComboBox*>(dlg->GetDlgItem(IDC_DEVMANAGE_USER));
    ASSERT_EQ(2, users->GetCount());
    EXPECT_TRUE(users->IsWindowEnabled());
    CString text;
    users->GetLBText(1, text);
    EXPECT_STREQ(L"bob - Bob", text);

    SelectCombo(IDC_DEVMANAGE_USER, 1);
    AddThroughForm(L"bobs gate", recorder->Port());
    CommitAndReopen();
    EXPECT_NE(std::string::npos, ReadWholeFile(bobDir + L"\\device.xml").find("bobs gate"));
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    EXPECT_TRUE(devices.empty());
}

namespace {

// Log records of this month with the text, once every record written before
// the call has reached the file.
int CountLogged(const CString& text) {
    CLogDB& log = GetBackupEngine().Log();
    const CTime now = CTime::GetCurrentTime();
    CString marker;
    marker.Format(L"marker %u", GetTickCount());
    GetBackupEngine().AddLogRecord(0, 2, marker, CString(), 0, 0, 0, 0, now, now, now);
    int count = -1;
    WaitFor([&] {
        std::vector<LOG_RECORD> records;
        log.Query(records, now.GetYear(), now.GetMonth(), -1, -1, L"", GetDefaultLogTime(), GetDefaultLogTime(), 0, -1,
                  -1, -1, -1, -1);
        bool marked = false;
        count = 0;
        for (const LOG_RECORD& record : records) {
            marked = marked || record.C_Information == marker;
            count += record.C_Information == text;
        }
        return marked;
    });
    return count;
}

const wchar_t kSaveSucceeded[] = L"DeviceManage Save succeed!";

}  // namespace

TEST_F(DevManageDlgTest, OkNamesWhatCouldNotBeStartedOrWrittenAndLogsNoSuccess) {
    CSimRecorder* second = StartRecorder("admin");
    AddThroughForm(L"gate", recorder->Port());
    AddThroughForm(L"yard", second->Port());
    const int successes = CountLogged(kSaveSucceeded);

    // The engine takes one device only: the second is in the file but would not run.
    GetBackupEngine().Devices().SetMaxDeviceCount(1);
    CommitAndReopen();
    GetBackupEngine().Devices().SetMaxDeviceCount(50);
    EXPECT_NE(std::wstring::npos, boxes.Last().find(L"These devices could not be started:\r\nyard"))
        << Narrow(boxes.Last().c_str());
    EXPECT_NE(std::string::npos, DeviceFile().find("yard"));
    EXPECT_EQ(successes, CountLogged(kSaveSucceeded));

    // A device file that cannot be replaced (a folder stands in its place).
    ASSERT_TRUE(DeleteFileW(temp.File(L"device.xml").c_str()));
    ASSERT_TRUE(CreateDirectoryW(temp.File(L"device.xml").c_str(), nullptr));
    boxes.Clear();
    CommitAndReopen();
    const std::wstring told = boxes.Last();
    EXPECT_NE(std::wstring::npos, told.find(L"Save device information failed!")) << Narrow(told.c_str());
    EXPECT_NE(std::wstring::npos, told.find(temp.File(L"device.xml"))) << Narrow(told.c_str());
    EXPECT_EQ(successes, CountLogged(kSaveSucceeded));
    RemoveDirectoryW(temp.File(L"device.xml").c_str());

    CommitAndReopen();
    EXPECT_EQ(successes + 1, CountLogged(kSaveSucceeded)) << "a commit that did everything is logged";
}

TEST_F(DevManageDlgTest, EntriesOfOneFileShareOneListAndNeitherOverwritesTheOther) {
    USER_INFO twin;
    twin.id = L"ADMIN2";
    twin.name = L"Twin";
    twin.systemdir = temp.Path().c_str();  // the super user's own folder
    ASSERT_EQ(0, GetBackupEngine().Users().AddUser(twin));
    dlg->RefreshView();
    ASSERT_EQ(2, static_cast<CComboBox*>(dlg->GetDlgItem(IDC_DEVMANAGE_USER))->GetCount());

    AddThroughForm(L"gate", recorder->Port());
    SelectCombo(IDC_DEVMANAGE_USER, 1);
    EXPECT_EQ(1, List().GetItemCount()) << "the other entry of the same file shows the same list";
    CommitAndReopen();
    EXPECT_NE(std::string::npos, DeviceFile().find("gate")) << "an unchanged twin list wrote over the file";
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    EXPECT_EQ(1u, devices.size());
}

namespace {

std::string ListOf(int count) {
    std::string devices;
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(1001 + i);
        devices += "<Device id=\"" + id + "\" title=\"dev" + id + "\" ip=\"192.0.2.1\" port=\"" +
                   std::to_string(30000 + i) + "\" />";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<Organization grade=\"1\">" + devices +
           "</Organization>\n";
}

size_t DevicesIn(const std::string& text) {
    size_t count = 0;
    for (size_t at = text.find("<Device "); at != std::string::npos; at = text.find("<Device ", at + 1)) ++count;
    return count;
}

}  // namespace

TEST_F(DevManageDlgTest, AListPastTheMaximumIsToldAndKeepsEveryDeviceOnOk) {
    ASSERT_TRUE(WriteWholeFile(temp.File(L"device.xml"), ListOf(60)));
    GetBackupEngine().Devices().SetMaxDeviceCount(50);
    GetBackupEngine().Devices().OpenDeviceFile(GetAppConfig()->m_strDeviceFile);
    dlg->DestroyWindow();
    boxes.Clear();
    ASSERT_TRUE(dlg->Create(IDD_DEVMANAGE, nullptr));
    EXPECT_TRUE(WaitFor([this] {
        for (const std::wstring& text : boxes.Texts())
            if (text.find(L"10 devices of ") == 0) return true;
        return false;
    })) << Narrow(boxes.Last().c_str());
    EXPECT_EQ(50, List().GetItemCount());

    SelectRow(0);
    List().SetCheck(0, TRUE);
    Click(IDC_DEVMANAGE_DELETE);
    CommitAndReopen();
    EXPECT_EQ(59u, DevicesIn(DeviceFile())) << "only the device deleted left the file";
    EXPECT_NE(std::string::npos, DeviceFile().find("dev1060"));
}

TEST_F(DevManageDlgTest, AReadOnlyListIsReportedAndKeptOnOk) {
    ASSERT_TRUE(WriteWholeFile(temp.File(L"device.xml"), ListOf(1)));
    GetBackupEngine().Devices().OpenDeviceFile(GetAppConfig()->m_strDeviceFile);
    dlg->RefreshView();
    const std::string stored = DeviceFile();
    ASSERT_TRUE(SetFileAttributesW(temp.File(L"device.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    AddThroughForm(L"gate", recorder->Port());
    boxes.Clear();
    Click(IDC_DEVMANAGE_OK);
    SetFileAttributesW(temp.File(L"device.xml").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(WaitFor([this] {
        for (const std::wstring& text : boxes.Texts())
            if (text.find(L"Save device information failed!") == 0) return true;
        return false;
    })) << Narrow(boxes.Last().c_str());
    EXPECT_EQ(stored, DeviceFile());
}
