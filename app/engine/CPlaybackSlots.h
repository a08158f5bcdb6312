// CPlaybackSlots: the four playback slots of the main window. A slot shows
// one source (a device recording played by file or by time range, or a local
// record file) through a play port, and keeps a playlist of sources to play
// one after another. Stream data of the slots' sources arrives here on the
// SDK's and the replay pump's threads (OnStreamData).
//
// Locks, in the order they may nest:
// - a slot's playlist lock (SLOT_PLAYLIST::lock) is taken alone or before
//   m_lock, never inside it (playing a playlist's next item holds it);
// - m_lock guards the slot table. It is held across play-port calls, the
//   sources' seeks and local opens and the questions about other channel
//   users (CChannelUse: the download runner's and the conversion queue's
//   locks), never across an SDK playback start or stop
//   (the SDK's progress callback takes it) nor a posted message;
// - m_routeLock is a leaf inside m_lock. It guards what the stream-data path
//   reads and writes of a slot (handle, port, play state, received bytes):
//   every change to those fields takes it, so OnStreamData needs only it and
//   never waits for m_lock, which its callers (the replay pump holds its own
//   lock while it offers data) could otherwise deadlock against.
#pragma once

#include <afxwin.h>

#include <functional>
#include <vector>

#include "common/CLock.h"
#include "app/core/CRecordListDB.h"
#include "app/engine/CChannelUse.h"
#include "app/engine/CDeviceLookup.h"
#include "app/engine/CPlayPortPool.h"
#include "app/engine/CPlaybackSources.h"
#include "app/engine/CTargetNamer.h"
#include "app/engine/RECORD_TASK.h"
#include "app/engine/SLOT_PLAYLIST.h"

const int kSlotCount = 4;
// The lParam of WM_TW_SLOT_CLOSED when the engine closed the slot.
const LPARAM kSlotClosedByEngine = 257;

// Slot results.
enum {
    SLOT_ERR_CHANNEL_PLAYING = -201,
    SLOT_ERR_CHANNEL_DOWNLOADING = -202,
    SLOT_ERR_NO_PORT = -203,
    SLOT_ERR_NOT_STARTED = -204,
    SLOT_ERR_CHANNEL_CONVERTING = -205,
};

class CPlaybackSlots {
public:
    // What the slots ask of others: the sources they play, the play ports
    // that show them, the devices' records (logins, titles), where pictures
    // go and the record list they enter them in, and whether a download or
    // a conversion holds a channel.
    CPlaybackSlots(CPlaybackSources& sources, CPlayPortPool& ports, CDeviceLookup& devices, CTargetNamer& targets,
                   CRecordListDB& records, CChannelUse& channels);
    CPlaybackSlots(const CPlaybackSlots&) = delete;
    CPlaybackSlots& operator=(const CPlaybackSlots&) = delete;

    // The operations of the same names on CBackupEngine.
    int PlayRecord(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc);
    int PlayTimeRange(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc);
    int PlayLocalFile(int slot, int deviceId, int channel, HWND window, CString path);
    int PlayFiles(int slot, int deviceId, int channel, HWND window, const std::vector<CString>& paths);
    int PlayRecords(int slot, HWND window, int deviceId, const std::vector<RECORD_FILE_DESC>& descs);
    int PlayItem(int slot, HWND window, int n);
    int PlayNext(int slot, HWND window);
    int Control(int slot, int command, unsigned value);
    int Get(int slot, RECORD_TASK* out);
    int GetPlaylist(int slot, int* position, std::vector<RECORD_SOURCE>* out);
    int ClearPlaylist(int slot);
    int RefreshDisplay(int slot);
    int SetDisplayRegion(int slot, int index, RECT rect, const RECT& ref, HWND window, BOOL enable);
    int IsDrained(int slot);
    int SetSound(int slot, int on);
    // The play port's fourth, fifth and sixth play-state values.
    int GetPlayInfo(int slot, int* fourth, int* fifth, int* sixth);
    CString Snapshot(int slot);

    // A slot shows, or a playlist starts with, the device channel.
    bool IsChannelInUse(int deviceId, int channel);
    // A slot shows, or a playlist holds, the file. 1 or 0.
    int IsFileInUse(const CString& path);
    // Progress of a slot playing one source with this handle; false when
    // none does.
    bool UpdateProgress(int handle, uint32_t done, uint32_t total);
    // 0 found (device id and channel set), -1 not.
    int FindByHandle(int handle, int* deviceId, int* channel);
    // 0 taken by a slot, -1 refused (paused, or the port is full), 1 no slot
    // plays this handle.
    int OnStreamData(int handle, const void* data, int length);
    // Closes (playlist emptied, stopped, main window told) every slot that
    // plays the device, or the device's channel.
    void CloseDeviceSlots(int deviceId);
    void CloseChannelSlots(int deviceId, int channel);

private:
    bool SlotIndexValid(int slot) const { return slot >= 0 && slot < kSlotCount; }
    int OpenPort(int slot, HWND window);
    void ResetForNewSource(int slot);
    int CheckChannelFree(int deviceId, const RECORD_FILE_DESC& desc);
    int PlayDeviceSource(int slot, HWND window, int deviceId, const RECORD_FILE_DESC& desc, bool byTime);
    void ClosePortLocked(int slot);
    int PlayList(int slot, HWND window, const std::vector<RECORD_SOURCE>& items);
    int RestartPlayback(int slot, bool byTime);
    void Close(int slot);
    void CloseSlotsWhere(const std::function<bool(const RECORD_SOURCE&)>& plays);
    void SetPlayState(RECORD_SOURCE& source, int32_t state);

    CPlaybackSources& m_sources;
    CPlayPortPool& m_ports;
    CDeviceLookup& m_devices;
    CTargetNamer& m_targets;
    CRecordListDB& m_records;
    CChannelUse& m_channels;

    CLock m_lock;
    CLock m_routeLock;
    RECORD_TASK m_slots[kSlotCount];
    SLOT_PLAYLIST m_playlists[kSlotCount];
};
