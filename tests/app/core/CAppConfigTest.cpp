#include "app/core/CAppConfig.h"

#include <gtest/gtest.h>

#include <map>

#include "TempDir.h"
#include "app/core/CInitLanguage.h"
#include "app/core/CUserDirLookup.h"
#include "app/core/PasswordCoding.h"
#include "app/core/RefusedValues.h"

namespace {

// The users' folders as the user manager would give them.
struct UserFolders : CUserDirLookup {
    std::map<CString, CString> dirs;
    UserFolders(std::initializer_list<std::pair<const CString, CString>> table) : dirs(table) {}
    CString FindUserDir(const CString& userId) override {
        auto found = dirs.find(userId);
        return found == dirs.end() ? CString() : found->second;
    }
};

class CAppConfigTest : public ::testing::Test {
protected:
    TempDir dir;
    CString programDir{(dir.Path() + L"\\").c_str()};
    CString mainIni{programDir + L"VAD_Config.ini"};
    CString userIni{programDir + L"UserLogin.ini"};

    void Main(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, mainIni));
    }
    void User(const wchar_t* key, const wchar_t* value, const wchar_t* section = L"Login_Info") {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, userIni));
    }
    CString Read(const CString& file, const wchar_t* section, const wchar_t* key) {
        wchar_t value[1024] = {0};
        GetPrivateProfileStringW(section, key, L"<none>", value, 1024, file);
        return value;
    }
    void TearDown() override { DeleteInitLanguage(); }
};

const wchar_t kEmptyRule[] = L"{RECTYPE}_{Y4}{M2}{D2}{H2}{m2}{S2}.Duz";

// A stored number setting and the value the configuration reads it as.
struct SETTING_CASE {
    bool mainFile;  // VAD_Config.ini, else UserLogin.ini
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
    int expected;
    int CAppConfig::*member;
    bool writtenBack;  // of a value out of range; else the file keeps the key as it was
};

// The file of the case in the program folder (ending in "\\"), written.
CString WriteSetting(const CString& folder, const SETTING_CASE& c) {
    const CString file = folder + (c.mainFile ? L"VAD_Config.ini" : L"UserLogin.ini");
    EXPECT_TRUE(WritePrivateProfileStringW(c.section, c.key, c.value, file));
    return file;
}

}  // namespace

TEST_F(CAppConfigTest, DefaultsWithoutAnyFile) {
    CAppConfig config(programDir);
    EXPECT_EQ(50, config.m_nDevMaxCount);
    EXPECT_EQ(38888, config.m_nListenPort);
    EXPECT_EQ(-1, config.m_nWndType);
    EXPECT_STREQ(L"195,229,242", config.m_strFocusColor);
    EXPECT_STREQ(L"255,255,255", config.m_strNormalColor);
    EXPECT_STREQ(L"217,214,197", config.m_strReadOnlyColor);
    EXPECT_STREQ(L"vorpl", config.m_strSuperUserID);
    EXPECT_STREQ(L"vorpl", config.m_strSuperUserPassword);
    // The shipped language and skin stand in, and the file gets them.
    EXPECT_EQ(1, config.m_nDefaultLanguage);
    EXPECT_EQ(1, config.m_nLanguageCount);
    EXPECT_STREQ(L"English", config.m_strLanguageName[0]);
    EXPECT_STREQ(programDir + L"Skin\\English", config.GetCurrentSkinDir());
    EXPECT_STREQ(L"Skin\\English", Read(mainIni, L"Language", L"SkinFileDir1"));
    EXPECT_STREQ(L"1", Read(mainIni, L"Language", L"LanguageCount"));
    EXPECT_STREQ(programDir, config.m_strModuleDir);
    EXPECT_STREQ(programDir, config.GetUserDir());
    EXPECT_STREQ(programDir, config.GetCapturePicDir());
    EXPECT_STREQ(programDir, config.GetSaveDirs());  // no ";" when it falls back
    EXPECT_TRUE(config.GetSaveDirList().empty());
    EXPECT_STREQ(L"{Y4}{M2}{D2}{H2}{m2}{S2}.duz", config.GetCapturePicNameRule());
    EXPECT_STREQ(L"{Y4}{M2}{D2}{H2}{m2}{S2}.duz", config.GetRecordNameRule());
    EXPECT_STREQ(L"{Y4}{M2}{D2}{H2}{m2}{S2}_DownLoad.duz", config.GetDownloadNameRule());
    EXPECT_EQ(500, config.m_nDriveFreeSpaceLimit);
    EXPECT_EQ(1, config.m_nMultiBackupDevCount);
    EXPECT_EQ(0, config.m_nAutoDeleteDay);
    EXPECT_TRUE(config.m_bPreviewPictureMode);
    EXPECT_FALSE(config.m_bAutoLogin);
    EXPECT_STREQ(programDir + L"device.xml", config.GetDeviceFile());
    EXPECT_STREQ(programDir + L"backupschedule.xml", config.GetScheduleFile());
    EXPECT_STREQ(programDir + L"RecordList.db", config.GetRecordListFile());
    EXPECT_STREQ(programDir + L"UserInfo.XML", config.m_strUsersFile);
}

