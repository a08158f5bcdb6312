#include "standins/qvnetsdk/SdkExportSupport.h"

#include <cstring>

using namespace qvwire;

namespace sdkexport {

namespace {
thread_local uint32_t t_lastError = 0;
}  // namespace

int32_t Fail(uint32_t error) {
    t_lastError = error;
    return 0;
}

int32_t Done(int32_t result) {
    t_lastError = QVNET_ERR_NONE;
    return result;
}

uint32_t LastError() { return t_lastError; }

uint32_t WaitOf(int32_t waitMs) { return static_cast<uint32_t>(waitMs > 0 ? waitMs : Core().Params().replyWaitMs); }

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

SdkReply Request(int32_t loginHandle, uint8_t command, const uint32_t (&args)[4], const std::vector<uint8_t>& body,
                 uint32_t waitMs) {
    SdkReply reply;
    std::shared_ptr<CSdkSession> session = SessionOf(loginHandle, reply.error);
    if (!session) return reply;
    return session->Call(command, args, body, waitMs);
}

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

}  // namespace sdkexport
