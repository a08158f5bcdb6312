// A login as the login dialog makes it, with the engine loading the user's
// data once the login is done: the devices, schedules and users of the
// user's own folder, in a program folder of its own.
#include <gtest/gtest.h>

#include <memory>

#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/engine/CBackupEngine.h"

namespace {

// A program folder whose users file holds "oper" with a folder of its own
// (one device, one schedule of it), and an engine made over it.
class BackupEngineLogin : public ::testing::Test {
protected:
    void SetUp() override {
        config = ResetAppConfig(CString(temp.Path().c_str()));
        ASSERT_TRUE(CreateDirectoryW(temp.File(L"oper").c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(temp.File(L"oper\\device.xml"),
                                   "<?xml version=\"1.0\" ?>\n<Organization grade=\"1\"><Device id=\"1001\" "
                                   "title=\"gate\" ip=\"127.0.0.1\" port=\"37777\" /></Organization>\n"));
        CBackupScheduleStore schedules;
        ASSERT_EQ(0, schedules.AddAuto(OneSchedule(1001)));
        ASSERT_EQ(0, schedules.Save(CString(temp.File(L"oper\\backupschedule.xml").c_str())));
        CUserManager users(config);
        USER_INFO oper;
        oper.id = L"oper";
        oper.psw = L"secret";
        oper.systemdir = L".\\oper";
        ASSERT_EQ(0, users.AddUser(oper));
        ASSERT_EQ(0, users.Save(config->m_strUsersFile));
        engine.reset(new CBackupEngine());
    }
    void TearDown() override {
        if (engine) engine->Shutdown();
        engine.reset();
        DeleteAppConfig();
        DeleteInitLanguage();
    }
    static BACKUP_SCHEDULE OneSchedule(int devId) {
        BACKUP_SCHEDULE schedule;
        schedule.DevID = devId;
        schedule.RunTime = {1, 0, 2, 0};
        schedule.WeekDayEnable[0] = 1;
        schedule.RecordTime = {1, 0, 2, 0};
        return schedule;
    }

    TempDir temp;
    CAppConfig* config = nullptr;
    std::unique_ptr<CBackupEngine> engine;
};

}  // namespace

TEST_F(BackupEngineLogin, TheUsersDataIsLoadedFromItsFolderEvenWhenPartOfItFails) {
    // The record list cannot be opened: a folder took its name.
    ASSERT_TRUE(CreateDirectoryW(temp.File(L"oper\\RecordList.db").c_str(), nullptr));
    // A user made in this session and never saved: the load reloads the file.
    USER_INFO unsaved;
    unsaved.id = L"unsaved";
    ASSERT_EQ(0, engine->Users().AddUser(unsaved));

    EXPECT_EQ(-1, LoginAndLoadUserData(engine->Users(), engine.get(), L"oper", L"wrong", TRUE));
    EXPECT_EQ(0, engine->Schedules().GetAutoCount()) << "a refused login loaded data";

    EXPECT_EQ(0, LoginAndLoadUserData(engine->Users(), engine.get(), L"oper", L"secret", TRUE));
    EXPECT_STREQ(L"oper", engine->Users().m_CurrentUser.id);
    EXPECT_STREQ(CString(temp.File(L"oper\\").c_str()), config->GetUserDir());
    std::vector<DEVICE_RECORD> devices;
    engine->GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    EXPECT_STREQ("gate", devices[0].title);
    EXPECT_EQ(1, engine->Schedules().GetAutoCount());
    EXPECT_EQ(-1, engine->Users().UserExists(L"unsaved")) << "the users were not reloaded from the file";
    EXPECT_EQ(0, engine->Users().UserExists(L"oper"));
}
