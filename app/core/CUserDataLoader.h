// CUserDataLoader: what follows a finished login. It loads the logged-in
// user's devices, schedules, record list, users and short keys from the
// folder the configuration points at by then; the backup engine is the
// program's one.
#pragma once

class CUserDataLoader {
public:
    virtual ~CUserDataLoader() = default;

    // 0; -1 when part of the data could not be loaded (the loader reports
    // it; the login stands all the same).
    virtual int LoadUserData() = 0;
};
