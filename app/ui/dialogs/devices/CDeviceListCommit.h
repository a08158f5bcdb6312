// CDeviceListCommit: the device dialog's OK. The edited working lists become
// the users' device files and, for the first user entry, the running
// engine's device list. A device keeps its id (its channel keys, its
// schedules) while its address stays; a logged-in device keeps its session
// unless its credentials changed. UI thread.
#pragma once

#include <afx.h>

#include <functional>
#include <vector>

#include "app/engine/CDeviceManager.h"

class CDeviceUserLists;

// What a commit could not do, by device title or file.
struct DEVICE_COMMIT_RESULT {
    std::vector<CString> unsaved;         // devices no list could keep (the list is full)
    std::vector<CString> unwrittenFiles;  // device files that could not be written
    std::vector<CString> notRunning;      // devices in the file that the engine refused
    bool Succeeded() const { return unsaved.empty() && unwrittenFiles.empty() && notRunning.empty(); }
};

class CDeviceListCommit {
public:
    // Hands a device to the main window's login queue.
    typedef std::function<void(const DEVICE_RECORD&)> LoginQueue;

    explicit CDeviceListCommit(const LoginQueue& queueLogin) : m_queueLogin(queueLogin) {}

    // Merges every entry's list (an entry sharing another's list once) and
    // writes it to its file; what could not be done.
    DEVICE_COMMIT_RESULT Commit(const CDeviceUserLists& lists);

    // The device's id and the channel and alarm keys made from it.
    static void SetDeviceIds(DEVICE_RECORD& record, int id);
    // Whether user name or password differ, as the device compares them.
    static bool CredentialsDiffer(const DEVICE_RECORD& a, const DEVICE_RECORD& b);
    // 1 when the logged-in device a has other credentials than b, else 0.
    static int CredentialsChanged(const DEVICE_RECORD& a, const DEVICE_RECORD& b);

private:
    // Merges one entry's edited list into its old list; the engine's for entry 0.
    void CommitEntry(int entry, CDeviceManager& working, CDeviceManager& scratch, DEVICE_COMMIT_RESULT& result);
    // False when the engine refused a device it had to take back.
    bool CommitMatchedDevice(bool live, DEVICE_RECORD& record, DEVICE_RECORD& old);

    LoginQueue m_queueLogin;
};