TEST_F(CAppConfigTest, ClampsAtTheirEdges) {
    const SETTING_CASE cases[] = {
        {true, L"Version_Info", L"DevMaxCount", L"0", 50, &CAppConfig::m_nDevMaxCount},
        {true, L"Version_Info", L"DevMaxCount", L"-3", 50, &CAppConfig::m_nDevMaxCount},
        {true, L"Version_Info", L"DevMaxCount", L"2000", 2000, &CAppConfig::m_nDevMaxCount},
        {true, L"Version_Info", L"DevMaxCount", L"5000", 2000, &CAppConfig::m_nDevMaxCount},
        {false, L"Login_Info", L"VAD_MultiBackupDevCount", L"0", 1, &CAppConfig::m_nMultiBackupDevCount},
        {false, L"Login_Info", L"VAD_MultiBackupDevCount", L"20", 20, &CAppConfig::m_nMultiBackupDevCount},
        {false, L"Login_Info", L"VAD_MultiBackupDevCount", L"50", 20, &CAppConfig::m_nMultiBackupDevCount},
        {false, L"Login_Info", L"VAD_AutoDeleteDay", L"255", 0, &CAppConfig::m_nAutoDeleteDay},
        {false, L"Login_Info", L"VAD_AutoDeleteDay", L"-1", 0, &CAppConfig::m_nAutoDeleteDay},
        {false, L"Login_Info", L"VAD_AutoDeleteDay", L"254", 254, &CAppConfig::m_nAutoDeleteDay},
        {false, L"Login_Info", L"VAD_AutoDeleteDay", L"1", 1, &CAppConfig::m_nAutoDeleteDay},
        {false, L"ShortKey", L"ShortKeyCount", L"20", 15, &CAppConfig::m_nShortKeyCount},
        {false, L"ShortKey", L"ShortKeyCount", L"-4", 0, &CAppConfig::m_nShortKeyCount},
    };
    for (const auto& c : cases) {
        DeleteFileW(mainIni);
        DeleteFileW(userIni);
        WriteSetting(programDir, c);
        CAppConfig config(programDir);
        EXPECT_EQ(c.expected, config.*c.member) << c.key << "=" << c.value;
    }
    DeleteFileW(userIni);
    User(L"DriveFreeSpaceLimit", L"0");
    EXPECT_EQ(500, CAppConfig(programDir).m_nDriveFreeSpaceLimit);
    User(L"DriveFreeSpaceLimit", L"750");
    EXPECT_EQ(750, CAppConfig(programDir).m_nDriveFreeSpaceLimit);
}

