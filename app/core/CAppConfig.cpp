#include "CAppConfig.h"

#include <algorithm>

#include "common/CAutoLock.h"
#include "CInitLanguage.h"
#include "CUserDirLookup.h"
#include "FileUtil.h"
#include "PasswordCoding.h"
#include "RefusedValues.h"
#include "StaleTemporaries.h"
#include "TextValues.h"

namespace {

CAppConfig* g_appConfig = nullptr;

const wchar_t kVersionInfo[] = L"Version_Info";
const wchar_t kLoginInfo[] = L"Login_Info";
const wchar_t kMainSettings[] = L"MainSettings";
const wchar_t kLanguage[] = L"Language";
const wchar_t kSpecialSetting[] = L"SpecialSetting";
const wchar_t kShortKey[] = L"ShortKey";

const wchar_t kDefaultSuperUser[] = L"vorpl";
const wchar_t kDefaultNameRule[] = L"{Y4}{M2}{D2}{H2}{m2}{S2}.duz";
const wchar_t kDefaultDownloadRule[] = L"{Y4}{M2}{D2}{H2}{m2}{S2}_DownLoad.duz";
const wchar_t kEmptyRuleReplacement[] = L"{RECTYPE}_{Y4}{M2}{D2}{H2}{m2}{S2}.Duz";
// A corrupt count must not stall start-up reading thousands of missing keys.
const int kMaxSaveDirKeys = 256;
const int kMaxDeviceTypeKeys = 256;
const int kMaxDevMaxCount = 2000;
// The language and skin the program ships: what a settings file without a
// usable language table falls back to (and gets written into it).
const wchar_t kShippedLanguageName[] = L"English";
const wchar_t kShippedSkinDir[] = L"Skin\\English";

CString Numbered(const wchar_t* name, int n) {
    CString key;
    key.Format(L"%s%d", name, n);
    return key;
}

CString WithTrailingBackslash(const CString& dir) {
    if (!dir.IsEmpty() && dir.GetAt(dir.GetLength() - 1) == L'\\') return dir;
    return dir + L"\\";
}

CString OrWhenEmpty(const CString& value, const wchar_t* replacement) {
    return value.IsEmpty() ? CString(replacement) : value;
}

// The value of the key when it lies in low..high; else the replacement, and
// the file is noted so that the user is told.
int RangedInt(const CIniFile& ini, const wchar_t* section, const CString& key, int defaultValue, int low, int high,
              int replacement) {
    const int value = ini.GetInt(section, key, defaultValue);
    if (value >= low && value <= high) return value;
    NoteRefusedValues(ini.GetPath());
    return replacement;
}

}  // namespace

int SPECIAL_DEVTYPE_LISTS::IsDonotRealMonitorDevType(const CString& type) const {
    return std::find(DonotRealMonitorDevType.begin(), DonotRealMonitorDevType.end(), type) !=
                   DonotRealMonitorDevType.end()
               ? 1
               : 0;
}

CAppConfig::CAppConfig(const CString& programDir) {
    m_strModuleDir = WithTrailingBackslash(programDir);
    m_strUserDir = m_strModuleDir;
    RemoveStaleTemporariesOnce(m_strModuleDir);
    m_strUsersFile = m_strModuleDir + L"UserInfo.XML";
    m_strRecordListFile = JoinPath(L".\\", L"RecordList.db");
    const CString mainFile = m_strModuleDir + L"VAD_Config.ini";
    m_pMainIni.reset(new CIniFile(mainFile));
    m_pLanguageIni.reset(new CIniFile(mainFile));
    ReadLanguages();
    if (m_bShippedLanguage) WriteShippedLanguage();
    m_pSpecialIni.reset(new CIniFile(mainFile));
    // The language chosen now stays the skin's until the next start.
    const CString skinDir = GetCurrentSkinDir();
    m_pPlayIni.reset(new CIniFile(JoinPath(skinDir, L"play.ini")));
    m_pMainWndIni.reset(new CIniFile(JoinPath(skinDir, L"DivozoRivovid.ini")));
    SetCurrentUser(m_strSuperUserID);
}

// Once per directory: later a save of another thread may be under way there.
void CAppConfig::RemoveStaleTemporariesOnce(const CString& dir) {
    CString key = dir;
    key.MakeLower();
    if (m_cleanedDirs.insert(key).second) RemoveStaleTemporaries(dir);
}

CAppConfig::~CAppConfig() { SaveSettings(); }

