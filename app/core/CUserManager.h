// CUserManager: the local user accounts of UserInfo.XML (program folder), the
// login and password checks, and the record of the user logged in.
//
// Besides the accounts of the file there is one super user whose id and
// password live in the main configuration file; it always has every right
// and is never stored in the users file.
#pragma once

#include <afx.h>

#include <map>
#include <vector>

#include "common/CLock.h"
#include "CUserDirLookup.h"
#include "UserInfo.h"

class CAppConfig;
class CUserDataLoader;

class CUserManager : public CUserDirLookup {
public:
    // config holds the super user and switches the per-user paths; nullptr
    // means GetAppConfig() at each use.
    explicit CUserManager(CAppConfig* config = nullptr);
    ~CUserManager();
    CUserManager(const CUserManager&) = delete;
    CUserManager& operator=(const CUserManager&) = delete;

    // A non-empty path becomes the kept path. -1 when there is no kept path,
    // else LoadFile(kept path).
    int Load(const CString& path);
    // Replaces the users with those of the file. 0, also for a missing or
    // empty file (no users); 1 when the file does not parse: it was set
    // aside and the users before the damage are loaded and written back; -1
    // when it does not parse and could not be set aside (no users).
    int LoadFile(const CString& path);
    // Writes every user to path, or to the kept path when path is empty; the
    // previous file stays intact unless the whole new one was written.
    // Returns 0; -2 when there is no path; -3 when the write failed.
    int Save(const CString& path);
    // Empties the user map. Returns 0.
    int Clear();

    // Copy of the user; a default record with an empty id when the id is
    // empty or unknown.
    USER_INFO FindUser(const CString& id);
    // 0 when the user exists, else -1.
    int UserExists(const CString& id);
    // 0 when the user exists and its rights hold every bit of mask, else -1.
    int HasRight(const CString& id, long mask);
    // id not empty: appends that user when it exists; empty: every user in id
    // order. Returns 0.
    int ListUsers(const CString& id, std::vector<USER_INFO>& out);
    // Stores the record under id (its id forced to it, not logged in) when no
    // user has the id: 0; an existing user is left unchanged: -1.
    int AddUser(const CString& id, const USER_INFO& user);
    int AddUser(const USER_INFO& user) { return AddUser(user.id, user); }
    int AddUserFields(const CString& id, const CString& name, const CString& psw, const CString& sex,
                      const CString& birthday, const CString& role, const CString& information,
                      const CString& systemdir, const CString& rights);
    // Replaces the record of an existing user (its id forced to id); an
    // unknown id changes nothing. Returns 0.
    int UpdateUser(const CString& id, const USER_INFO& user);

    // The super user first (its password written to the main configuration
    // file), otherwise the user's record (the users file saved). Returns 0
    // changed; -1 wrong old password; -2 unknown user; -3 the new password
    // could not be written (nothing changed); -4 the new password does not
    // survive the stored coding (nothing changed).
    int ChangePassword(const CString& id, const CString& oldPassword, const CString& newPassword);
    // Returns 0 success; -1 wrong password; -2 unknown user or empty id. With
    // apply 0 nothing changes. With apply non-zero the user becomes the
    // current user, its id the remembered login name and the configuration
    // switches to its folder; the user's data is loaded by the caller once
    // this has returned (LoginAndLoadUserData).
    int Login(const CString& id, const CString& password, BOOL apply);

    // CUserDirLookup: the user's systemdir.
    CString FindUserDir(const CString& userId) override { return FindUser(userId).systemdir; }

    // True when the password comes back unchanged from the coding of the
    // users file; characters outside the ANSI code page do not, and such a
    // user could never log in again.
    static bool IsStorablePassword(const CString& password);

    // The user logged in; read directly by the dialogs and the schedule purge.
    USER_INFO m_CurrentUser;

private:
    typedef std::map<CString, USER_INFO> UserMap;

    CAppConfig* Config() const;
    int ChangeSuperUserPassword(const CString& oldPassword, const CString& newPassword);

    CLock m_lock;
    CString m_strPath;
    UserMap m_users;
    CAppConfig* m_pConfig;
};

// The login as the program makes it: users.Login, and after a login with
// apply has succeeded and returned, loader's LoadUserData (none with a null
// loader). Login's result: the login stands whatever the load gives.
int LoginAndLoadUserData(CUserManager& users, CUserDataLoader* loader, const CString& id, const CString& password,
                         BOOL apply);