TEST_F(CAppConfigTest, EmptyRulesAndDirectoriesDifferFromMissingOnes) {
    User(L"DownLoadFileNameRule", L"");
    User(L"RecordFileNameRule", L"");
    User(L"CapturePicFileNameRule", L"{Y4}.jpg");
    User(L"CapturePicDefalutDir", L"");
    User(L"VAD_DriverPathCount", L"3");
    User(L"VAD_DriverPathType1", (programDir + L"first").GetString());
    User(L"VAD_DriverPathType2", L"");
    User(L"VAD_DriverPathType3", (programDir + L"third\\deeper").GetString());
    CAppConfig config(programDir);
    EXPECT_STREQ(kEmptyRule, config.GetDownloadNameRule());
    EXPECT_STREQ(kEmptyRule, config.GetRecordNameRule());
    EXPECT_STREQ(L"{Y4}.jpg", config.GetCapturePicNameRule());
    EXPECT_STREQ(programDir, config.GetCapturePicDir());
    EXPECT_STREQ(programDir + L"first;" + programDir + L"third\\deeper;", config.GetSaveDirs());
    ASSERT_EQ(2u, config.GetSaveDirList().size());
    EXPECT_TRUE(PathExists(dir.File(L"first")));
    EXPECT_TRUE(PathExists(dir.File(L"third\\deeper")));

    // Two directories saved after three: count 2, the third key stays behind.
    config.SetSaveDirs({L"C:\\a", L"C:\\b"});
    EXPECT_STREQ(L"C:\\a;C:\\b;", config.GetSaveDirs());
    EXPECT_TRUE(config.SaveSettings());
    EXPECT_STREQ(L"2", Read(userIni, L"Login_Info", L"VAD_DriverPathCount"));
    EXPECT_STREQ(L"C:\\b", Read(userIni, L"Login_Info", L"VAD_DriverPathType2"));
    EXPECT_STREQ(programDir + L"third\\deeper", Read(userIni, L"Login_Info", L"VAD_DriverPathType3"));
}

TEST_F(CAppConfigTest, CorruptSaveDirectoryCountDoesNotStall) {
    User(L"VAD_DriverPathCount", L"2000000000");
    User(L"VAD_DriverPathType1", (programDir + L"only").GetString());
    CAppConfig config(programDir);
    EXPECT_STREQ(programDir + L"only;", config.GetSaveDirs());
}

TEST_F(CAppConfigTest, ShortKeysReadAndWriteBack) {
    User(L"ShortKeyCount", L"20", L"ShortKey");
    for (int n = 1; n <= 20; ++n) {
        CString name, key;
        name.Format(L"ShortKey_ItemName%d", n);
        key.Format(L"ShortKey_KeyValue%d", n);
        User(name, CString(L"item") + name.Right(2), L"ShortKey");
        User(key, n == 2 ? L"65601" : L"7", L"ShortKey");  // 65601 keeps its low 16 bits: 65
    }
    {
        CAppConfig config(programDir);
        ASSERT_EQ(15, config.m_nShortKeyCount);
        EXPECT_EQ(65, config.m_wShortKeyValue[1]);
        EXPECT_STREQ(L"iteme1", config.m_strShortKeyItemName[0]);
        config.m_wShortKeyModifiers[14] = 3;
    }
    EXPECT_STREQ(L"15", Read(userIni, L"ShortKey", L"ShortKeyCount"));
    EXPECT_STREQ(L"3", Read(userIni, L"ShortKey", L"ShortKey_KeyModifiers15"));
    EXPECT_STREQ(L"65", Read(userIni, L"ShortKey", L"ShortKey_KeyValue2"));
}