CString CAppConfig::ProgramDirFor(const CString& path) const {
    if (path.Left(2) == L".\\") return m_strModuleDir + path.Mid(2);
    return path;
}

void CAppConfig::SetCurrentUser(const CString& user, CUserDirLookup* userDirs) {
    const CString id = user.IsEmpty() ? m_strSuperUserID : user;
    CString dir;
    if (id == m_strSuperUserID)
        dir = L".\\";
    else if (userDirs)
        dir = userDirs->FindUserDir(id);
    {
        CAutoLock guard(&m_textLock);
        if (!dir.IsEmpty()) m_strUserDir = WithTrailingBackslash(ProgramDirFor(dir));
        m_strRecordListFile = m_strUserDir + L"RecordList.db";
        m_strDeviceFile = m_strUserDir + L"device.xml";
        m_strRecPlanTemplateFile = m_strUserDir + L"recplantemplet.xml";
        m_strScheduleFile = m_strUserDir + L"backupschedule.xml";
    }
    RemoveStaleTemporariesOnce(GetUserDir());
    const CString userFile = GetUserDir() + L"UserLogin.ini";
    m_pUserIni.reset(new CIniFile(userFile));
    m_pShortKeyIni.reset(new CIniFile(userFile));
    LoadSettings(TRUE);
}

void CAppConfig::LoadSettings(BOOL full) {
    if (full) {
        ReadLoginInfo();
        ReadSuperUser();
        ReadDeviceTypeLists();
    }
    ReadShortKeys();
    ReadMainSettings();
    ReadUserSettings();
}

void CAppConfig::ReadMainSettings() {
    const CIniFile& ini = *m_pMainIni;
    m_strVersion = ini.GetString(kVersionInfo, L"Version", L"");
    m_strVersionDate = ini.GetString(kVersionInfo, L"VersionDate", L"");
    CString wndPic = ini.GetString(kVersionInfo, L"VAD_WndPic", L"");
    if (!wndPic.IsEmpty()) m_strWndPic = JoinPath(GetCurrentSkinDir(), wndPic);
    m_strWndPicSize = ini.GetString(kMainSettings, L"VAD_WndPic_Size", L"");
    m_strVersionType = ini.GetString(kVersionInfo, L"Version_Type", L"");
    m_strFullName = ini.GetString(kVersionInfo, L"VAD_FullName", L"");
    m_strShortName = ini.GetString(kVersionInfo, L"VAD_ShortName", L"");
    m_nWndType = ini.GetInt(kVersionInfo, L"VAD_WndType", -1);
    m_bAutoLogin = ini.GetBool(kLoginInfo, L"VADAutoLogin", FALSE);
    m_bAutoBackup = ini.GetBool(kLoginInfo, L"VAD_AutoBackup", FALSE);
    m_nDriveOverMode = RangedInt(ini, kLoginInfo, L"VAD_DriveOverMode", 0, 0, 1, 0);
    m_bAutoStartup = ini.GetBool(kVersionInfo, L"VAD_AutoStartup", FALSE);
    // 0 stands for the default; a negative or too large maximum is refused.
    const int devMax = ini.GetInt(kVersionInfo, L"DevMaxCount", 50);
    m_nDevMaxCount = devMax == 0 ? 50
                                 : RangedInt(ini, kVersionInfo, L"DevMaxCount", 50, 1, kMaxDevMaxCount,
                                             devMax < 0 ? 50 : kMaxDevMaxCount);
    m_nNetworkRateType = ini.GetInt(kVersionInfo, L"NetworkRateType", 0);
    m_strFocusColor = ini.GetString(kVersionInfo, L"Ctrl_FocusColor", L"195,229,242");
    m_strNormalColor = ini.GetString(kVersionInfo, L"Ctrl_NormalColor", L"255,255,255");
    m_strReadOnlyColor = ini.GetString(kVersionInfo, L"Ctrl_ReadOnlyColor", L"217,214,197");
}

