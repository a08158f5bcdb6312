// USER_INFO: one local user account, copied by value between the user
// manager and the dialogs.
#pragma once

#include <afx.h>

#include <cstdint>

// The super user holds all eleven rights.
const long kAllRights = 2047;

struct USER_INFO {
    CString id;  // login name; "" means no user
    CString name;
    CString psw;  // clear text in memory, coded in the users file
    CString sex;
    CString birthday;
    CString role;
    CString information;
    CString systemdir;  // the user's own folder for its device list, schedules and records
    CString rights;     // decimal text of a bit mask
    int32_t loggedIn;   // 1 in the current-user record after a login

    // sex "male", birthday "2000-01-01", every other text "", not logged in.
    USER_INFO();

    // 0 when id is not empty and the rights hold every bit of mask, else -1.
    int HasRight(long mask) const;
};

// The rights text of a mask ("%ld").
CString FormatRights(long mask);
