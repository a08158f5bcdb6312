#include "QvNetSdkFixture.h"

std::mutex g_mutex;

std::vector<int32_t> g_disconnects;

// The program looks its device up under its own lock in this callback.
std::mutex g_programLock;

std::atomic<int> g_inDisconnect{0};

void QVNET_CALL OnDisconnect(int32_t loginHandle, const char*, int32_t, QVNET_USER) {
    ++g_inDisconnect;
    std::lock_guard<std::mutex> program(g_programLock);
    --g_inDisconnect;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_disconnects.push_back(loginHandle);
}

std::vector<int32_t> Disconnects() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_disconnects;
}

bool FileIsClosedByWriter(const std::string& path) {
    // Opening without sharing succeeds only when no one else has it open.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

void QVNET_CALL OnFilePos(int32_t, uint32_t total, uint32_t done, QVNET_USER user) {
    Progress* p = reinterpret_cast<Progress*>(user);
    if (done >= total && !p->path.empty()) p->fileClosedAtEnd = FileIsClosedByWriter(p->path);
    p->Add(total, done);
}

void QVNET_CALL OnTimePos(int32_t, uint32_t total, uint32_t done, int32_t, const RECORD_FILE_DESC*, QVNET_USER user) {
    Progress* p = reinterpret_cast<Progress*>(user);
    if (done == 0xFFFFFFFFu && !p->path.empty()) p->fileClosedAtEnd = FileIsClosedByWriter(p->path);
    p->Add(total, done);
}

int32_t QVNET_CALL OnData(int32_t, uint32_t, const uint8_t* data, uint32_t length, QVNET_USER user) {
    Sink* sink = reinterpret_cast<Sink*>(user);
    std::lock_guard<std::mutex> lock(sink->mutex);
    if (++sink->offers % 3 == 0) {
        ++sink->refused;
        return 0;
    }
    sink->bytes.insert(sink->bytes.end(), data, data + length);
    return 1;
}

int32_t Threads() {
    QVNET_TEST_COUNTERS counters = {};
    Sdk().TestGetCounters(&counters);
    return counters.threads;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string ReadFileBytes(const std::string& path) {
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    return bytes;
}

std::string Expected(uint32_t channel, const QVNET_TIME& begin, const QVNET_TIME& end) {
    streamfmt::StreamParams streamParams;
    streamParams.channel = channel;
    streamParams.beginTime = qvwire::TimeToSeconds(begin);
    streamParams.endTime = qvwire::TimeToSeconds(end);
    const std::vector<uint8_t> bytes = streamfmt::BuildStream(streamParams);
    return std::string(bytes.begin(), bytes.end());
}

QVNET_TIME At(uint32_t hour, uint32_t minute, uint32_t second) { return SdkTestTime(hour, minute, second); }
