// What every export of qvnetsdk.dll shares: the calling thread's last error,
// the handle look-ups, one request on a login, the transfer start and stop,
// and the guard that keeps every exception inside the DLL.
#pragma once

#include <stdint.h>

#include <memory>
#include <vector>

#include "sdk/qvnetsdk/qvnetsdk.h"
#include "standins/qvnetsdk/CSdkCore.h"
#include "standins/qvnetsdk/CSdkSession.h"
#include "standins/qvnetsdk/CSdkTransfer.h"
#include "standins/qvnetsdk/SdkWire.h"

namespace sdkexport {

// Record error as the calling thread's last error; returns 0 (failure).
int32_t Fail(uint32_t error);
// Clears the last error; returns result.
int32_t Done(int32_t result = 1);
uint32_t LastError();
inline CSdkCore& Core() { return CSdkCore::Get(); }
// The wait for a reply: waitMs when positive, else the configured one.
uint32_t WaitOf(int32_t waitMs);
// The live session of a login handle, or null with the reason in `error`.
std::shared_ptr<CSdkSession> SessionOf(int32_t loginHandle, uint32_t& error);

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
                 uint32_t waitMs);
// A query that fills the caller's buffer with one block from the device.
int32_t QueryBlock(int32_t loginHandle, uint32_t kind, uint32_t a1, uint32_t a2, void* buffer, int32_t size,
                   int32_t* length, int32_t waitMs);
int32_t SetValue(int32_t loginHandle, uint32_t kind, uint32_t a1, const void* data, size_t length);
int32_t StartTransfer(int32_t loginHandle, CSdkTransfer::Kind kind, const qvwire::OpenRequest& request,
                      const char* path, const CSdkTransfer::Callbacks& callbacks);
int32_t StopTransfer(int32_t handle);
qvwire::OpenRequest TimeRangeRequest(int32_t channel, const QVNET_TIME& start, const QVNET_TIME& end);
qvwire::OpenRequest FileRequest(const RECORD_FILE_DESC& file);

}  // namespace sdkexport

// Closes every export's try block: no exception leaves the DLL.
#define QVNET_GUARD(failure)                      \
    catch (...) {                                 \
        sdkexport::Fail(QVNET_ERR_INVALID_PARAM); \
        return failure;                           \
    }