TEST_F(CAppConfigTest, ExitWritesEverythingBackAndThePasswordRoundTrips) {
    {
        CAppConfig config(programDir);
        config.m_nAutoDeleteDay = 30;
        config.m_bAutoLogin = TRUE;
    }
    for (const wchar_t* key : {L"VADAutoLogin", L"VAD_AutoBackup", L"VAD_DriveOverMode"})
        EXPECT_STRNE(L"<none>", Read(mainIni, L"Login_Info", key)) << key;
    for (const wchar_t* key : {L"VAD_AutoStartup", L"VAD_InitiativeListenIP", L"VAD_InitiativeListenPort", L"SUser_ID"})
        EXPECT_STRNE(L"<none>", Read(mainIni, L"Version_Info", key)) << key;
    EXPECT_STREQ(L"1", Read(mainIni, L"Login_Info", L"VADAutoLogin"));
    EXPECT_STREQ(L"1", Read(mainIni, L"Language", L"DefaultLanguage"));
    EXPECT_STREQ(EncodePassword(L"vorpl", 0), Read(mainIni, L"Version_Info", L"SUser_PSW"));
    EXPECT_STREQ(L"30", Read(userIni, L"Login_Info", L"VAD_AutoDeleteDay"));
    EXPECT_STREQ(L"38888", Read(mainIni, L"Version_Info", L"VAD_InitiativeListenPort"));

    Main(L"Version_Info", L"SUser_ID", L"boss");
    Main(L"Version_Info", L"SUser_PSW", EncodePassword(L"s3cret", 0));
    CAppConfig again(programDir);
    EXPECT_STREQ(L"boss", again.m_strSuperUserID);
    EXPECT_STREQ(L"s3cret", again.m_strSuperUserPassword);
    EXPECT_EQ(30, again.m_nAutoDeleteDay);
    EXPECT_TRUE(again.m_bAutoLogin);
    Main(L"Version_Info", L"SUser_ID", L"");
    CAppConfig fallback(programDir);
    EXPECT_STREQ(L"vorpl", fallback.m_strSuperUserID);

    // A super user that cannot be written is reported.
    CString gone = programDir + L"gone\\";
    ASSERT_TRUE(CreateDirectoryW(gone, nullptr));
    CAppConfig lost(gone);
    ASSERT_TRUE(RemoveTree(dir.File(L"gone")));
    EXPECT_FALSE(lost.WriteSuperUser());
}

TEST_F(CAppConfigTest, SwitchingTheCurrentUser) {
    CString bobDir = programDir + L"users\\bob\\";
    CreateDirectoryW(programDir + L"users", nullptr);
    CreateDirectoryW(bobDir, nullptr);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Login_Info", L"VAD_MultiBackupDevCount", L"4", bobDir + L"UserLogin.ini"));
    UserFolders users{{L"bob", L".\\users\\bob"}, {L"rel", L"..\\data\\.\\x"}};
    Main(L"SpecialSetting", L"DonotRealMonitorDevType_Count", L"3");
    Main(L"SpecialSetting", L"DonotRealMonitorDevType1", L"NVR8");
    Main(L"SpecialSetting", L"DonotRealMonitorDevType3", L"DVR4");
    Main(L"SpecialSetting", L"ManufactureType", L"1");
    CAppConfig config(programDir);
    config.SetCurrentUser(L"bob", &users);
    EXPECT_STREQ(bobDir, config.GetUserDir());
    EXPECT_EQ(4, config.m_nMultiBackupDevCount);
    EXPECT_STREQ(bobDir + L"device.xml", config.GetDeviceFile());
    EXPECT_STREQ(bobDir + L"backupschedule.xml", config.GetScheduleFile());
    EXPECT_STREQ(bobDir + L"recplantemplet.xml", config.GetRecPlanTemplateFile());
    config.SetCurrentUser(L"stranger", &users);  // unknown: the directory stays
    EXPECT_STREQ(bobDir, config.GetUserDir());
    config.SetCurrentUser(L"rel", &users);  // only a leading ".\" is the program directory
    EXPECT_STREQ(L"..\\data\\.\\x\\", config.GetUserDir());
    config.SetCurrentUser(L"bob");  // nobody to ask: the directory stays
    EXPECT_STREQ(L"..\\data\\.\\x\\", config.GetUserDir());
    config.SetCurrentUser(L"", &users);  // the super user
    EXPECT_STREQ(programDir, config.GetUserDir());
    EXPECT_EQ(1, config.m_nMultiBackupDevCount);
    ASSERT_EQ(2u, config.m_SpecialDevTypes.DonotRealMonitorDevType.size());
    EXPECT_EQ(1, config.m_SpecialDevTypes.IsDonotRealMonitorDevType(L"DVR4"));
    EXPECT_EQ(0, config.m_SpecialDevTypes.IsDonotRealMonitorDevType(L"dvr4"));
    EXPECT_EQ(1, config.m_nManufactureType);
}

