#include "app/core/CUserManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "SchedFixtures.h"
#include "TempDir.h"
#include "app/core/UnreadableFiles.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/CUserDataLoader.h"
#include "app/core/PasswordCoding.h"

namespace {

// Stands in for the engine after a login: counts the loads and runs what
// the test gives it.
struct DataLoader : CUserDataLoader {
    int loads = 0;
    std::function<int()> load = [] { return 0; };
    int LoadUserData() override {
        ++loads;
        return load();
    }
};

class CUserManagerTest : public ::testing::Test {
protected:
    TempDir dir;
    CString programDir{(dir.Path() + L"\\").c_str()};
    std::unique_ptr<CAppConfig> config{new CAppConfig(programDir)};
    std::unique_ptr<CUserManager> users{new CUserManager(config.get())};
    std::wstring file = dir.File(L"UserInfo.XML");
    CString path{file.c_str()};

    USER_INFO User(const wchar_t* id, const wchar_t* psw) {
        USER_INFO user;
        user.id = id;
        user.psw = psw;
        return user;
    }
    CString IniValue(const wchar_t* section, const wchar_t* key) {
        wchar_t value[256] = {0};
        GetPrivateProfileStringW(section, key, L"<none>", value, 256, programDir + L"VAD_Config.ini");
        return value;
    }
    void TearDown() override {
        users.reset();
        config.reset();
        DeleteInitLanguage();
    }
};

}  // namespace

TEST(UserInfoTest, DefaultsAndRights) {
    USER_INFO user;
    EXPECT_STREQ(L"male", user.sex);
    EXPECT_STREQ(L"2000-01-01", user.birthday);
    EXPECT_EQ(0, user.loggedIn);
    user.rights = FormatRights(5);
    EXPECT_STREQ(L"5", user.rights);
    EXPECT_EQ(-1, user.HasRight(1)) << "no id, no rights";
    user.id = L"anna";
    EXPECT_EQ(0, user.HasRight(1));
    EXPECT_EQ(0, user.HasRight(5));
    EXPECT_EQ(-1, user.HasRight(2));
    EXPECT_EQ(-1, user.HasRight(3));
    EXPECT_STREQ(L"2047", FormatRights(kAllRights));
}

TEST_F(CUserManagerTest, UsersFileRoundTripWithAnsiTexts) {
    USER_INFO jose = User(L"jos\u00e9", L"abc");
    jose.name = L"Jos\u00e9 M\u00fcller";
    jose.sex = L"Female";
    jose.birthday = L"1980-02-03";
    jose.role = L"operator";
    jose.information = L"caf\u00e9 & <night> \"shift\"";
    jose.systemdir = L".\\jos\u00e9";
    jose.rights = L"17";
    ASSERT_EQ(0, users->AddUser(jose));
    ASSERT_EQ(0, users->AddUser(User(L"bob", L"")));
    ASSERT_EQ(0, users->Save(path));

    const std::string bytes = ReadWholeFile(file);
    EXPECT_NE(std::string::npos, bytes.find("<Organization>"));
    // ANSI bytes under the UTF-8 declaration, as the file has always been.
    EXPECT_NE(std::string::npos, bytes.find("name=\"Jos\xE9 M\xFCller\""));
    EXPECT_NE(std::string::npos, bytes.find("<user id=\"bob\" psw=\"\" name=\"\" sex=\"male\" birthday=\"2000-01-01\" "
                                            "role=\"\" information=\"\" systemdir=\"\" rights=\"\" />"));
    const std::string coded(CStringA(EncodePassword(L"abc", 0)).GetString());
    EXPECT_EQ(12u, coded.size());
    EXPECT_NE(std::string::npos, bytes.find("psw=\"" + coded + "\""));
    EXPECT_EQ(std::string::npos, bytes.find("\"abc\""));

    CUserManager loaded(config.get());
    ASSERT_EQ(0, loaded.Load(path));
    std::vector<USER_INFO> all;
    ASSERT_EQ(0, loaded.ListUsers(CString(), all));
    ASSERT_EQ(2u, all.size());
    EXPECT_STREQ(L"bob", all[0].id);
    const USER_INFO& back = all[1];
    EXPECT_STREQ(jose.id, back.id);
    EXPECT_STREQ(L"abc", back.psw);
    EXPECT_STREQ(jose.name, back.name);
    EXPECT_STREQ(L"Female", back.sex);
    EXPECT_STREQ(L"1980-02-03", back.birthday);
    EXPECT_STREQ(L"operator", back.role);
    EXPECT_STREQ(jose.information, back.information);
    EXPECT_STREQ(jose.systemdir, back.systemdir);
    EXPECT_STREQ(L"17", back.rights);
    EXPECT_EQ(0, back.loggedIn);
}

