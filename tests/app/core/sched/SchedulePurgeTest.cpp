// Removal of the schedules of deleted devices, on real device and schedule files.
#include "app/core/SchedulePurge.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "SchedFixtures.h"
#include "TempDir.h"
#include "app/core/UnreadableFiles.h"
#include "app/core/CAppConfig.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/core/CInitLanguage.h"
#include "app/core/CLiveDeviceLookup.h"
#include "app/core/CUserManager.h"
#include "app/core/DeviceListIds.h"

namespace {

std::string DeviceXml(std::initializer_list<int> ids) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<Organization grade=\"1\">\n";
    for (int id : ids)
        xml += "  <Device id=\"" + std::to_string(id) +
               "\" title=\"Cam\xE9ra\" ip=\"10.0.0.1\" port=\"37777\">"
               "<Channel num=\"1\" id=\"1\" title=\"K\xFC"
               "che\" camera=\"0\" /></Device>\n";
    return xml + "</Organization>\n";
}

// Writes a schedule file with one automatic schedule per device id and a
// manual one for the first id; returns the file's bytes.
std::string WriteSchedules(const std::wstring& file, std::initializer_list<int> devIds) {
    CBackupScheduleStore store;
    for (int devId : devIds) store.AddAuto(MakeSchedule(devId, 0, Range(1, 0, 2, 0), {1}));
    store.AddManual(MakeSchedule(*devIds.begin(), 0, Range(0, 0, 0, 0), {}));
    EXPECT_EQ(0, store.Save(CString(file.c_str())));
    return ReadWholeFile(file);
}

std::vector<int> DevicesIn(const std::wstring& scheduleFile) {
    CBackupScheduleStore store;
    EXPECT_EQ(0, store.Load(CString(scheduleFile.c_str())));
    std::vector<BACKUP_SCHEDULE> all;
    store.ListAll(all, TRUE);
    std::vector<int> devIds;
    for (const BACKUP_SCHEDULE& schedule : all) devIds.push_back(schedule.DevID);
    return devIds;
}

class SchedulePurgeTest : public ::testing::Test {
protected:
    TempDir dir;
    std::wstring scheduleFile = dir.File(L"backupschedule.xml");
    std::wstring deviceFile = dir.File(L"device.xml");

    void TearDown() override { DeleteInitLanguage(); }
};

// A device list held in memory with the devices of the ids.
struct LiveDevices : CLiveDeviceLookup {
    std::set<int> ids;
    LiveDevices(std::initializer_list<int> listed) : ids(listed) {}
    bool HasDevice(int devId) override { return ids.count(devId) != 0; }
};

}  // namespace

TEST_F(SchedulePurgeTest, RemovesAutomaticSchedulesOfDeletedDevices) {
    WriteSchedules(scheduleFile, {1002, 1001, 1002, 1003});
    CBackupScheduleStore store;
    ASSERT_EQ(0, store.Load(CString(scheduleFile.c_str())));
    ASSERT_EQ(0, store.AddManual(MakeSchedule(1002, 0, Range(0, 0, 0, 0), {})));

    // The device left the list after the schedules were loaded.
    ASSERT_TRUE(WriteWholeFile(deviceFile, DeviceXml({1001, 1003})));
    EXPECT_EQ(0, store.PurgeDeletedDevices(CString(deviceFile.c_str())));
    std::vector<BACKUP_SCHEDULE> all;
    store.ListAll(all, TRUE);
    EXPECT_EQ((std::vector<int>{2, 4, kManualScheduleIdBase + 1}), IdsOf(all));
    EXPECT_EQ(1002, all[2].DevID) << "manual schedules are not looked at";
    // The file was rewritten without them (manual ones are never read back).
    EXPECT_EQ((std::vector<int>{1001, 1003}), DevicesIn(scheduleFile));
}