TEST_F(CAppConfigTest, LanguagesAndTheirSkinDirectory) {
    Main(L"Language", L"LanguageCount", L"12");
    Main(L"Language", L"DefaultLanguage", L"2");
    for (int n = 1; n <= 12; ++n) {
        CString key, value;
        key.Format(L"LanguageName%d", n);
        value.Format(L"Lang%d", n);
        Main(L"Language", key, value);
        key.Format(L"SkinFileDir%d", n);
        value.Format(L"Skin%d", n);
        Main(L"Language", key, value);
    }
    Main(L"Language", L"LanguageFilePath2", L"Language\\French.ini");
    Main(L"Language", L"HelpFile2", L"help.chm");
    Main(L"Version_Info", L"VAD_WndPic", L"back.bmp");
    CAppConfig config(programDir);
    EXPECT_STREQ(L"Lang8", config.m_strLanguageName[7]);
    EXPECT_STREQ(programDir + L"Skin2", config.GetCurrentSkinDir());
    EXPECT_STREQ(programDir + L"Skin2\\Language\\French.ini", GetInitLanguage()->GetLanguageFile());
    EXPECT_STREQ(programDir + L"Skin2\\help.chm", config.m_strCurHelpFile);
    EXPECT_STREQ(programDir + L"Skin2\\back.bmp", config.m_strWndPic);

    Main(L"Language", L"DefaultLanguage", L"9");  // beyond the table: the first
    CAppConfig first(programDir);
    EXPECT_STREQ(programDir + L"Skin1", first.GetCurrentSkinDir());
}

TEST_F(CAppConfigTest, OutOfRangeValuesAreReplacedToldOnceAndNeverWrittenBack) {
    const SETTING_CASE cases[] = {
        {true, L"Version_Info", L"VAD_InitiativeListenPort", L"70000", 38888, &CAppConfig::m_nListenPort, true},
        {true, L"Version_Info", L"VAD_InitiativeListenPort", L"-1", 38888, &CAppConfig::m_nListenPort, true},
        {true, L"Version_Info", L"DevMaxCount", L"-3", 50, &CAppConfig::m_nDevMaxCount, false},
        {true, L"Version_Info", L"DevMaxCount", L"5000", 2000, &CAppConfig::m_nDevMaxCount, false},
        {true, L"Login_Info", L"VAD_DriveOverMode", L"7", 0, &CAppConfig::m_nDriveOverMode, true},
        {true, L"Language", L"DefaultLanguage", L"5", 1, &CAppConfig::m_nDefaultLanguage, true},
        {false, L"Login_Info", L"VAD_MultiBackupDevCount", L"50", 20, &CAppConfig::m_nMultiBackupDevCount, true},
        {false, L"Login_Info", L"VAD_AutoDeleteDay", L"-1", 0, &CAppConfig::m_nAutoDeleteDay, true},
        {false, L"ShortKey", L"ShortKeyCount", L"20", 15, &CAppConfig::m_nShortKeyCount, true},
    };
    TakeFilesWithRefusedValues();  // what earlier tests noted
    for (const auto& c : cases) {
        TempDir own;
        const CString folder = (own.Path() + L"\\").c_str();
        const CString file = WriteSetting(folder, c);
        {
            CAppConfig config(folder);
            EXPECT_EQ(c.expected, config.*c.member) << c.key << "=" << c.value;
            const std::vector<CString> told = TakeFilesWithRefusedValues();
            ASSERT_EQ(1u, told.size()) << c.key << "=" << c.value;
            EXPECT_STREQ(file, told[0]);
            CAppConfig again(folder);
            EXPECT_TRUE(TakeFilesWithRefusedValues().empty()) << "told twice";
        }
        CString expected;
        expected.Format(L"%d", c.expected);
        EXPECT_STREQ(c.writtenBack ? expected : CString(c.value), Read(file, c.section, c.key)) << c.key;
    }

    // Counts of the settings file are capped: the entries there are still read.
    Main(L"SpecialSetting", L"DonotTalkDevType_Count", L"100000");
    Main(L"SpecialSetting", L"DonotTalkDevType2", L"NVR8");
    User(L"DriveFreeSpaceLimit", L"-1");
    CAppConfig config(programDir);
    ASSERT_EQ(1u, config.m_SpecialDevTypes.DonotTalkDevType.size());
    EXPECT_EQ(500, config.m_nDriveFreeSpaceLimit);
    EXPECT_EQ(2u, TakeFilesWithRefusedValues().size());
    ASSERT_TRUE(config.SaveSettings());
    EXPECT_STREQ(L"500", Read(userIni, L"Login_Info", L"DriveFreeSpaceLimit"));
}

