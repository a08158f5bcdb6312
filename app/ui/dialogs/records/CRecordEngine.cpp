#include "CRecordEngine.h"

#include "app/engine/CBackupEngine.h"

namespace {

// The program's case: every call goes to the one engine, made on first use.
class CBackupEngineForwarder : public CRecordEngine {
public:
    int GetSlot(int slot, RECORD_TASK* out) override { return Engine().GetSlot(slot, out); }
    int ControlSlot(int slot, int command, int value) override {
        return Engine().ControlSlot(slot, command, static_cast<unsigned>(value));
    }
    int StopSlot(int slot) override { return Engine().StopSlot(slot); }
    int ClearSlotPlaylist(int slot) override { return Engine().ClearSlotPlaylist(slot); }
    int PlayFilesInSlot(int slot, int deviceId, int channel, HWND window, const std::vector<CString>& paths) override {
        return Engine().PlayFilesInSlot(slot, deviceId, channel, window, paths);
    }
    int GetSlotPlaylist(int slot, int* current, std::vector<RECORD_SOURCE>* out) override {
        return Engine().GetSlotPlaylist(slot, current, out);
    }
    int PlaySlotItem(int slot, HWND window, int index) override { return Engine().PlaySlotItem(slot, window, index); }
    int PlayNextInSlot(int slot, HWND window) override { return Engine().PlayNextInSlot(slot, window); }
    int IsSlotDrained(int slot) override { return Engine().IsSlotDrained(slot); }
    int SetSlotSound(int slot, int on) override { return Engine().SetSlotSound(slot, on); }
    int SetSlotDisplayRegion(int slot, int index, RECT region, const RECT& client, HWND window, BOOL enable) override {
        return Engine().SetSlotDisplayRegion(slot, index, region, client, window, enable);
    }
    int RefreshSlotDisplay(int slot) override { return Engine().RefreshSlotDisplay(slot); }
    CString SnapshotSlot(int slot) override { return Engine().SnapshotSlot(slot); }
    int IsFileInUse(const CString& path) override { return Engine().IsFileInUse(path); }
    int AddBackupCopyFile(const BACKUP_COPY_ITEM& item) override { return Engine().AddBackupCopyFile(item); }
    int IsFileInBackupCopy(const CString& path) override { return Engine().IsFileInBackupCopy(path); }
    int AddTask(const BACKUP_TASK& task) override { return Engine().TaskQueue().AddTask(task); }
    int RemoveTask(const BACKUP_TASK& key) override { return Engine().TaskQueue().RemoveTask(key); }
    int GetTask(std::vector<BACKUP_TASK>* out, BACKUP_TASK* key) override {
        return Engine().TaskQueue().GetTask(out, key);
    }
    int FindTaskByPath(const CString& path) override { return Engine().TaskQueue().FindTaskByPath(path); }
    int RunStep() override { return Engine().TaskQueue().RunStep(); }
    CRecordListDB& RecordList() override { return Engine().RecordList(); }

private:
    static CBackupEngine& Engine() { return GetBackupEngine(); }
};

CBackupEngineForwarder g_forwarder;
CRecordEngine* g_engine = nullptr;

}  // namespace

CRecordEngine& GetRecordEngine() { return g_engine ? *g_engine : g_forwarder; }

void SetRecordEngine(CRecordEngine* engine) { g_engine = engine; }