TEST_F(SchedulePurgeTest, UnreadableDeviceListChangesNothing) {
    const struct {
        const char* name;
        const char* content;  // nullptr: no device.xml
    } cases[] = {
        {"missing device list", nullptr},
        {"empty device list", ""},
        {"broken device list", "<Organization><Device id=\"1001\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(deviceFile.c_str());
        if (c.content) {
            ASSERT_TRUE(WriteWholeFile(deviceFile, c.content));
        }
        const std::string before = WriteSchedules(scheduleFile, {1001, 1002});
        CBackupScheduleStore store;
        ASSERT_EQ(0, store.Load(CString(scheduleFile.c_str())));
        EXPECT_EQ(-1, store.PurgeDeletedDevices(CString(deviceFile.c_str())));
        EXPECT_EQ(0, store.ExistsAuto(1));
        EXPECT_EQ(0, store.ExistsAuto(2));
        EXPECT_EQ(before, ReadWholeFile(scheduleFile));
    }
}

TEST_F(SchedulePurgeTest, DeviceIdsOfTheWholeList) {
    // More devices than the configured maximum of 50, two Organization
    // elements, ANSI titles, and ids the registry renumbers.
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Organization grade=\"1\">\n";
    for (int id = 1001; id <= 1060; ++id) xml += "<Device id=\"" + std::to_string(id) + "\" title=\"Jos\xE9\" />\n";
    xml +=
        "</Organization>\n<Organization grade=\"1\"><Device id=\"7\" /><Device id=\"2000\" /><Device id=\"12\" />"
        "<Device title=\"no id\" /></Organization>\n";
    ASSERT_TRUE(WriteWholeFile(deviceFile, xml));
    std::set<int> ids{5};
    ASSERT_EQ(0, ReadDeviceListIds(CString(deviceFile.c_str()), ids));
    EXPECT_EQ(65u, ids.size());
    EXPECT_EQ(1u, ids.count(5)) << "added to what the set held";
    for (int id : {1001, 1060, 1061, 2000, 2001, 2002}) EXPECT_EQ(1u, ids.count(id)) << id;

    std::set<int> untouched{5};
    EXPECT_EQ(-1, ReadDeviceListIds(CString(dir.File(L"none.xml").c_str()), untouched));
    EXPECT_EQ(std::set<int>{5}, untouched);
}

TEST_F(SchedulePurgeTest, EmptyPathMeansTheLiveList) {
    WriteSchedules(scheduleFile, {1001, 1002});
    CBackupScheduleStore alone;
    ASSERT_EQ(0, alone.Load(CString(scheduleFile.c_str())));
    EXPECT_EQ(-1, alone.PurgeDeletedDevices(CString())) << "no live list given";
    EXPECT_EQ(0, alone.ExistsAuto(1));

    LiveDevices live{1002};
    CBackupScheduleStore store(&live);
    ASSERT_EQ(0, store.Load(CString(scheduleFile.c_str())));
    EXPECT_EQ(0, store.PurgeDeletedDevices(CString()));
    EXPECT_EQ(-1, store.ExistsAuto(1));
    EXPECT_EQ((std::vector<int>{1002}), DevicesIn(scheduleFile));
}

namespace {

// A program folder with its configuration, the super user's files and four
// users with folders of their own.
class UserSchedulePurgeTest : public SchedulePurgeTest {
protected:
    CString programDir{(dir.Path() + L"\\").c_str()};
    std::unique_ptr<CAppConfig> config{new CAppConfig(programDir)};
    std::unique_ptr<CUserManager> users{new CUserManager(config.get())};
    std::wstring absoluteDir = dir.File(L"elsewhere");

    void SetUp() override {
        CreateDirectoryW(dir.File(L"u1").c_str(), nullptr);
        CreateDirectoryW(dir.File(L"u3").c_str(), nullptr);
        CreateDirectoryW(dir.File(L"u4").c_str(), nullptr);
        CreateDirectoryW(absoluteDir.c_str(), nullptr);
        users->AddUserFields(L"u1", L"", L"p1", L"male", L"", L"", L"", L".\\u1", L"1");
        users->AddUserFields(L"u2", L"", L"p2", L"male", L"", L"", L"", CString(absoluteDir.c_str()), L"1");
        users->AddUserFields(L"u3", L"", L"p3", L"male", L"", L"", L"", L".\\u3", L"1");
        users->AddUserFields(L"u4", L"", L"p4", L"male", L"", L"", L"", L".\\u4", L"1");

        WriteSchedules(scheduleFile, {1001, 1002});
        ASSERT_TRUE(WriteWholeFile(deviceFile, DeviceXml({1001})));
        WriteSchedules(dir.File(L"u1\\backupschedule.xml"), {1001, 1002, 1003});
        ASSERT_TRUE(WriteWholeFile(dir.File(L"u1\\device.xml"), DeviceXml({1003})));
        WriteSchedules(absoluteDir + L"\\backupschedule.xml", {1001, 1002});
        ASSERT_TRUE(WriteWholeFile(absoluteDir + L"\\device.xml", DeviceXml({1002})));
        // u3's schedules do not parse, u4 has no device list.
        ASSERT_TRUE(WriteWholeFile(dir.File(L"u3\\backupschedule.xml"), "<AutoBackupSchedule><Backup"));
        ASSERT_TRUE(WriteWholeFile(dir.File(L"u3\\device.xml"), DeviceXml({1001})));
        WriteSchedules(dir.File(L"u4\\backupschedule.xml"), {1001, 1002});
    }
    void TearDown() override {
        users.reset();
        config.reset();
        SchedulePurgeTest::TearDown();
    }
};

}  // namespace

TEST_F(UserSchedulePurgeTest, SuperUserPurgesEveryUsersFiles) {
    ASSERT_EQ(0, users->Login(config->m_strSuperUserID, config->m_strSuperUserPassword, TRUE));
    const std::string u3Before = ReadWholeFile(dir.File(L"u3\\backupschedule.xml"));
    const std::string u4Before = ReadWholeFile(dir.File(L"u4\\backupschedule.xml"));

    TakeUnreadableFileNotices();
    EXPECT_EQ(0, PurgeUserSchedules(*users, config.get()));
    EXPECT_EQ((std::vector<int>{1001}), DevicesIn(scheduleFile));
    EXPECT_EQ((std::vector<int>{1003}), DevicesIn(dir.File(L"u1\\backupschedule.xml")));
    EXPECT_EQ((std::vector<int>{1002}), DevicesIn(absoluteDir + L"\\backupschedule.xml"));
    // u3's schedules that do not parse are kept aside as they were, not purged.
    const std::vector<UNREADABLE_FILE> keptAside = TakeUnreadableFileNotices();
    ASSERT_EQ(1u, keptAside.size());
    EXPECT_EQ(u3Before, ReadWholeFile(keptAside[0].keptAs.GetString()));
    EXPECT_EQ(u4Before, ReadWholeFile(dir.File(L"u4\\backupschedule.xml")));
}

TEST_F(UserSchedulePurgeTest, OtherUserPurgesOnlyItsOwnFiles) {
    ASSERT_EQ(0, users->Login(L"u1", L"p1", TRUE));
    const std::string superBefore = ReadWholeFile(scheduleFile);
    const std::string u2Before = ReadWholeFile(absoluteDir + L"\\backupschedule.xml");

    EXPECT_EQ(0, PurgeUserSchedules(*users, config.get()));
    EXPECT_EQ((std::vector<int>{1003}), DevicesIn(dir.File(L"u1\\backupschedule.xml")));
    EXPECT_EQ(superBefore, ReadWholeFile(scheduleFile));
    EXPECT_EQ(u2Before, ReadWholeFile(absoluteDir + L"\\backupschedule.xml"));
}
