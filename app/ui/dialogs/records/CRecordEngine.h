// CRecordEngine: what the record manager's windows ask of the backup engine
// (playback slots, the copy list, the conversion queue and the record list),
// in one replaceable face. The program uses the one that forwards to
// GetBackupEngine(); a test puts in its own to record the calls.
#pragma once

#include <afxwin.h>

#include <vector>

#include "app/core/CRecordListDB.h"
#include "app/engine/BACKUP_COPY_ITEM.h"
#include "app/engine/CBackupTaskQueue.h"
#include "app/engine/RECORD_TASK.h"

class CRecordEngine {
public:
    virtual ~CRecordEngine() = default;

    // Playback slots, each as CBackupEngine's operation of the same name.
    virtual int GetSlot(int slot, RECORD_TASK* out) = 0;
    virtual int ControlSlot(int slot, int command, int value) = 0;
    virtual int StopSlot(int slot) = 0;
    virtual int ClearSlotPlaylist(int slot) = 0;
    virtual int PlayFilesInSlot(int slot, int deviceId, int channel, HWND window,
                                const std::vector<CString>& paths) = 0;
    virtual int GetSlotPlaylist(int slot, int* current, std::vector<RECORD_SOURCE>* out) = 0;
    virtual int PlaySlotItem(int slot, HWND window, int index) = 0;
    virtual int PlayNextInSlot(int slot, HWND window) = 0;
    virtual int IsSlotDrained(int slot) = 0;
    virtual int SetSlotSound(int slot, int on) = 0;
    virtual int SetSlotDisplayRegion(int slot, int index, RECT region, const RECT& client, HWND window,
                                     BOOL enable) = 0;
    virtual int RefreshSlotDisplay(int slot) = 0;
    virtual CString SnapshotSlot(int slot) = 0;
    virtual int IsFileInUse(const CString& path) = 0;

    // The list of files being copied to a backup folder.
    virtual int AddBackupCopyFile(const BACKUP_COPY_ITEM& item) = 0;
    virtual int IsFileInBackupCopy(const CString& path) = 0;

    // The conversion queue, each as CBackupTaskQueue's operation.
    virtual int AddTask(const BACKUP_TASK& task) = 0;
    virtual int RemoveTask(const BACKUP_TASK& key) = 0;
    virtual int GetTask(std::vector<BACKUP_TASK>* out, BACKUP_TASK* key) = 0;
    virtual int FindTaskByPath(const CString& path) = 0;
    virtual int RunStep() = 0;

    // D_RecordList of the logged-in user.
    virtual CRecordListDB& RecordList() = 0;
};

// A slot copy holds a source once something was opened into it (a closed
// slot's source is reset to no item); it is open while the source has its
// playback handle.
inline bool SlotHasSource(const RECORD_TASK& slot) {
    return slot.sourceCount >= 1 && slot.source.itemType != SOURCE_ITEM_NONE;
}
inline bool SlotIsOpen(const RECORD_TASK& slot) { return SlotHasSource(slot) && slot.source.sdkHandle != 0; }

// The engine the record manager's windows use: the one set last, else the
// forwarder to GetBackupEngine().
CRecordEngine& GetRecordEngine();
// Null puts the forwarder back. The caller keeps ownership.
void SetRecordEngine(CRecordEngine* engine);