void CAppConfig::ReadUserSettings() {
    const CIniFile& user = *m_pUserIni;
    CString picDir = user.GetString(kLoginInfo, L"CapturePicDefalutDir", m_strModuleDir);
    CString picRule = user.GetString(kLoginInfo, L"CapturePicFileNameRule", kDefaultNameRule);
    CString recordRule = user.GetString(kLoginInfo, L"RecordFileNameRule", kDefaultNameRule);
    CString downloadRule = user.GetString(kLoginInfo, L"DownLoadFileNameRule", kDefaultDownloadRule);
    m_bPreviewPictureMode = user.GetBool(kLoginInfo, L"PreviewPictureMode", TRUE);
    m_bAutoReLogin = user.GetBool(kLoginInfo, L"AutoReLogin", FALSE);
    m_nDriveFreeSpaceLimit = user.GetLong(kLoginInfo, L"DriveFreeSpaceLimit", 500);
    if (m_nDriveFreeSpaceLimit < 0) NoteRefusedValues(user.GetPath());
    if (m_nDriveFreeSpaceLimit <= 0) m_nDriveFreeSpaceLimit = 500;

    picDir = OrWhenEmpty(picDir, m_strModuleDir);
    CreateDirectoryPath(WithTrailingBackslash(picDir));
    {
        CAutoLock guard(&m_textLock);
        m_strCapturePicDir = picDir;
        m_strCapturePicNameRule = OrWhenEmpty(picRule, kEmptyRuleReplacement);
    }
    m_strListenIP = m_pMainIni->GetString(kVersionInfo, L"VAD_InitiativeListenIP", L"");
    m_nListenPort = RangedInt(*m_pMainIni, kVersionInfo, L"VAD_InitiativeListenPort", 38888, 1, 65535, 38888);
    ReadSaveDirs();
    {
        CAutoLock guard(&m_textLock);
        m_strRecordNameRule = OrWhenEmpty(recordRule, kEmptyRuleReplacement);
        m_strDownloadNameRule = OrWhenEmpty(downloadRule, kEmptyRuleReplacement);
    }
    const int backups = user.GetInt(kLoginInfo, L"VAD_MultiBackupDevCount", 1);
    m_nMultiBackupDevCount = RangedInt(user, kLoginInfo, L"VAD_MultiBackupDevCount", 1, 1, 20, backups < 1 ? 1 : 20);
    m_nAutoDeleteDay = RangedInt(user, kLoginInfo, L"VAD_AutoDeleteDay", 0, 0, 254, 0);
}

void CAppConfig::ReadSaveDirs() {
    const CIniFile& user = *m_pUserIni;
    const int count = RangedInt(user, kLoginInfo, L"VAD_DriverPathCount", 0, 0, kMaxSaveDirKeys, kMaxSaveDirKeys);
    std::vector<CString> dirs;
    for (int n = 1; n <= count; ++n) {
        CString dir = user.GetString(kLoginInfo, Numbered(L"VAD_DriverPathType", n), L"");
        if (!dir.IsEmpty()) dirs.push_back(dir);
    }
    CString joined = JoinedSaveDirs(dirs);
    if (joined.IsEmpty()) joined = m_strModuleDir;
    std::vector<CString> toCreate;
    SplitString(joined, L';', toCreate);
    for (const CString& dir : toCreate)
        if (!dir.IsEmpty()) CreateDirectoryPath(WithTrailingBackslash(dir));
    CAutoLock guard(&m_textLock);
    m_vecSaveDirs = dirs;
    m_strSaveDirs = joined;
}

CString CAppConfig::JoinedSaveDirs(const std::vector<CString>& dirs) {
    CString joined;
    for (const CString& dir : dirs) joined += dir + L";";
    return joined;
}

void CAppConfig::ReadLanguages() {
    const CIniFile& ini = *m_pLanguageIni;
    const int count = ini.GetInt(kLanguage, L"LanguageCount", 0);
    if (count < 0) NoteRefusedValues(ini.GetPath());
    // Without a language table (the file deleted or damaged) the window
    // would have no skin: the shipped language stands in and is written back.
    m_bShippedLanguage = count <= 0;
    m_nLanguageCount = m_bShippedLanguage ? 1 : count;
    const int entries = std::min(kMaxLanguages, m_nLanguageCount);
    m_nDefaultLanguage = RangedInt(ini, kLanguage, L"DefaultLanguage", 1, 1, entries, 1);
    for (int i = 0; i < entries; ++i) {
        const int n = i + 1;
        m_strLanguageName[i] = ini.GetString(kLanguage, Numbered(L"LanguageName", n), L"");
        CString skinDir = ini.GetString(kLanguage, Numbered(L"SkinFileDir", n), L"");
        if (n == 1 && skinDir.IsEmpty()) {
            m_bShippedLanguage = true;
            skinDir = kShippedSkinDir;
        }
        if (n == 1 && m_strLanguageName[i].IsEmpty()) m_strLanguageName[i] = kShippedLanguageName;
        m_strSkinDir[i] = JoinPath(m_strModuleDir, skinDir);
        m_strLanguageFile[i] =
            JoinPath(m_strSkinDir[i], ini.GetString(kLanguage, Numbered(L"LanguageFilePath", n), L""));
        m_strOcxLanguageFile[i] =
            JoinPath(m_strSkinDir[i], ini.GetString(kLanguage, Numbered(L"DevCfgOcxLanguageFilePath", n), L""));
        m_strHelpFile[i] = JoinPath(m_strSkinDir[i], ini.GetString(kLanguage, Numbered(L"HelpFile", n), L""));
    }
    const bool selected = m_nDefaultLanguage >= 1 && m_nDefaultLanguage <= entries;
    const int cur = m_nDefaultLanguage - 1;
    if (CInitLanguage* language = GetInitLanguage())
        language->SetLanguageFile(selected ? m_strLanguageFile[cur] : CString());
    m_strCurLanguageExtra.Empty();
    m_strCurOcxLanguageFile = selected ? m_strOcxLanguageFile[cur] : CString();
    m_strCurHelpFile = selected ? m_strHelpFile[cur] : CString();
}

