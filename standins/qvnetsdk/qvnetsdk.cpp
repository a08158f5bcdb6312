// The exports of qvnetsdk.dll. Each entry catches everything: no exception
// leaves the DLL, and a failure leaves its code for QVNET_LastErrorCode.
#define QVNET_DECLARE_EXPORTS
#include "standins/qvnetsdk/qvnetsdk.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "standins/qvnetsdk/CSdkCore.h"
#include "standins/qvnetsdk/CSdkJob.h"
#include "standins/qvnetsdk/CSdkLocalAudio.h"
#include "standins/qvnetsdk/CSdkSearch.h"
#include "standins/qvnetsdk/CSdkSession.h"
#include "standins/qvnetsdk/CSdkTalk.h"
#include "standins/qvnetsdk/CSdkFileWriter.h"
#include "standins/qvnetsdk/CSdkTransfer.h"
#include "standins/qvnetsdk/SdkSocket.h"
#include "standins/qvnetsdk/SdkWire.h"

using namespace qvwire;

namespace {

thread_local uint32_t t_lastError = 0;
const size_t kMaxDdnsAddress = 256;
const size_t kMaxDdnsName = 172;

int32_t Fail(uint32_t error) {
    t_lastError = error;
    return 0;
}

int32_t Done(int32_t result = 1) {
    t_lastError = QVNET_ERR_NONE;
    return result;
}

CSdkCore& Core() { return CSdkCore::Get(); }

uint32_t WaitOf(int32_t waitMs) {
    return static_cast<uint32_t>(waitMs > 0 ? waitMs : Core().Params().replyWaitMs);
}

// The live session of a login handle, or null with the reason in `error`.
std::shared_ptr<CSdkSession> SessionOf(int32_t loginHandle, uint32_t& error) {
    if (!Core().IsInitialised()) {
        error = QVNET_ERR_NOT_INIT;
        return nullptr;
    }
    std::shared_ptr<CSdkSession> session = Core().Find<CSdkSession>(loginHandle);
    if (!session) {
        error = QVNET_ERR_INVALID_HANDLE;
        return nullptr;
    }
    if (!session->IsAlive()) {
        error = QVNET_ERR_NETWORK;
        return nullptr;
    }
    return session;
}

template <class T>
std::shared_ptr<T> ObjectOf(int32_t handle, uint32_t& error) {
    if (!Core().IsInitialised()) {
        error = QVNET_ERR_NOT_INIT;
        return nullptr;
    }
    std::shared_ptr<T> object = Core().Find<T>(handle);
    if (!object) error = QVNET_ERR_INVALID_HANDLE;
    return object;
}

// One request on a login; the reply, or an error reply.
SdkReply Request(int32_t loginHandle, uint8_t command, const uint32_t (&args)[4], const std::vector<uint8_t>& body,
                 uint32_t waitMs) {
    SdkReply reply;
    std::shared_ptr<CSdkSession> session = SessionOf(loginHandle, reply.error);
    if (!session) return reply;
    return session->Call(command, args, body, waitMs);
}

// A query that fills the caller's buffer with one block from the device.
int32_t QueryBlock(int32_t loginHandle, uint32_t kind, uint32_t a1, uint32_t a2, void* buffer, int32_t size,
                   int32_t* length, int32_t waitMs) {
    if (!buffer || size < 0) return Fail(QVNET_ERR_INVALID_PARAM);
    const uint32_t args[4] = {kind, a1, a2, static_cast<uint32_t>(size)};
    SdkReply reply = Request(loginHandle, kCmdQuery, args, {}, WaitOf(waitMs));
    if (reply.error) return Fail(reply.error);
    if (reply.body.size() > static_cast<size_t>(size)) return Fail(QVNET_ERR_BUFFER_SMALL);
    if (!reply.body.empty()) std::memcpy(buffer, reply.body.data(), reply.body.size());
    if (length) *length = static_cast<int32_t>(reply.body.size());
    return Done();
}

int32_t SetValue(int32_t loginHandle, uint32_t kind, uint32_t a1, const void* data, size_t length) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    const uint32_t args[4] = {kind, a1, 0, 0};
    SdkReply reply = Request(loginHandle, kCmdSet, args, std::vector<uint8_t>(p, p + length), WaitOf(0));
    return reply.error ? Fail(reply.error) : Done();
}

