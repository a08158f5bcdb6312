// CUserFolders: the local users' folders below the program directory, as the
// user editor's OK leaves them: the text a user record keeps for its folder,
// the folder that text names, the removal of a deleted user's folder and the
// seeding of a user's folder with the program's template files.
#pragma once

#include <afx.h>

#include <vector>

class CUserFolders {
public:
    // The user's folder as stored: ".\ID" once it exists below the program
    // directory, else the program directory itself.
    static CString DirectoryText(const CString& id);
    // The folder a stored text names (".\" standing for the program directory).
    static CString DirectoryPath(const CString& systemDir);
    // Deletes the folder of every removed ID that no remaining ID shares.
    static void RemoveFolders(const std::vector<CString>& removedIds, const std::vector<CString>& remainingIds);
    // Creates the folder a stored text names and copies the program's
    // template files into it, replacing none.
    static void Seed(const CString& systemDir);

private:
    static bool IsRemovable(const CString& id, const std::vector<CString>& remainingIds);
};