void CAppConfig::WriteShippedLanguage() {
    const CIniFile& ini = *m_pLanguageIni;
    CIniFile::CBatch batch(ini);
    ini.WriteInt(kLanguage, L"LanguageCount", m_nLanguageCount);
    ini.WriteInt(kLanguage, L"DefaultLanguage", m_nDefaultLanguage);
    if (ini.GetString(kLanguage, L"LanguageName1", L"").IsEmpty())
        ini.WriteString(kLanguage, L"LanguageName1", kShippedLanguageName);
    if (ini.GetString(kLanguage, L"SkinFileDir1", L"").IsEmpty())
        ini.WriteString(kLanguage, L"SkinFileDir1", kShippedSkinDir);
}

CString CAppConfig::GetCurrentSkinDir() const {
    const int entries = std::min(kMaxLanguages, m_nLanguageCount);
    if (m_nDefaultLanguage >= 1 && m_nDefaultLanguage <= entries) return m_strSkinDir[m_nDefaultLanguage - 1];
    return m_strModuleDir;
}

void CAppConfig::ReadLoginInfo() {
    m_bSavePassword = m_pMainIni->GetBool(kLoginInfo, L"Check", FALSE);
    SetLoginUserName(m_pMainIni->GetString(kLoginInfo, L"UserName", L""));
}

void CAppConfig::ReadSuperUser() {
    m_strSuperUserID = m_pMainIni->GetString(kVersionInfo, L"SUser_ID", kDefaultSuperUser);
    CString stored = m_pMainIni->GetString(kVersionInfo, L"SUser_PSW", kDefaultSuperUser);
    if (m_strSuperUserID.IsEmpty()) {
        // A super user without an id could never log in: use the compiled-in one.
        m_strSuperUserID = kDefaultSuperUser;
        stored = kDefaultSuperUser;
    }
    m_strSuperUserPassword = stored == kDefaultSuperUser ? stored : DecodePassword(stored, 0);
}

void CAppConfig::ReadDeviceTypeLists() {
    const struct {
        const wchar_t* name;
        std::vector<CString>* list;
    } lists[] = {
        {L"CfgOCXSpecialDevType", &m_SpecialDevTypes.CfgOCXSpecialDevType},
        {L"CfgOCXSpecialOCXVersion", &m_SpecialDevTypes.CfgOCXSpecialOCXVersion},
        {L"DonotUseCfgOCXDevType", &m_SpecialDevTypes.DonotUseCfgOCXDevType},
        {L"DonotTalkDevType", &m_SpecialDevTypes.DonotTalkDevType},
        {L"DonotAlarmCfgDevType", &m_SpecialDevTypes.DonotAlarmCfgDevType},
        {L"DonotRealMonitorDevType", &m_SpecialDevTypes.DonotRealMonitorDevType},
    };
    const CIniFile& ini = *m_pSpecialIni;
    for (const auto& l : lists) {
        std::vector<CString> types;
        const int count =
            RangedInt(ini, kSpecialSetting, CString(l.name) + L"_Count", 0, 0, kMaxDeviceTypeKeys, kMaxDeviceTypeKeys);
        for (int n = 1; n <= count; ++n) {
            CString type = ini.GetString(kSpecialSetting, Numbered(l.name, n), L"");
            if (!type.IsEmpty()) types.push_back(type);
        }
        CAutoLock guard(&m_textLock);
        l.list->swap(types);
    }
    m_nManufactureType = ini.GetInt(kSpecialSetting, L"ManufactureType", 0);
}