TEST_F(CAppConfigTest, StaleTemporariesOfTheProgramsOwnFilesGoAtStart) {
    const std::string stored = "<Organization grade=\"1\"><Device id=\"1001\" /></Organization>";
    ASSERT_TRUE(WriteWholeFile(dir.File(L"device.xml"), stored));
    // What saves ended mid-write leave; only those of the program's own files go.
    const wchar_t* stale[] = {L"device.xml.4711.tmp", L"UserLogin.ini.12.tmp", L"VAD_Config.ini.99.tmp",
                              L"backupschedule.xml.3.tmp", L"UserInfo.XML.8.tmp"};
    const wchar_t* kept[] = {L"device.xml.tmp", L"notes.txt.5.tmp", L"device.xml.12a.tmp", L"device.xml"};
    for (const wchar_t* name : stale) ASSERT_TRUE(WriteWholeFile(dir.File(name), "<Organiza"));
    for (const wchar_t* name : kept) {
        if (!PathExists(dir.File(name))) {
            ASSERT_TRUE(WriteWholeFile(dir.File(name), "x"));
        }
    }
    CString bobDir = programDir + L"bob\\";
    ASSERT_TRUE(CreateDirectoryW(bobDir, nullptr));
    ASSERT_TRUE(WriteWholeFile(dir.File(L"bob\\device.xml.77.tmp"), "<Org"));
    UserFolders users{{L"bob", L".\\bob"}};

    CAppConfig config(programDir);
    for (const wchar_t* name : stale) EXPECT_FALSE(PathExists(dir.File(name))) << name;
    for (const wchar_t* name : kept) EXPECT_TRUE(PathExists(dir.File(name))) << name;
    EXPECT_EQ(stored, ReadWholeFile(dir.File(L"device.xml")));
    EXPECT_TRUE(PathExists(dir.File(L"bob\\device.xml.77.tmp")));  // not that user's turn yet
    config.SetCurrentUser(L"bob", &users);
    EXPECT_FALSE(PathExists(dir.File(L"bob\\device.xml.77.tmp")));
}

TEST_F(CAppConfigTest, ExitWritesEachSettingsFileWhole) {
    User(L"VAD_DriverPathCount", L"1");
    User(L"VAD_DriverPathType1", (programDir + L"keep").GetString());
    CAppConfig config(programDir);
    const ULONGLONG before = FileIdentity(userIni.GetString());
    ASSERT_TRUE(config.SaveSettings());
    // Replaced (another file on disk), never rewritten in place key by key.
    EXPECT_NE(before, FileIdentity(userIni.GetString()));
    EXPECT_STREQ(programDir + L"keep", Read(userIni, L"Login_Info", L"VAD_DriverPathType1"));
    EXPECT_STREQ(L"500", Read(userIni, L"Login_Info", L"DriveFreeSpaceLimit"));
    EXPECT_STREQ(L"0", Read(userIni, L"ShortKey", L"ShortKeyCount"));
}