TEST_F(CUserManagerTest, LoadOfHandWrittenFiles) {
    const struct {
        const char* name;
        const char* content;  // nullptr: no file
        int result;
        std::vector<const wchar_t*> ids;
    } cases[] = {
        {"missing", nullptr, 0, {}},
        {"empty", "", 0, {}},
        {"malformed (set aside)", "<Organization><user id=\"a\"", 1, {}},
        {"cut short in the third user (set aside, two kept)",
         "<Organization><user id=\"u1\" name=\"One\"/><user id=\"u2\"/><user id=\"u3\" na",
         1,
         {L"u1", L"u2"}},
        {"ANSI name under a UTF-8 declaration",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
         "<Organization><user id=\"Jos\xE9\" name=\"Jos\xE9\" /><user id=\"zoe\" /></Organization>",
         0,
         {L"Jos\u00e9", L"zoe"}},
        {"duplicates, no id, unknown elements",
         "<Organization><user id=\"a\" name=\"first\"/><group/><user id=\"a\" name=\"second\"/><user name=\"x\"/>"
         "</Organization><Organization><user id=\"b\"/></Organization><Other><user id=\"c\"/></Other>",
         0,
         {L"", L"a", L"b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(file.c_str());
        if (c.content) {
            ASSERT_TRUE(WriteWholeFile(file, c.content));
        }
        users->AddUser(User(L"stale", L""));  // replaced by every load
        TakeUnreadableFileNotices();
        EXPECT_EQ(c.result, users->LoadFile(path));
        // A file that does not parse is kept aside whole, and reported once.
        const std::vector<UNREADABLE_FILE> keptAside = TakeUnreadableFileNotices();
        ASSERT_EQ(c.result == 1 ? 1u : 0u, keptAside.size());
        if (c.result == 1) EXPECT_EQ(std::string(c.content), ReadWholeFile(keptAside[0].keptAs.GetString()));
        std::vector<USER_INFO> all;
        users->ListUsers(CString(), all);
        ASSERT_EQ(c.ids.size(), all.size());
        for (size_t i = 0; i < all.size(); ++i) EXPECT_STREQ(c.ids[i], all[i].id);
    }
    // The later element with the same id won; missing attributes keep the defaults.
    const USER_INFO a = users->FindUser(L"a");
    EXPECT_STREQ(L"second", a.name);
    EXPECT_STREQ(L"male", a.sex);
    EXPECT_STREQ(L"2000-01-01", a.birthday);
}

TEST_F(CUserManagerTest, LookupsAndEdits) {
    ASSERT_EQ(-1, users->Load(CString())) << "no path yet";
    ASSERT_EQ(0, users->AddUserFields(L"ann", L"Ann", L"pw", L"Female", L"1990-01-01", L"r", L"i", L"d", L"6"));
    EXPECT_EQ(-1, users->AddUserFields(L"ann", L"Other", L"", L"", L"", L"", L"", L"", L""));
    USER_INFO renamed = User(L"somebody-else", L"pw");
    renamed.loggedIn = 1;
    EXPECT_EQ(-1, users->AddUser(L"ann", renamed));
    EXPECT_STREQ(L"Ann", users->FindUser(L"ann").name) << "an existing user is left unchanged";
    ASSERT_EQ(0, users->AddUser(L"ben", renamed));
    EXPECT_STREQ(L"ben", users->FindUser(L"ben").id);
    EXPECT_EQ(0, users->FindUser(L"ben").loggedIn);

    EXPECT_EQ(0, users->UserExists(L"ann"));
    EXPECT_EQ(-1, users->UserExists(L"Ann")) << "ids are case-sensitive";
    EXPECT_EQ(-1, users->UserExists(CString()));
    EXPECT_STREQ(L"", users->FindUser(L"nobody").id);
    EXPECT_EQ(0, users->HasRight(L"ann", 4));
    EXPECT_EQ(-1, users->HasRight(L"ann", 1));
    EXPECT_EQ(-1, users->HasRight(L"nobody", 0));

    USER_INFO changed = users->FindUser(L"ann");
    changed.role = L"admin";
    changed.id = L"zed";
    EXPECT_EQ(0, users->UpdateUser(L"ann", changed));
    EXPECT_STREQ(L"admin", users->FindUser(L"ann").role);
    EXPECT_EQ(-1, users->UserExists(L"zed"));
    EXPECT_EQ(0, users->UpdateUser(L"nobody", changed));
    EXPECT_EQ(-1, users->UserExists(L"nobody"));

    std::vector<USER_INFO> one;
    EXPECT_EQ(0, users->ListUsers(L"ben", one));
    EXPECT_EQ(0, users->ListUsers(L"nobody", one));
    ASSERT_EQ(1u, one.size());
    EXPECT_STREQ(L"ben", one[0].id);

    EXPECT_EQ(-2, users->Save(CString())) << "no path at all";
    EXPECT_FALSE(PathExists(file));
    ASSERT_EQ(0, users->Clear());
    EXPECT_EQ(-1, users->UserExists(L"ann"));
}

TEST_F(CUserManagerTest, FailedSaveLeavesThePreviousFile) {
    ASSERT_EQ(0, users->AddUser(User(L"ann", L"pw")));
    ASSERT_EQ(0, users->Save(path));
    ASSERT_EQ(0, users->Load(path));
    const std::string previous = ReadWholeFile(file);
    users->Clear();

    ASSERT_TRUE(SetReadOnly(file, true));
    EXPECT_EQ(-3, users->Save(CString()));
    ASSERT_TRUE(SetReadOnly(file, false));
    EXPECT_EQ(previous, ReadWholeFile(file));
    EXPECT_FALSE(PathExists(file + L".tmp"));
    EXPECT_EQ(-3, users->Save(CString(dir.File(L"missing\\UserInfo.XML").c_str())));
}

TEST_F(CUserManagerTest, Login) {
    ASSERT_TRUE(WriteWholeFile(file, ""));
    ASSERT_EQ(0, users->Load(path));
    const CString super = config->m_strSuperUserID;
    const CString superPassword = config->m_strSuperUserPassword;
    ASSERT_EQ(0, users->AddUserFields(L"ann", L"Ann", L"Secret", L"", L"", L"", L"", L".\\ann", L"3"));

    const struct {
        const wchar_t* id;
        CString password;
        int result;
    } cases[] = {
        {L"", L"", -2},
        {L"nobody", L"x", -2},
        {L"ANN", L"Secret", -2},
        {L"ann", L"secret", -1},
        {L"ann", L"Secret ", -1},
        {L"ann", L"", -1},
        {super, superPassword + L"x", -1},
        {L"ann", L"Secret", 0},
        {super, superPassword, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, users->Login(c.id, c.password, FALSE)) << CStringA(c.id).GetString();
    }
    EXPECT_STREQ(L"", users->m_CurrentUser.id) << "apply 0 changes nothing";

    DataLoader loader;
    ASSERT_EQ(0, LoginAndLoadUserData(*users, &loader, L"ann", L"Secret", TRUE));
    EXPECT_STREQ(L"ann", users->m_CurrentUser.id);
    EXPECT_STREQ(L"Ann", users->m_CurrentUser.name);
    EXPECT_EQ(1, users->m_CurrentUser.loggedIn);
    EXPECT_EQ(1, loader.loads);
    EXPECT_STREQ(L"ann", config->m_strLoginUserName);
    EXPECT_STREQ(L"ann", IniValue(L"Login_Info", L"UserName"));
    // The configuration now points at the user's own folder.
    EXPECT_STREQ(programDir + L"ann\\", config->GetUserDir());
    EXPECT_STREQ(programDir + L"ann\\backupschedule.xml", config->GetScheduleFile());

    ASSERT_EQ(0, LoginAndLoadUserData(*users, &loader, super, superPassword, TRUE));
    EXPECT_STREQ(super, users->m_CurrentUser.id);
    EXPECT_STREQ(superPassword, users->m_CurrentUser.psw);
    EXPECT_STREQ(L"2047", users->m_CurrentUser.rights);
    EXPECT_EQ(0, users->m_CurrentUser.HasRight(kAllRights));
    EXPECT_EQ(-1, users->UserExists(super)) << "the super user is never in the map";
    EXPECT_STREQ(programDir, config->GetUserDir());
    EXPECT_EQ(2, loader.loads);
}

TEST_F(CUserManagerTest, TheUsersDataLoadsOnlyAfterAFinishedLogin) {
    ASSERT_EQ(0, users->AddUserFields(L"ann", L"Ann", L"Secret", L"", L"", L"", L"", L".\\ann", L"3"));
    ASSERT_EQ(0, users->Save(path));
    ASSERT_EQ(0, users->Load(path));

    // No load for a login that failed or only checked.
    const struct {
        const wchar_t* id;
        const wchar_t* password;
        BOOL apply;
        int result;
    } refused[] = {
        {L"ann", L"wrong", TRUE, -1},
        {L"nobody", L"Secret", TRUE, -2},
        {L"ann", L"Secret", FALSE, 0},
    };
    DataLoader loader;
    for (const auto& c : refused) {
        EXPECT_EQ(c.result, LoginAndLoadUserData(*users, &loader, c.id, c.password, c.apply)) << c.password;
        EXPECT_EQ(0, loader.loads) << c.password;
    }

    // The load reloads the users from the file, as the engine's does, and
    // fails; by then the login is whole, and it stands.
    USER_INFO seen;
    CString seenDir, seenRemembered;
    loader.load = [&] {
        seen = users->m_CurrentUser;
        seenDir = config->GetUserDir();
        seenRemembered = IniValue(L"Login_Info", L"UserName");
        users->Load(path);
        return -1;
    };
    ASSERT_EQ(0, users->AddUser(User(L"unsaved", L"x")));
    EXPECT_EQ(0, LoginAndLoadUserData(*users, &loader, L"ann", L"Secret", TRUE));
    EXPECT_EQ(1, loader.loads);
    EXPECT_STREQ(L"ann", seen.id);
    EXPECT_EQ(1, seen.loggedIn);
    EXPECT_STREQ(programDir + L"ann\\", seenDir);
    EXPECT_STREQ(L"ann", seenRemembered);
    EXPECT_STREQ(L"ann", users->m_CurrentUser.id) << "the failed load undid the login";
    EXPECT_EQ(-1, users->UserExists(L"unsaved")) << "the users were not reloaded";
    EXPECT_EQ(0, users->UserExists(L"ann"));

    // Without a loader the login alone is made.
    EXPECT_EQ(0, LoginAndLoadUserData(*users, nullptr, config->m_strSuperUserID, config->m_strSuperUserPassword, TRUE));
    EXPECT_STREQ(programDir, config->GetUserDir());
    EXPECT_EQ(1, loader.loads);
}

TEST_F(CUserManagerTest, ChangePasswordOfAUser) {
    ASSERT_EQ(0, users->AddUser(User(L"ann", L"old")));
    ASSERT_EQ(0, users->Save(path));
    ASSERT_EQ(0, users->Load(path));
    ASSERT_EQ(0, users->Login(L"ann", L"old", TRUE));

    EXPECT_EQ(-2, users->ChangePassword(L"nobody", L"old", L"new"));
    EXPECT_EQ(-2, users->ChangePassword(CString(), L"old", L"new"));
    EXPECT_EQ(-1, users->ChangePassword(L"ann", L"OLD", L"new"));
    // A character the ANSI code page lacks would be stored as "?".
    EXPECT_EQ(-4, users->ChangePassword(L"ann", L"old", L"pa\u4e2d"));
    EXPECT_FALSE(CUserManager::IsStorablePassword(L"\u0416"));
    EXPECT_TRUE(CUserManager::IsStorablePassword(L"caf\u00e9!"));
    EXPECT_TRUE(CUserManager::IsStorablePassword(L""));

    ASSERT_TRUE(SetReadOnly(file, true));
    EXPECT_EQ(-3, users->ChangePassword(L"ann", L"old", L"new"));
    ASSERT_TRUE(SetReadOnly(file, false));
    EXPECT_STREQ(L"old", users->FindUser(L"ann").psw) << "a password that was not saved is not kept";
    EXPECT_STREQ(L"old", users->m_CurrentUser.psw);

    EXPECT_EQ(0, users->ChangePassword(L"ann", L"old", L"caf\u00e9"));
    EXPECT_STREQ(L"caf\u00e9", users->m_CurrentUser.psw);
    CUserManager reloaded(config.get());
    ASSERT_EQ(0, reloaded.Load(path));
    EXPECT_EQ(0, reloaded.Login(L"ann", L"caf\u00e9", FALSE));
}

TEST_F(CUserManagerTest, ChangePasswordOfTheSuperUser) {
    const CString super = config->m_strSuperUserID;
    const CString old = config->m_strSuperUserPassword;
    ASSERT_EQ(0, users->Login(super, old, TRUE));

    EXPECT_EQ(-1, users->ChangePassword(super, old + L"x", L"next"));
    EXPECT_EQ(-4, users->ChangePassword(super, old, L"\u4e2d"));
    EXPECT_STREQ(old, config->m_strSuperUserPassword);

    ASSERT_EQ(0, users->ChangePassword(super, old, L"next"));
    EXPECT_STREQ(L"next", config->m_strSuperUserPassword);
    EXPECT_STREQ(L"next", users->m_CurrentUser.psw);
    EXPECT_STREQ(EncodePassword(L"next", 0), IniValue(L"Version_Info", L"SUser_PSW"));
    EXPECT_STREQ(super, IniValue(L"Version_Info", L"SUser_ID"));
    EXPECT_EQ(0, users->Login(super, L"next", FALSE));
    EXPECT_EQ(-1, users->Login(super, old, FALSE));

    // The main configuration file cannot be written (a folder took its
    // name): nothing changes.
    const std::wstring mainIni = Wide(programDir + L"VAD_Config.ini");
    ASSERT_TRUE(DeleteFileW(mainIni.c_str()));
    ASSERT_TRUE(CreateDirectoryW(mainIni.c_str(), nullptr));
    EXPECT_EQ(-3, users->ChangePassword(super, L"next", L"third"));
    ASSERT_TRUE(RemoveDirectoryW(mainIni.c_str()));
    EXPECT_STREQ(L"next", config->m_strSuperUserPassword);
    EXPECT_STREQ(L"next", users->m_CurrentUser.psw);
}
