// CAppConfig: the one configuration object. Holds the settings of
// VAD_Config.ini (program directory), the current user's UserLogin.ini and
// the skin layout files, and the paths of the data files the stores open.
//
// Text members that the user-interface thread replaces (save directories,
// name rules, picture directory, user directory, data-file paths, the
// logged-in user's name and the special device-type lists) are guarded:
// other threads read them through the Get... and Is... copies, and the UI
// thread changes them through the Set... members, ChangeTexts or
// SetCurrentUser.
#pragma once

#include <afx.h>

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "CIniFile.h"
#include "common/CLock.h"

class CUserDirLookup;

const int kMaxLanguages = 8;
const int kMaxShortKeys = 15;

// Device types with special handling, from [SpecialSetting].
struct SPECIAL_DEVTYPE_LISTS {
    std::vector<CString> CfgOCXSpecialDevType;
    std::vector<CString> CfgOCXSpecialOCXVersion;
    std::vector<CString> DonotUseCfgOCXDevType;
    std::vector<CString> DonotTalkDevType;
    std::vector<CString> DonotAlarmCfgDevType;
    std::vector<CString> DonotRealMonitorDevType;

    // 1 when the type equals an entry of DonotRealMonitorDevType (case-sensitive), else 0.
    int IsDonotRealMonitorDevType(const CString& type) const;
};

class CAppConfig {
public:
    // Reads everything for the super user. programDir is the program's
    // directory with a trailing "\" (GetModuleDir for the program).
    explicit CAppConfig(const CString& programDir);
    // Writes the settings back, then releases the INI objects.
    ~CAppConfig();
    CAppConfig(const CAppConfig&) = delete;
    CAppConfig& operator=(const CAppConfig&) = delete;

    // Makes the user current ("" = the super user), points the per-user
    // files at the user's directory and re-reads every setting. The
    // directory of a user other than the super user comes from userDirs;
    // without one, or for a user it does not know, the directory stays.
    void SetCurrentUser(const CString& user, CUserDirLookup* userDirs = nullptr);
    void LoadSettings(BOOL full);
    // Writes every setting kept in the files. Returns FALSE when a write failed.
    BOOL SaveSettings();
    // Returns FALSE when the id or the coded password could not be written.
    BOOL WriteSuperUser();
    BOOL WriteLoginInfo();
    BOOL WriteDefaultLanguage();

    void ReadLanguages();
    void ReadLoginInfo();
    void ReadSuperUser();
    void ReadDeviceTypeLists();
    void ReadShortKeys();
    BOOL WriteShortKeys();

    // The current language's skin directory; the program directory when no
    // language is selected (so the layout files never resolve elsewhere).
    CString GetCurrentSkinDir() const;
    // The skin layout files of the skin chosen at creation (play.ini and
    // DivozoRivovid.ini); the user-interface toolkit reads its layout from them.
    const CIniFile& GetPlayIni() const { return *m_pPlayIni; }
    const CIniFile& GetMainWndIni() const { return *m_pMainWndIni; }
    // A path or folder as the program uses it: a leading ".\" stands for the
    // program directory; any other path ("..\data" too) is returned as it is.
    CString ProgramDirFor(const CString& path) const;

    // Copies of the guarded texts, for any thread.
    CString GetUserDir() const;
    CString GetSaveDirs() const;
    std::vector<CString> GetSaveDirList() const;
    CString GetCapturePicDir() const;
    CString GetCapturePicNameRule() const;
    CString GetRecordNameRule() const;
    CString GetDownloadNameRule() const;
    CString GetDeviceFile() const;
    CString GetScheduleFile() const;
    CString GetRecordListFile() const;
    CString GetRecPlanTemplateFile() const;
    CString GetLoginUserName() const;
    // Whether the type is one of the CfgOCXSpecialDevType list (guarded as
    // the texts are: a login re-reads the lists).
    BOOL IsCfgOcxSpecialDevType(const CString& type) const;
    void SetLoginUserName(const CString& id);
    // UI thread: replaces the save directories (and the ";"-joined text).
    void SetSaveDirs(const std::vector<CString>& dirs);
    // UI thread: runs change with the guarded texts locked, so that a reader
    // on another thread sees all of its changes or none of them.
    void ChangeTexts(const std::function<void(CAppConfig&)>& change);
    void SetDownloadNameRule(const CString& rule);
    void SetCapturePicDir(const CString& dir);

