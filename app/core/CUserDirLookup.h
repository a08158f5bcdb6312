// CUserDirLookup: finds a user's own directory for the configuration when
// it switches to that user. The user manager answers for its users.
#pragma once

#include <afx.h>

class CUserDirLookup {
public:
    virtual ~CUserDirLookup() = default;

    // The user's directory as stored (the record's systemdir); "" when the
    // user is unknown.
    virtual CString FindUserDir(const CString& userId) = 0;
};
