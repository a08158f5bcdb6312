// CUserFolders: the local users' folders below the program directory, as the
// user editor's OK leaves them: the text a user record keeps for its folder,
// the IDs that may name one, the removal of a deleted user's folder, the move
// of a renamed user's folder and the making and seeding of a user's folder
// with the program's template files. A user's folder is always a direct child of the
// program directory named by the ID, and never one the program keeps for
// itself.
#pragma once

#include <afx.h>

#include <utility>
#include <vector>

#include "app/core/UserInfo.h"

class CUserFolders {
public:
    // The user's folder as stored: ".\ID" for an ID that can name a folder of
    // its own, else the program directory itself. Makes nothing on disk.
    static CString DirectoryText(const CString& id);
    // True when the ID names a folder the program keeps for itself (its log,
    // languages and skins), in any letter case.
    static bool IsProgramFolder(const CString& id);
    // True when the ID may name a user's folder: none of the program's own,
    // nor anything else already in the program directory but a folder of
    // the users (userFolders: the IDs they were saved with, deleted ones too).
    static bool CanName(const CString& id, const std::vector<CString>& userFolders);
    // After the users file took the users: deletes the folder of every
    // removed ID that no listed user keeps, then moves each renamed user's
    // folder to the new ID. Each listed user is given as (ID when loaded or
    // last saved, "" for a new user; ID now).
    static void Update(const std::vector<CString>& removedIds, const std::vector<std::pair<CString, CString>>& users);
    // Creates the user's folder when it is missing and copies the program's
    // template files into it, replacing none. A user whose folder cannot be
    // made is given the program directory; false then.
    static bool Seed(USER_INFO& user);

private:
    // Deletes the folder of every removed ID that no kept ID names.
    static void RemoveFolders(const std::vector<CString>& removedIds, const std::vector<CString>& keptIds);
    // Moves each renamed user's folder (old ID, new ID) to its new name.
    static void RenameFolders(const std::vector<std::pair<CString, CString>>& renames);
    static bool ExistsInProgramDir(const CString& id);
    // A plain ID that is not one of the program's own folders.
    static bool IsOwnFolderName(const CString& id);
};