    // Login record (the name guarded: see the class comment)
    BOOL m_bSavePassword = FALSE;
    CString m_strLoginUserName;
    // Language table (1-based current index)
    int m_nDefaultLanguage = 1;
    int m_nLanguageCount = 0;
    CString m_strLanguageName[kMaxLanguages];
    CString m_strLanguageFile[kMaxLanguages];
    CString m_strOcxLanguageFile[kMaxLanguages];
    CString m_strSkinDir[kMaxLanguages];
    CString m_strHelpFile[kMaxLanguages];
    CString m_strCurLanguageExtra;
    CString m_strCurOcxLanguageFile;
    CString m_strCurHelpFile;
    // Short keys
    int m_nShortKeyCount = 0;
    CString m_strShortKeyItemName[kMaxShortKeys];
    CString m_strShortKeyItemKey[kMaxShortKeys];
    WORD m_wShortKeyValue[kMaxShortKeys] = {};
    WORD m_wShortKeyModifiers[kMaxShortKeys] = {};
    // Super user (password in plain text in memory)
    CString m_strSuperUserID;
    CString m_strSuperUserPassword;
    // VAD_Config.ini texts
    CString m_strVersion;
    CString m_strVersionDate;
    CString m_strVersionType;
    CString m_strFullName;
    CString m_strShortName;
    CString m_strWndPic;
    CString m_strWndPicSize;
    // Paths and per-user texts (guarded: see the class comment)
    CString m_strDeviceFile;
    CString m_strCapturePicDir;
    CString m_strCapturePicNameRule;
    CString m_strDownloadNameRule;
    CString m_strSaveDirs;
    CString m_strRecordNameRule;
    CString m_strRecPlanTemplateFile;
    CString m_strUsersFile;
    CString m_strRecordListFile;
    // Settings
    BOOL m_bPreviewPictureMode = TRUE;
    int m_nDevMaxCount = 50;
    BOOL m_bAutoStartup = FALSE;
    BOOL m_bAutoReLogin = FALSE;
    long m_nDriveFreeSpaceLimit = 500;
    int m_nNetworkRateType = 0;
    CString m_strFocusColor;
    CString m_strNormalColor;
    CString m_strReadOnlyColor;
    BOOL m_bAutoLogin = FALSE;
    BOOL m_bAutoBackup = FALSE;
    int m_nDriveOverMode = 0;
    int m_nWndType = -1;
    CString m_strListenIP;
    int m_nListenPort = 38888;
    std::vector<CString> m_vecSaveDirs;
    CString m_strScheduleFile;
    int m_nMultiBackupDevCount = 1;
    int m_nAutoDeleteDay = 0;
    SPECIAL_DEVTYPE_LISTS m_SpecialDevTypes;
    int m_nManufactureType = 0;
    CString m_strModuleDir;  // program directory, trailing "\"
    CString m_strUserDir;    // current user's directory, trailing "\"

private:
    void ReadMainSettings();
    void ReadUserSettings();
    void ReadSaveDirs();
    void WriteShippedLanguage();
    void RemoveStaleTemporariesOnce(const CString& dir);
    BOOL WriteSaveDirs();
    static CString JoinedSaveDirs(const std::vector<CString>& dirs);

    bool m_bShippedLanguage = false;  // the language table was not usable
    std::set<CString> m_cleanedDirs;  // lower case
    mutable CLock m_textLock;
    std::unique_ptr<CIniFile> m_pMainIni;      // VAD_Config.ini: versions, login, main settings, super user
    std::unique_ptr<CIniFile> m_pUserIni;      // UserLogin.ini [Login_Info]
    std::unique_ptr<CIniFile> m_pLanguageIni;  // VAD_Config.ini [Language]
    std::unique_ptr<CIniFile> m_pShortKeyIni;  // UserLogin.ini [ShortKey]
    std::unique_ptr<CIniFile> m_pPlayIni;      // play.ini
    std::unique_ptr<CIniFile> m_pMainWndIni;   // DivozoRivovid.ini
    std::unique_ptr<CIniFile> m_pSpecialIni;   // VAD_Config.ini [SpecialSetting]
};

// Returns the one object, made (for the program's directory) on first use.
CAppConfig* GetAppConfig();
// Deletes the object (which writes its settings back) when there is one.
void DeleteAppConfig();
// Replaces the object by a fresh one read from another program directory
// (test programs keep their configuration in a temporary folder).
CAppConfig* ResetAppConfig(const CString& programDir);