int32_t StartTransfer(int32_t loginHandle, CSdkTransfer::Kind kind, const OpenRequest& request, const char* path,
                      const CSdkTransfer::Callbacks& callbacks) {
    uint32_t error = 0;
    std::shared_ptr<CSdkSession> session = SessionOf(loginHandle, error);
    if (!session) return Fail(error);
    std::shared_ptr<CSdkTransfer> transfer;
    error = CSdkTransfer::Open(session, kind, request, path ? path : "", callbacks, transfer);
    if (error) return Fail(error);
    const int32_t handle = Core().Register(transfer);
    if (!handle) {
        transfer->Shutdown();
        return Fail(QVNET_ERR_NOT_INIT);
    }
    transfer->Start();
    return Done(handle);
}

int32_t StopTransfer(int32_t handle) {
    if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
    std::shared_ptr<CSdkTransfer> transfer = Core().Remove<CSdkTransfer>(handle);
    if (!transfer) return Fail(QVNET_ERR_INVALID_HANDLE);
    transfer->Shutdown();
    return Done();
}

OpenRequest TimeRangeRequest(int32_t channel, const QVNET_TIME& start, const QVNET_TIME& end) {
    OpenRequest request;
    request.mode = kOpenTimeRange;
    request.channel = static_cast<uint32_t>(channel);
    request.start = start;
    request.end = end;
    return request;
}

OpenRequest FileRequest(const RECORD_FILE_DESC& file) {
    OpenRequest request;
    request.mode = kOpenFile;
    request.file = file;
    return request;
}

}  // namespace

#define QVNET_GUARD(failure) \
    catch (...) {            \
        t_lastError = QVNET_ERR_INVALID_PARAM; \
        return failure;      \
    }

