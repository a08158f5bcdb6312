// The exports of qvnetsdk.dll: start-up, logins, device reads, writes and control.
// Each entry catches everything: no exception leaves the DLL, and a failure
// leaves its code for QVNET_LastErrorCode.
#define QVNET_DECLARE_EXPORTS
#include "sdk/qvnetsdk/qvnetsdk.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "standins/qvnetsdk/CSdkLocalAudio.h"
#include "standins/qvnetsdk/SdkSocket.h"
#include "standins/qvnetsdk/SdkExportSupport.h"

using namespace qvwire;
using namespace sdkexport;

namespace {

const size_t kMaxDdnsAddress = 256;
const size_t kMaxDdnsName = 172;

}  // namespace

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
    } catch (...) {}
}

void QVNET_CALL QVNET_SetEventCallback(QVNET_EventCallback callback, QVNET_USER user) {
    try {
        Core().SetEventCallback(callback, user);
    } catch (...) {}
}

int32_t QVNET_CALL QVNET_SetNetworkParams(const QVNET_NET_PARAMS* params) {
    try {
        if (!params) return Fail(QVNET_ERR_INVALID_PARAM);
        Core().SetParams(*params);
        return Done();
    }
    QVNET_GUARD(0)
}

uint32_t QVNET_CALL QVNET_LastErrorCode(void) { return LastError(); }

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
                                        int32_t nameLength, const char* reserved1, int32_t reserved2, char* deviceIp) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        if (!serverIp || !deviceName || !deviceIp || serverPort <= 0 || serverPort > 65535) {
            return Fail(QVNET_ERR_INVALID_PARAM);
        }
        size_t length = nameLength > 0 ? static_cast<size_t>(nameLength) : std::strlen(deviceName);
        length = std::min({length, std::strlen(deviceName), kMaxDdnsName});
        const QVNET_NET_PARAMS params = Core().Params();
        CUniqueSocket connection(
            qvsock::Connect(serverIp, static_cast<uint16_t>(serverPort), static_cast<uint32_t>(params.connectWaitMs)));
        if (!connection) return Fail(QVNET_ERR_NETWORK);
        const SOCKET s = connection.Get();
        PacketHeader header;
        header.command = kCmdDdns;
        header.sequence = 1;
        std::vector<uint8_t> reply;
        const bool answered =
            qvsock::SendAll(s, BuildPacket(header, reinterpret_cast<const uint8_t*>(deviceName), length)) &&
            qvsock::ReceiveCommand(s, kCmdDdns, static_cast<uint32_t>(params.replyWaitMs), reply);
        connection.Reset();
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
        return QueryBlock(loginHandle, kQueryDeviceConfig, static_cast<uint32_t>(configType), 0, buffer, size, length,
                          waitMs);
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

}  // extern "C"
