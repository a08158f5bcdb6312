// The exports of qvnetsdk.dll: record search, downloads, playback and the channel file job.
// Each entry catches everything: no exception leaves the DLL, and a failure
// leaves its code for QVNET_LastErrorCode.
#define QVNET_DECLARE_EXPORTS
#include "sdk/qvnetsdk/qvnetsdk.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "standins/qvnetsdk/CSdkJob.h"
#include "standins/qvnetsdk/SdkExportSupport.h"

using namespace qvwire;
using namespace sdkexport;

extern "C" {

int32_t QVNET_CALL QVNET_FindRecordFiles(int32_t loginHandle, int32_t channel, int32_t fileType,
                                         const QVNET_TIME* start, const QVNET_TIME* end, const char* cardNumber,
                                         RECORD_FILE_DESC* buffer, int32_t bufferSize, int32_t* count, int32_t waitMs,
                                         int32_t reserved) {
    try {
        if (count) *count = 0;
        if (!start || !end || !buffer || !count || channel < 0) return Fail(QVNET_ERR_INVALID_PARAM);
        const size_t capacity = bufferSize > 0 ? static_cast<size_t>(bufferSize) / sizeof(RECORD_FILE_DESC) : 0;
        if (capacity == 0) return Fail(QVNET_ERR_BUFFER_SMALL);
        FindRequest request;
        request.channel = static_cast<uint32_t>(channel);
        request.fileType = static_cast<uint32_t>(fileType);
        request.start = *start;
        request.end = *end;
        if (cardNumber) CopyText(request.card, sizeof(request.card), cardNumber);
        size_t got = 0;
        // One answer carries a bounded number of descriptors; a larger buffer
        // is filled by asking again from where the last answer stopped.
        while (got < capacity) {
            request.startIndex = static_cast<uint32_t>(got);
            request.maxCount = static_cast<uint32_t>(std::min<size_t>(capacity - got, kMaxDescriptorsPerReply));
            const uint32_t args[4] = {0, 0, 0, 0};
            SdkReply reply = Request(loginHandle, kCmdFind, args, EncodeFindRequest(request), WaitOf(waitMs));
            if (reply.error) return Fail(reply.error);
            const size_t n = reply.header.args[0];
            if (n > request.maxCount || reply.body.size() != n * sizeof(RECORD_FILE_DESC)) {
                return Fail(QVNET_ERR_NETWORK);
            }
            if (n) std::memcpy(buffer + got, reply.body.data(), reply.body.size());
            got += n;
            if (n < request.maxCount || got >= reply.header.args[1]) break;
        }
        *count = static_cast<int32_t>(got);
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_FetchRecordFile(int32_t loginHandle, const RECORD_FILE_DESC* file, const char* savePath,
                                         QVNET_FilePosCallback onPos, QVNET_USER user) {
    try {
        if (!file || !savePath || !*savePath) return Fail(QVNET_ERR_INVALID_PARAM);
        CSdkTransfer::Callbacks callbacks;
        callbacks.onFilePos = onPos;
        callbacks.posUser = user;
        return StartTransfer(loginHandle, CSdkTransfer::kFetchFile, FileRequest(*file), savePath, callbacks);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_FetchTimeRange(int32_t loginHandle, int32_t channel, int32_t fileType, const QVNET_TIME* start,
                                        const QVNET_TIME* end, const char* savePath, QVNET_TimePosCallback onPos,
                                        QVNET_USER user) {
    try {
        if (!start || !end || !savePath || !*savePath || channel < 0) return Fail(QVNET_ERR_INVALID_PARAM);
        CSdkTransfer::Callbacks callbacks;
        callbacks.onTimePos = onPos;
        callbacks.posUser = user;
        return StartTransfer(loginHandle, CSdkTransfer::kFetchTime, TimeRangeRequest(channel, *start, *end), savePath,
                             callbacks);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StopFetch(int32_t fetchHandle) {
    try {
        return StopTransfer(fetchHandle);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ReplayRecordFile(int32_t loginHandle, const RECORD_FILE_DESC* file, void* window,
                                          QVNET_FilePosCallback onPos, QVNET_USER posUser, QVNET_DataCallback onData,
                                          QVNET_USER dataUser) {
    try {
        if (!file) return Fail(QVNET_ERR_INVALID_PARAM);
        CSdkTransfer::Callbacks callbacks;
        callbacks.onFilePos = onPos;
        callbacks.posUser = posUser;
        callbacks.onData = onData;
        callbacks.dataUser = dataUser;
        return StartTransfer(loginHandle, CSdkTransfer::kReplay, FileRequest(*file), nullptr, callbacks);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ReplayTimeRange(int32_t loginHandle, int32_t channel, const QVNET_TIME* start,
                                         const QVNET_TIME* end, void* window, QVNET_FilePosCallback onPos,
                                         QVNET_USER posUser, QVNET_DataCallback onData, QVNET_USER dataUser) {
    try {
        if (!start || !end || channel < 0) return Fail(QVNET_ERR_INVALID_PARAM);
        CSdkTransfer::Callbacks callbacks;
        callbacks.onFilePos = onPos;
        callbacks.posUser = posUser;
        callbacks.onData = onData;
        callbacks.dataUser = dataUser;
        return StartTransfer(loginHandle, CSdkTransfer::kReplay, TimeRangeRequest(channel, *start, *end), nullptr,
                             callbacks);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_SeekReplay(int32_t replayHandle, uint32_t rangeOffsetKB, uint32_t fileOffsetKB) {
    try {
        uint32_t error = 0;
        std::shared_ptr<CSdkTransfer> transfer = ObjectOf<CSdkTransfer>(replayHandle, error);
        if (!transfer) return Fail(error);
        const uint32_t kb = fileOffsetKB != 0xFFFFFFFFu ? fileOffsetKB : rangeOffsetKB;
        if (kb == 0xFFFFFFFFu) return Fail(QVNET_ERR_INVALID_PARAM);
        transfer->Seek(static_cast<uint64_t>(kb) * 1024);
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StopReplay(int32_t replayHandle) {
    try {
        return StopTransfer(replayHandle);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StartChannelFileJob(int32_t loginHandle, int32_t channel, const char* fileName, int32_t valueA,
                                             int32_t valueB) {
    try {
        if (channel < 0) return Fail(QVNET_ERR_INVALID_PARAM);
        uint32_t error = 0;
        std::shared_ptr<CSdkSession> session = SessionOf(loginHandle, error);
        if (!session) return Fail(error);
        std::vector<uint8_t> body;
        AppendLe32(body, static_cast<uint32_t>(channel));
        AppendLe32(body, static_cast<uint32_t>(valueA));
        AppendLe32(body, static_cast<uint32_t>(valueB));
        if (fileName) body.insert(body.end(), fileName, fileName + std::min<size_t>(std::strlen(fileName), 260));
        const uint32_t args[4] = {kJobStart, 0, 0, 0};
        SdkReply reply = session->Call(kCmdJob, args, body, WaitOf(0));
        if (reply.error) return Fail(reply.error);
        const int32_t handle = Core().Register(std::make_shared<CSdkJob>(session, reply.header.args[0]));
        return handle ? Done(handle) : Fail(QVNET_ERR_NOT_INIT);
    }
    QVNET_GUARD(0)
}

static int32_t JobRequest(int32_t jobHandle, uint32_t op) {
    uint32_t error = 0;
    std::shared_ptr<CSdkJob> job = ObjectOf<CSdkJob>(jobHandle, error);
    if (!job) return Fail(error);
    const uint32_t args[4] = {op, job->DeviceJobId(), 0, 0};
    SdkReply reply = job->Session()->Call(kCmdJob, args, WaitOf(0));
    if (reply.error) return Fail(reply.error);
    if (op == kJobStop) Core().Remove<CSdkJob>(jobHandle);
    return Done();
}

int32_t QVNET_CALL QVNET_QueryChannelFileJob(int32_t jobHandle) {
    try {
        return JobRequest(jobHandle, kJobQuery);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StopChannelFileJob(int32_t jobHandle) {
    try {
        return JobRequest(jobHandle, kJobStop);
    }
    QVNET_GUARD(0)
}

}  // extern "C"