extern "C" {

int32_t QVNET_CALL QVNET_Init(QVNET_DisconnectCallback onDisconnect, QVNET_USER user) {
    try {
        return Core().Init(onDisconnect, user) ? Done() : Fail(QVNET_ERR_NETWORK);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_Cleanup(void) {
    try {
        CSdkLocalAudio::Get().Stop();
        Core().Cleanup();
        return Done();
    }
    QVNET_GUARD(0)
}

void QVNET_CALL QVNET_SetMessageCallback(QVNET_MessageCallback callback, QVNET_USER user) {
    try {
        Core().SetMessageCallback(callback, user);
    } catch (...) {
    }
}

void QVNET_CALL QVNET_SetEventCallback(QVNET_EventCallback callback, QVNET_USER user) {
    try {
        Core().SetEventCallback(callback, user);
    } catch (...) {
    }
}

int32_t QVNET_CALL QVNET_SetNetworkParams(const QVNET_NET_PARAMS* params) {
    try {
        if (!params) return Fail(QVNET_ERR_INVALID_PARAM);
        Core().SetParams(*params);
        return Done();
    }
    QVNET_GUARD(0)
}

uint32_t QVNET_CALL QVNET_LastErrorCode(void) { return t_lastError; }

int32_t QVNET_CALL QVNET_LoginDevice(const char* ip, int32_t port, const char* user, const char* password,
                                     int32_t loginType, int32_t reserved, QVNET_DEVICE_INFO* info, int32_t* error) {
    try {
        if (error) *error = QVNET_LOGIN_TIMEOUT;
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        if (!ip || port <= 0 || port > 65535) return Fail(QVNET_ERR_INVALID_PARAM);
        int32_t loginError = 0;
        uint32_t failure = 0;
        std::shared_ptr<CSdkSession> session =
            CSdkSession::Login(ip, port, user, password, Core().Params(), loginError, failure);
        if (!session) {
            if (error) *error = loginError;
            return Fail(failure);
        }
        const int32_t handle = Core().Register(session);
        if (!handle) {
            session->Close(true);
            return Fail(QVNET_ERR_NOT_INIT);
        }
        session->Start();
        if (info) *info = session->Info();
        if (error) *error = 0;
        return Done(handle);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_LogoutDevice(int32_t loginHandle) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        std::shared_ptr<CSdkSession> session = Core().Remove<CSdkSession>(loginHandle);
        if (!session) return Fail(QVNET_ERR_INVALID_HANDLE);
        session->Close(true);
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_PostLoginSetup(int32_t loginHandle) {
    try {
        return SetValue(loginHandle, kSetProtocol, 4, nullptr, 0);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_PostLoginSetupV5(int32_t loginHandle) {
    try {
        return SetValue(loginHandle, kSetProtocol, 5, nullptr, 0);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ResolveViaDdns(const char* serverIp, int32_t serverPort, const char* deviceName,
                                        int32_t nameLength, const char* reserved1, int32_t reserved2,
                                        char* deviceIp) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        if (!serverIp || !deviceName || !deviceIp || serverPort <= 0 || serverPort > 65535) {
            return Fail(QVNET_ERR_INVALID_PARAM);
        }
        size_t length = nameLength > 0 ? static_cast<size_t>(nameLength) : std::strlen(deviceName);
        length = std::min({length, std::strlen(deviceName), kMaxDdnsName});
        const QVNET_NET_PARAMS params = Core().Params();
        SOCKET s = qvsock::Connect(serverIp, static_cast<uint16_t>(serverPort),
                                   static_cast<uint32_t>(params.connectWaitMs));
        if (s == INVALID_SOCKET) return Fail(QVNET_ERR_NETWORK);
        PacketHeader header;
        header.command = kCmdDdns;
        header.sequence = 1;
        std::vector<uint8_t> reply;
        const bool answered =
            qvsock::SendAll(s, BuildPacket(header, reinterpret_cast<const uint8_t*>(deviceName), length)) &&
            qvsock::ReceiveCommand(s, kCmdDdns, static_cast<uint32_t>(params.replyWaitMs), reply);
        closesocket(s);
        if (!answered) return Fail(QVNET_ERR_TIMEOUT);
        PacketHeader answer;
        DecodeHeader(reply.data(), reply.size(), answer);
        if (answer.status != kStatusOk || answer.bodyLength == 0) return Fail(QVNET_ERR_NO_FILE);
        const std::string address(reinterpret_cast<const char*>(reply.data() + kHeaderSize),
                                  std::min<size_t>(answer.bodyLength, kMaxDdnsAddress));
        CopyText(deviceIp, kMaxDdnsAddress + 1, FieldText(address.data(), address.size()));
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ReadChannelNames(int32_t loginHandle, char* buffer, int32_t size, int32_t* count,
                                          int32_t waitMs) {
    try {
        int32_t length = 0;
        if (!QueryBlock(loginHandle, kQueryChannelNames, 0, 0, buffer, size, &length, waitMs)) return 0;
        if (count) *count = length / 32;
        return 1;
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ReadDeviceStatus(int32_t loginHandle, int32_t statusType, char* buffer, int32_t size,
                                          int32_t* length, int32_t waitMs) {
    try {
        return QueryBlock(loginHandle, kQueryStatus, static_cast<uint32_t>(statusType), 0, buffer, size, length,
                          waitMs);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ReadDeviceConfig(int32_t loginHandle, int32_t configType, void* buffer, int32_t size,
                                          int32_t* length, int32_t waitMs) {
    try {
        return QueryBlock(loginHandle, kQueryDeviceConfig, static_cast<uint32_t>(configType), 0, buffer, size,
                          length, waitMs);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ReadChannelConfig(int32_t loginHandle, int32_t configType, int32_t channel, void* buffer,
                                           int32_t size, int32_t* length, int32_t waitMs) {
    try {
        return QueryBlock(loginHandle, kQueryChannelConfig, static_cast<uint32_t>(configType),
                          static_cast<uint32_t>(channel), buffer, size, length, waitMs);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ReadRecordStates(int32_t loginHandle, char* buffer, int32_t size, int32_t* length,
                                          int32_t waitMs) {
    try {
        return QueryBlock(loginHandle, kQueryRecordStates, 0, 0, buffer, size, length, waitMs);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_ReadDeviceClock(int32_t loginHandle, QVNET_TIME* time, int32_t waitMs) {
    try {
        if (!time) return Fail(QVNET_ERR_INVALID_PARAM);
        uint8_t block[24];
        int32_t length = 0;
        if (!QueryBlock(loginHandle, kQueryClock, 0, 0, block, sizeof(block), &length, waitMs)) return 0;
        if (length != 24) return Fail(QVNET_ERR_UNSUPPORTED);
        *time = ReadTime(block);
        return 1;
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_WriteDeviceClock(int32_t loginHandle, const QVNET_TIME* time) {
    try {
        if (!time || !IsValidTime(*time)) return Fail(QVNET_ERR_INVALID_PARAM);
        std::vector<uint8_t> body;
        AppendTime(body, *time);
        return SetValue(loginHandle, kSetClock, 0, body.data(), body.size());
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_WriteChannelNames(int32_t loginHandle, const char* buffer, int32_t size) {
    try {
        if (!buffer || size <= 0 || static_cast<size_t>(size) > kMaxBody) return Fail(QVNET_ERR_INVALID_PARAM);
        return SetValue(loginHandle, kSetChannelNames, 0, buffer, static_cast<size_t>(size));
    }
    QVNET_GUARD(0)
}

// The device restarts (A) or shuts down (B) after answering: the loss of the
// session that follows is expected and not reported as a disconnection.
static int32_t ControlDevice(int32_t loginHandle, uint32_t kind) {
    uint32_t error = 0;
    std::shared_ptr<CSdkSession> session = SessionOf(loginHandle, error);
    if (!session) return Fail(error);
    const uint32_t args[4] = {kind, 0, 0, 0};
    SdkReply reply = session->Call(kCmdSet, args, {}, WaitOf(0), true);
    return reply.error ? Fail(reply.error) : Done();
}

int32_t QVNET_CALL QVNET_DeviceControlA(int32_t loginHandle) {
    try {
        return ControlDevice(loginHandle, kSetRestart);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_DeviceControlB(int32_t loginHandle) {
    try {
        return ControlDevice(loginHandle, kSetShutdown);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_FindRecordFiles(int32_t loginHandle, int32_t channel, int32_t fileType,
                                         const QVNET_TIME* start, const QVNET_TIME* end, const char* cardNumber,
                                         RECORD_FILE_DESC* buffer, int32_t bufferSize, int32_t* count,
                                         int32_t waitMs, int32_t reserved) {
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

int32_t QVNET_CALL QVNET_FetchTimeRange(int32_t loginHandle, int32_t channel, int32_t fileType,
                                        const QVNET_TIME* start, const QVNET_TIME* end, const char* savePath,
                                        QVNET_TimePosCallback onPos, QVNET_USER user) {
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

int32_t QVNET_CALL QVNET_StartChannelFileJob(int32_t loginHandle, int32_t channel, const char* fileName,
                                             int32_t valueA, int32_t valueB) {
    try {
        if (channel < 0) return Fail(QVNET_ERR_INVALID_PARAM);
        uint32_t error = 0;
        std::shared_ptr<CSdkSession> session = SessionOf(loginHandle, error);
        if (!session) return Fail(error);
        std::vector<uint8_t> body;
        AppendU32(body, static_cast<uint32_t>(channel));
        AppendU32(body, static_cast<uint32_t>(valueA));
        AppendU32(body, static_cast<uint32_t>(valueB));
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

int32_t QVNET_CALL QVNET_SetTalkEncoding(int32_t loginHandle, int32_t kind, const void* format) {
    try {
        if (!format) return Fail(QVNET_ERR_INVALID_PARAM);
        return SetValue(loginHandle, kSetTalkEncoding, static_cast<uint32_t>(kind), format, 76);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_OpenTalk(int32_t loginHandle, QVNET_TalkCallback onAudio, QVNET_USER user) {
    try {
        uint32_t error = 0;
        std::shared_ptr<CSdkSession> session = SessionOf(loginHandle, error);
        if (!session) return Fail(error);
        const uint32_t args[4] = {kTalkOpen, 0, 0, 0};
        SdkReply reply = session->Call(kCmdTalk, args, WaitOf(0));
        if (reply.error) return Fail(reply.error);
        auto talk = std::make_shared<CSdkTalk>(session, reply.header.args[0], onAudio, user);
        const int32_t handle = Core().Register(talk);
        if (!handle) {
            talk->Shutdown();
            return Fail(QVNET_ERR_NOT_INIT);
        }
        return Done(handle);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_SendTalkAudio(int32_t talkHandle, const char* buffer, int32_t length) {
    try {
        if (!buffer || length <= 0 || static_cast<size_t>(length) > kMaxBody) {
            Fail(QVNET_ERR_INVALID_PARAM);
            return -1;
        }
        uint32_t error = 0;
        std::shared_ptr<CSdkTalk> talk = ObjectOf<CSdkTalk>(talkHandle, error);
        if (talk) error = talk->Send(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(length));
        if (error) {
            Fail(error);
            return -1;
        }
        return Done(length);
    }
    QVNET_GUARD(-1)
}

int32_t QVNET_CALL QVNET_CloseTalk(int32_t talkHandle) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        std::shared_ptr<CSdkTalk> talk = Core().Remove<CSdkTalk>(talkHandle);
        if (!talk) return Fail(QVNET_ERR_INVALID_HANDLE);
        talk->Shutdown();
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StartLocalAudio(void) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        const uint32_t error = CSdkLocalAudio::Get().Start();
        return error ? Fail(error) : Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StopLocalAudio(void) {
    try {
        CSdkLocalAudio::Get().Stop();
        return Done();
    }
    QVNET_GUARD(0)
}

void QVNET_CALL QVNET_PlayDeviceAudio(const char* buffer, int32_t length) {
    try {
        if (buffer && length > 0) CSdkLocalAudio::Get().Play(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(length));
    } catch (...) {
    }
}

int32_t QVNET_CALL QVNET_TestUseSyntheticAudio(int32_t on) {
    try {
        CSdkLocalAudio::Get().SetSynthetic(on != 0);
        return Done();
    }
    QVNET_GUARD(0)
}

// Downloads' file writes fail once a file would hold more than keptKB KiB,
// as on a full disk; below 0 lifts the fault.
int32_t QVNET_CALL QVNET_TestFailFileWrites(int32_t keptKB) {
    try {
        CSdkFileWriter::FailWritesBeyond(keptKB < 0 ? -1 : static_cast<int64_t>(keptKB) * 1024);
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StartDeviceSearch(QVNET_SearchCallback onFound, QVNET_USER user, int32_t reserved) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        if (!onFound) return Fail(QVNET_ERR_INVALID_PARAM);
        std::string ip;
        int32_t port = 0;
        Core().SearchTarget(ip, port);
        std::shared_ptr<CSdkSearch> search = std::make_shared<CSdkSearch>(onFound, user);
        if (!search->Open(ip, port)) return Fail(QVNET_ERR_NETWORK);
        const int32_t handle = Core().Register(search);
        if (!handle) return Fail(QVNET_ERR_NOT_INIT);
        search->Start();
        return Done(handle);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StopDeviceSearch(int32_t searchHandle) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        std::shared_ptr<CSdkSearch> search = Core().Remove<CSdkSearch>(searchHandle);
        if (!search) return Fail(QVNET_ERR_INVALID_HANDLE);
        search->Shutdown();
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_TestSetSearchTarget(const char* ip, int32_t port) {
    try {
        if (!ip || port <= 0 || port > 65535) return Fail(QVNET_ERR_INVALID_PARAM);
        Core().SetSearchTarget(ip, port);
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_TestGetCounters(QVNET_TEST_COUNTERS* counters) {
    try {
        if (!counters) return Fail(QVNET_ERR_INVALID_PARAM);
        Core().GetCounters(*counters);
        return Done();
    }
    QVNET_GUARD(0)
}

}  // extern "C"
