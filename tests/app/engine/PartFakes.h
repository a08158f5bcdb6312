// Stand-ins for what an engine part asks of its neighbours, so that one part
// can be built alone over real files and a real record-list database. Each
// answers as the test sets it up and notes what it was asked; the ones a
// part's own thread calls (the scheduler's) take a lock.
#pragma once

#include <afx.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "common/CAutoLock.h"
#include "common/CLock.h"
#include "app/engine/CChannelUse.h"
#include "app/engine/CDeviceLookup.h"
#include "app/engine/CDownloadTransfers.h"
#include "app/engine/CPlaybackSources.h"
#include "app/engine/CRecordFileQuery.h"
#include "app/engine/CRecordFileUse.h"
#include "app/engine/CScheduledDownloads.h"
#include "app/engine/CTargetNamer.h"

// Registered devices by id.
class FakeDevices : public CDeviceLookup {
public:
    void Put(int id, bool loggedIn, int loginHandle);
    DEVICE_RECORD GetDevice(int id) const override;
    bool ReadDevice(int id, const std::function<void(const DEVICE_RECORD&)>& read) const override;

private:
    mutable CLock m_lock;
    std::map<int, DEVICE_RECORD> m_records;
};

typedef std::pair<int, int> DeviceChannel;

// The channels the test says another part holds.
class FakeChannelUse : public CChannelUse {
public:
    bool IsChannelPlaying(int deviceId, int channel) override { return playing.count({deviceId, channel}) != 0; }
    bool IsChannelDownloading(int deviceId, int channel) override {
        return downloading.count({deviceId, channel}) != 0;
    }
    bool IsChannelConverting(int deviceId, const RECORD_FILE_DESC& desc) override {
        return converting.count({deviceId, (int)desc.channel}) != 0;
    }

    std::set<DeviceChannel> playing, downloading, converting;
};

// Files the test says are still needed; notes every path asked about.
class FakeFileUse : public CRecordFileUse {
public:
    bool IsRecordFileInUse(const CString& path) override {
        asked.push_back(std::wstring(path));
        return inUse.count(std::wstring(path)) != 0;
    }

    std::set<std::wstring> inUse;
    std::vector<std::wstring> asked;
};

// Names new files "<n>.duz" in one folder, or refuses when told to.
class FakeTargets : public CTargetNamer {
public:
    explicit FakeTargets(const std::wstring& folder) : m_folder(folder) {}
    int MakeTargetFileName(const DEVICE_RECORD* dev, int channel, const CTime* begin, CString kind, CString* outPath,
                           int mode, CString recordTypeText) override;
    int IsDiskFull() const override { return diskFull; }

    bool refuse = false;
    int diskFull = 0;

private:
    std::wstring m_folder;
    int m_made = 0;
};

// Downloads the SDK would run: a started one gets the next handle and its
// file (the SDK writes it from the start), unless a refusal was queued.
class FakeTransfers : public CDownloadTransfers {
public:
    struct START {
        int login;
        int handle;
        std::wstring path;
    };
    int DownloadToFile(int login, const RECORD_FILE_DESC& desc, const CString& path) override;
    int Control(int handle, int kind, int command, uint32_t value) override;

    std::deque<int> refusals;  // -1 or -2, one per start, before any handle is given
    std::vector<START> started;
    std::vector<int> stopped;

private:
    int m_nextHandle = 100;
};

// Playbacks and local files the SDK and the replay service would open.
class FakeSources : public CPlaybackSources {
public:
    struct START {
        int login;
        int channel;
        bool byTime;
        int handle;
    };
    struct COMMAND {
        int handle;
        int kind;
        int command;
        uint32_t value;
    };
    int PlayByFile(int login, const RECORD_FILE_DESC& desc) override;
    int PlayByTime(int login, int channel, const QVNET_TIME* start, const QVNET_TIME* end) override;
    // A file that exists opens as a source of 4 KB.
    int OpenLocalFile(const CString& path, int* sizeKB, int64_t* lengthBytes = nullptr) override;
    int Control(int handle, int kind, int command, uint32_t value) override;

    bool refuse = false;
    std::vector<START> started;  // refused starts too, with handle -1
    std::vector<std::wstring> opened;
    std::vector<COMMAND> commands;

private:
    int Start(int login, int channel, bool byTime);
    int m_nextHandle = 500;
};

// A device's record files, queried by channel and time window: the files
// that overlap it, in the order they were added.
class FakeRecordFiles : public CRecordFileQuery {
public:
    struct QUERY {
        int login;
        int channel;
        QVNET_TIME begin;
    };
    int QueryRecordFiles(int fileType, int login, int channel, const QVNET_TIME* start, const QVNET_TIME* end,
                         const CString& cardNumber, RECORD_FILE_DESC* buffer, int bufferSize, int* count) override;
    void Add(const RECORD_FILE_DESC& desc);
    void FailChannel(int channel);
    std::vector<QUERY> Queries();

private:
    CLock m_lock;
    std::vector<RECORD_FILE_DESC> m_files;
    std::set<int> m_failing;
    std::vector<QUERY> m_queries;
};

// The download tasks the scheduler adds, finishes and stops.
class FakeScheduledDownloads : public CScheduledDownloads {
public:
    struct ADDED {
        int deviceId;
        RECORD_FILE_DESC desc;
        int scheduleId;
        int weekday;
    };
    void SetLimit(int limit) override;
    int Add(int deviceId, const RECORD_FILE_DESC* desc, int scheduleId, int weekday) override;
    int FinishScheduleIfIdle(int scheduleId, int weekday) override;
    void StopScheduled() override;
    void StopManual() override;
    void RetireSchedule(int scheduleId) override;

    std::vector<ADDED> Added();
    std::vector<std::pair<int, int>> Finished();  // (schedule id, weekday)
    int Limit();

private:
    CLock m_lock;
    int m_limit = 0;
    std::vector<ADDED> m_added;
    std::vector<std::pair<int, int>> m_finished;
};

// A record-file descriptor of the channel on the day, from h:m:s, lasting
// the seconds given.
RECORD_FILE_DESC RecordAt(int channel, const CTime& day, int hour, int minute, int second, int lengthSeconds);