void CAppConfig::ReadShortKeys() {
    const CIniFile& ini = *m_pShortKeyIni;
    // The table has 15 entries: a larger count must not make the writer overrun it.
    const int keys = ini.GetInt(kShortKey, L"ShortKeyCount", 0);
    m_nShortKeyCount = RangedInt(ini, kShortKey, L"ShortKeyCount", 0, 0, kMaxShortKeys, keys < 0 ? 0 : kMaxShortKeys);
    for (int i = 0; i < m_nShortKeyCount; ++i) {
        const int n = i + 1;
        m_strShortKeyItemName[i] = ini.GetString(kShortKey, Numbered(L"ShortKey_ItemName", n), L"");
        m_strShortKeyItemKey[i] = ini.GetString(kShortKey, Numbered(L"ShortKey_ItemKey", n), L"");
        m_wShortKeyValue[i] = static_cast<WORD>(ini.GetInt(kShortKey, Numbered(L"ShortKey_KeyValue", n), 0));
        m_wShortKeyModifiers[i] = static_cast<WORD>(ini.GetInt(kShortKey, Numbered(L"ShortKey_KeyModifiers", n), 0));
    }
}

BOOL CAppConfig::WriteShortKeys() {
    const CIniFile& ini = *m_pShortKeyIni;
    const int count = std::max(0, std::min(kMaxShortKeys, m_nShortKeyCount));
    BOOL ok = ini.WriteInt(kShortKey, L"ShortKeyCount", count);
    for (int i = 0; i < count; ++i) {
        const int n = i + 1;
        ok &= ini.WriteString(kShortKey, Numbered(L"ShortKey_ItemName", n), m_strShortKeyItemName[i]);
        ok &= ini.WriteString(kShortKey, Numbered(L"ShortKey_ItemKey", n), m_strShortKeyItemKey[i]);
        ok &= ini.WriteInt(kShortKey, Numbered(L"ShortKey_KeyValue", n), m_wShortKeyValue[i]);
        ok &= ini.WriteInt(kShortKey, Numbered(L"ShortKey_KeyModifiers", n), m_wShortKeyModifiers[i]);
    }
    return ok;
}

BOOL CAppConfig::WriteSuperUser() {
    BOOL ok = m_pMainIni->WriteString(kVersionInfo, L"SUser_ID", m_strSuperUserID);
    ok &= m_pMainIni->WriteString(kVersionInfo, L"SUser_PSW", EncodePassword(m_strSuperUserPassword, 0));
    return ok;
}

BOOL CAppConfig::WriteLoginInfo() {
    BOOL ok = m_pMainIni->WriteBool(kLoginInfo, L"Check", m_bSavePassword);
    ok &= m_pMainIni->WriteString(kLoginInfo, L"UserName", GetLoginUserName());
    return ok;
}

BOOL CAppConfig::WriteDefaultLanguage() {
    return m_pLanguageIni->WriteInt(kLanguage, L"DefaultLanguage", m_nDefaultLanguage);
}

BOOL CAppConfig::WriteSaveDirs() {
    std::vector<CString> dirs = GetSaveDirList();
    BOOL ok = m_pUserIni->WriteInt(kLoginInfo, L"VAD_DriverPathCount", static_cast<int>(dirs.size()));
    for (size_t i = 0; i < dirs.size(); ++i)
        ok &= m_pUserIni->WriteString(kLoginInfo, Numbered(L"VAD_DriverPathType", static_cast<int>(i + 1)), dirs[i]);
    CAutoLock guard(&m_textLock);
    m_strSaveDirs = JoinedSaveDirs(m_vecSaveDirs);
    return ok;
}

BOOL CAppConfig::SaveSettings() {
    // Each file is replaced once, whole, when its batch closes.
    CIniFile::CBatch mainFile(*m_pMainIni);
    CIniFile::CBatch userFile(*m_pUserIni);
    BOOL ok = WriteDefaultLanguage();
    ok &= WriteShortKeys();
    ok &= WriteSuperUser();
    const CIniFile& user = *m_pUserIni;
    ok &= user.WriteString(kLoginInfo, L"CapturePicDefalutDir", GetCapturePicDir());
    ok &= user.WriteString(kLoginInfo, L"CapturePicFileNameRule", GetCapturePicNameRule());
    ok &= user.WriteString(kLoginInfo, L"RecordFileNameRule", GetRecordNameRule());
    ok &= user.WriteString(kLoginInfo, L"DownLoadFileNameRule", GetDownloadNameRule());
    ok &= user.WriteBool(kLoginInfo, L"PreviewPictureMode", m_bPreviewPictureMode);
    ok &= user.WriteBool(kLoginInfo, L"AutoReLogin", m_bAutoReLogin);
    ok &= user.WriteLong(kLoginInfo, L"DriveFreeSpaceLimit", m_nDriveFreeSpaceLimit);
    ok &= user.WriteInt(kLoginInfo, L"VAD_MultiBackupDevCount", m_nMultiBackupDevCount);
    ok &= m_pMainIni->WriteBool(kVersionInfo, L"VAD_AutoStartup", m_bAutoStartup);
    ok &= m_pMainIni->WriteBool(kLoginInfo, L"VADAutoLogin", m_bAutoLogin);
    ok &= m_pMainIni->WriteBool(kLoginInfo, L"VAD_AutoBackup", m_bAutoBackup);
    ok &= m_pMainIni->WriteInt(kLoginInfo, L"VAD_DriveOverMode", m_nDriveOverMode);
    ok &= WriteSaveDirs();
    ok &= m_pMainIni->WriteString(kVersionInfo, L"VAD_InitiativeListenIP", m_strListenIP);
    ok &= m_pMainIni->WriteInt(kVersionInfo, L"VAD_InitiativeListenPort", m_nListenPort);
    ok &= user.WriteInt(kLoginInfo, L"VAD_AutoDeleteDay", m_nAutoDeleteDay);
    ok &= mainFile.Close();
    ok &= userFile.Close();
    return ok;
}

#define GUARDED_COPY(getter, member)     \
    CString CAppConfig::getter() const { \
        CAutoLock guard(&m_textLock);    \
        return member;                   \
    }
GUARDED_COPY(GetUserDir, m_strUserDir)
GUARDED_COPY(GetSaveDirs, m_strSaveDirs)
GUARDED_COPY(GetCapturePicDir, m_strCapturePicDir)
GUARDED_COPY(GetCapturePicNameRule, m_strCapturePicNameRule)
GUARDED_COPY(GetRecordNameRule, m_strRecordNameRule)
GUARDED_COPY(GetDownloadNameRule, m_strDownloadNameRule)
GUARDED_COPY(GetDeviceFile, m_strDeviceFile)
GUARDED_COPY(GetScheduleFile, m_strScheduleFile)
GUARDED_COPY(GetRecordListFile, m_strRecordListFile)
GUARDED_COPY(GetRecPlanTemplateFile, m_strRecPlanTemplateFile)
GUARDED_COPY(GetLoginUserName, m_strLoginUserName)
#undef GUARDED_COPY

BOOL CAppConfig::IsCfgOcxSpecialDevType(const CString& type) const {
    CAutoLock guard(&m_textLock);
    const std::vector<CString>& types = m_SpecialDevTypes.CfgOCXSpecialDevType;
    return std::find(types.begin(), types.end(), type) != types.end();
}

std::vector<CString> CAppConfig::GetSaveDirList() const {
    CAutoLock guard(&m_textLock);
    return m_vecSaveDirs;
}

void CAppConfig::SetSaveDirs(const std::vector<CString>& dirs) {
    CAutoLock guard(&m_textLock);
    m_vecSaveDirs = dirs;
    m_strSaveDirs = JoinedSaveDirs(dirs);
}

void CAppConfig::ChangeTexts(const std::function<void(CAppConfig&)>& change) {
    CAutoLock guard(&m_textLock);
    change(*this);
}

void CAppConfig::SetLoginUserName(const CString& id) {
    CAutoLock guard(&m_textLock);
    m_strLoginUserName = id;
}

void CAppConfig::SetDownloadNameRule(const CString& rule) {
    CAutoLock guard(&m_textLock);
    m_strDownloadNameRule = rule;
}

void CAppConfig::SetCapturePicDir(const CString& dir) {
    CAutoLock guard(&m_textLock);
    m_strCapturePicDir = dir;
}

CAppConfig* GetAppConfig() {
    if (!g_appConfig) g_appConfig = new CAppConfig(GetModuleDir());
    return g_appConfig;
}

void DeleteAppConfig() {
    delete g_appConfig;
    g_appConfig = nullptr;
}

CAppConfig* ResetAppConfig(const CString& programDir) {
    DeleteAppConfig();
    g_appConfig = new CAppConfig(programDir);
    return g_appConfig;
}
